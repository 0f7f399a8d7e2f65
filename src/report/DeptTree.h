#pragma once
// The organisation's active departments in their hierarchy, as plain data:
// each top-level department followed depth-first by its subtree, siblings in
// the order the database gives them (shorter codes first, equal lengths by
// code). A department reached a second time (one listed under two parents)
// stays where it was placed first; one whose parent is not in the tree is
// left out with its subtree.

#include "report/Department.h"

#include <QHash>
#include <QString>
#include <vector>

namespace nbr {

class Database;
class SqlDialect;

// One department as the tree query returns it.
struct DeptRow {
    QString code;
    QString name;
    QString parentCode; // empty when the department has no parent
};

class DeptTree {
public:
    struct Node {
        Department department;
        int parent = -1;    // index of the parent, -1 at the top
        int level = 0;      // 0 at the top
        int subtreeEnd = 0; // one past the last index of its subtree
    };

    DeptTree() = default;
    // The tree of these rows, in the query's order.
    static DeptTree fromRows(const std::vector<DeptRow>& rows);

    int size() const { return int(m_nodes.size()); }
    bool isEmpty() const { return m_nodes.empty(); }
    const Node& node(int i) const { return m_nodes[size_t(i)]; }
    const Department& department(int i) const { return node(i).department; }
    // The departments below i (the top level for -1), in tree order.
    const std::vector<int>& children(int i) const;
    bool hasChildren(int i) const { return node(i).subtreeEnd > i + 1; }
    // -1 when no department has the code.
    int indexOf(const QString& code) const { return m_byCode.value(code, -1); }

    // The departments a search finds, in tree order: those whose code starts
    // with the text or whose name contains it (or whose "code name" starts
    // with it), letters in either case. An empty text finds nothing.
    std::vector<int> find(const QString& text) const;

private:
    void add(const DeptRow& row, int parent, int level,
             const QHash<QString, std::vector<size_t>>& childRows,
             const std::vector<DeptRow>& rows);

    std::vector<Node> m_nodes;
    std::vector<std::vector<int>> m_children; // by index; the top level last
    QHash<QString, int> m_byCode;
};

QString deptTreeSql(const SqlDialect& dialect);

// Reads the active departments and builds their tree. Throws DbError when
// they cannot be read whole.
[[nodiscard]] DeptTree loadDeptTree(Database& db);

} // namespace nbr
