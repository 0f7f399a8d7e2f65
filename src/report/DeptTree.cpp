#include "report/DeptTree.h"

#include "db/Database.h"
#include "db/DbError.h"
#include "db/DbSchema.h"
#include "db/SqlDialect.h"
#include "report/models/TreeNodeIcons.h"
#include "report/models/TreeNodesModel.h"

#include <QHash>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// Builds the tree from the rows with the children of each code indexed, so
// the build is linear in the number of rows. A child goes under the node just
// added for its parent code, which is the node keyed "$" + that code: keys
// are unique, so the parent is named by its number instead of looked up again.
class TreeBuilder {
public:
    TreeBuilder(TreeNodesModel& nodes, const std::vector<DeptRow>& rows)
        : m_nodes(nodes), m_rows(rows) {
        for (size_t k = 0; k < rows.size(); ++k)
            if (!rows[k].parentCode.isEmpty())
                m_children[rows[k].parentCode].push_back(k);
    }

    void build() {
        m_nodes.reserve(m_nodes.count() + int(m_rows.size()));
        for (const DeptRow& row : m_rows) {
            if (!row.parentCode.isEmpty())
                continue;
            if (const int node = add(0, row, kFolderImage))
                addChildNodes(row.code, node);
        }
    }

private:
    void addChildNodes(const QString& parentCode, int parentNode) {
        const auto it = m_children.constFind(parentCode);
        if (it == m_children.constEnd())
            return;
        for (size_t k : *it) {
            const DeptRow& row = m_rows[k];
            if (const int node = add(parentNode, row, kDocumentImage))
                addChildNodes(row.code, node);
        }
    }

    // The new node's number; 0 when its key exists already, and the node
    // is skipped.
    int add(int parentNode, const DeptRow& row, int image) {
        const QString key = u'$' + row.code;
        if (m_nodes.indexOfKey(key) != 0)
            return 0;
        return m_nodes.add(parentNode, TreeNodesModel::Child, key, row.code + u' ' + row.name,
                           image);
    }

    TreeNodesModel& m_nodes;
    const std::vector<DeptRow>& m_rows;
    QHash<QString, std::vector<size_t>> m_children;
};

void buildTree(TreeNodesModel& nodes, const std::vector<DeptRow>& deptRows) {
    nodes.beginBulkLoad();
    TreeBuilder(nodes, deptRows).build();
    if (nodes.count() > 1)
        nodes.setExpanded(1, true);
    nodes.endBulkLoad();
}

} // namespace

NodeDepartment splitNodeText(const QString& text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0)
        return {text, text};
    return {text.left(blank), text.mid(blank + 1)};
}

QString deptTreeSql(const SqlDialect& dialect) {
    return u"Select 职能部门new.职能部门编号,职能部门new.职能部门名称,上级部门编号"_s
           u" from 职能部门new left join 上级部门new on 职能部门new.职能部门编号=上级部门new.职能部门编号"_s
           u" where 职能部门new.终止日期 Is Null And 上级部门new.终止日期 Is Null"_s
           u" order by "_s +
           dialect.len(u"职能部门new.职能部门编号"_s, u"len"_s) + u",职能部门new.职能部门编号"_s;
}

std::vector<DeptRow> loadDeptTree(Database& db, TreeNodesModel& nodes) {
    std::vector<DeptRow> deptRows;
    try {
        for (Recordset rs = db.query(deptTreeSql(db.dialect())); !rs.eof(); rs.moveNext()) {
            DeptRow row;
            row.code = rs.field(schema::DeptCode).code();
            row.name = rs.field(schema::DeptName).text();
            row.name.remove(u"\r\n"_s);
            row.parentCode = rs.field(schema::ParentDeptCode).code();
            deptRows.push_back(std::move(row));
        }
    } catch (const DbError&) {
        // The departments read before the failure still make their tree.
        buildTree(nodes, deptRows);
        throw;
    }
    buildTree(nodes, deptRows);
    return deptRows;
}

void propagateCheck(TreeNodesModel& nodes, int node) {
    const bool state = nodes.checked(node);
    for (int child : nodes.childNodes(node)) {
        nodes.setChecked(child, state);
        if (nodes.children(child) > 0)
            propagateCheck(nodes, child);
    }
}

void followCheck(TreeNodesModel& nodes, int node) {
    if (nodes.count() == 0)
        return;
    if (nodes.children(node) > 0)
        propagateCheck(nodes, node);
}

std::vector<NodeDepartment> tickedDepartments(const TreeNodesModel& nodes) {
    std::vector<NodeDepartment> ticked;
    for (int i = 1; i <= nodes.count(); ++i)
        if (nodes.checked(i))
            ticked.push_back(splitNodeText(nodes.text(i)));
    return ticked;
}

std::vector<int> findDepartments(const TreeNodesModel& nodes, const QString& text) {
    std::vector<int> found;
    if (text.isEmpty())
        return found;
    for (int i = 1; i <= nodes.count(); ++i) {
        // splitNodeText without its copies: this runs on every keystroke.
        const QString nodeText = nodes.text(i);
        const QStringView view(nodeText);
        const qsizetype blank = view.indexOf(u' ');
        const QStringView code = blank < 0 ? view : view.left(blank);
        const QStringView name = blank < 0 ? view : view.mid(blank + 1);
        // The whole node text too, for "0102 财务部" typed or pasted as shown.
        if (code.startsWith(text, Qt::CaseInsensitive) ||
            name.contains(text, Qt::CaseInsensitive) || view.startsWith(text, Qt::CaseInsensitive))
            found.push_back(i);
    }
    return found;
}

void selectAllDepartments(TreeNodesModel& nodes, bool ticked) {
    for (int i = 1; i <= nodes.count(); ++i) {
        if (!ticked)
            nodes.setChecked(i, false);
        else if (!nodes.text(i).contains(u"Tervo中心"_s))
            nodes.setChecked(i, true);
    }
}

} // namespace nbr
