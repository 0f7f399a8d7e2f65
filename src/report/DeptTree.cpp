#include "report/DeptTree.h"

#include "db/Database.h"
#include "db/DbSchema.h"
#include "db/SqlDialect.h"

using namespace Qt::StringLiterals;

namespace nbr {

DeptTree DeptTree::fromRows(const std::vector<DeptRow>& rows) {
    // The children of each code indexed once, so the build is linear in the
    // number of rows.
    QHash<QString, std::vector<size_t>> childRows;
    for (size_t k = 0; k < rows.size(); ++k)
        if (!rows[k].parentCode.isEmpty())
            childRows[rows[k].parentCode].push_back(k);
    DeptTree tree;
    tree.m_nodes.reserve(rows.size());
    tree.m_byCode.reserve(qsizetype(rows.size()));
    for (const DeptRow& row : rows)
        if (row.parentCode.isEmpty())
            tree.add(row, -1, 0, childRows, rows);
    // Each node's children, and the top level in the last place.
    tree.m_children.assign(tree.m_nodes.size() + 1, {});
    for (int i = 0; i < tree.size(); ++i) {
        const int parent = tree.m_nodes[size_t(i)].parent;
        tree.m_children[parent < 0 ? tree.m_nodes.size() : size_t(parent)].push_back(i);
    }
    return tree;
}

void DeptTree::add(const DeptRow& row, int parent, int level,
                   const QHash<QString, std::vector<size_t>>& childRows,
                   const std::vector<DeptRow>& rows) {
    // A department placed already keeps its first place, and what would
    // have come below it here is not placed a second time.
    if (m_byCode.contains(row.code))
        return;
    const int index = size();
    m_byCode.insert(row.code, index);
    m_nodes.push_back({{row.code, row.name}, parent, level, 0});
    if (const auto it = childRows.constFind(row.code); it != childRows.constEnd())
        for (size_t k : *it)
            add(rows[k], index, level + 1, childRows, rows);
    m_nodes[size_t(index)].subtreeEnd = size();
}

const std::vector<int>& DeptTree::children(int i) const {
    static const std::vector<int> none;
    if (m_children.empty())
        return none;
    return m_children[i < 0 ? m_children.size() - 1 : size_t(i)];
}

std::vector<int> DeptTree::find(const QString& text) const {
    std::vector<int> found;
    if (text.isEmpty())
        return found;
    // The shown text too, for "0102 财务部" typed or pasted as the tree shows it.
    const qsizetype blank = text.indexOf(u' ');
    for (int i = 0; i < size(); ++i) {
        const Department& d = department(i);
        const bool asShown =
            blank >= 0 &&
            QStringView(d.code).compare(QStringView(text).left(blank), Qt::CaseInsensitive) == 0 &&
            d.name.startsWith(QStringView(text).mid(blank + 1), Qt::CaseInsensitive);
        if (d.code.startsWith(text, Qt::CaseInsensitive) ||
            d.name.contains(text, Qt::CaseInsensitive) || asShown)
            found.push_back(i);
    }
    return found;
}

QString deptTreeSql(const SqlDialect& dialect) {
    return u"Select 职能部门new.职能部门编号,职能部门new.职能部门名称,上级部门编号"_s
           u" from 职能部门new left join 上级部门new on 职能部门new.职能部门编号=上级部门new.职能部门编号"_s
           u" where 职能部门new.终止日期 Is Null And 上级部门new.终止日期 Is Null"_s
           u" order by "_s +
           dialect.len(u"职能部门new.职能部门编号"_s, u"len"_s) + u",职能部门new.职能部门编号"_s;
}

DeptTree loadDeptTree(Database& db) {
    std::vector<DeptRow> rows;
    for (Recordset rs = db.query(deptTreeSql(db.dialect())); !rs.eof(); rs.moveNext()) {
        DeptRow row;
        row.code = rs.field(schema::DeptCode).code();
        row.name = rs.field(schema::DeptName).text();
        row.name.remove(u"\r\n"_s);
        row.parentCode = rs.field(schema::ParentDeptCode).code();
        rows.push_back(std::move(row));
    }
    return DeptTree::fromRows(rows);
}

} // namespace nbr
