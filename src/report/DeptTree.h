#pragma once
// The department tree of the report window: loading the active departments
// with their hierarchy, keeping a subtree's check boxes in step with its
// root, and "全选". Works on the tree model only, so the window, the
// headless export and the tests share it.

#include <QString>
#include <vector>

namespace nbr {

class Database;
class TreeNodesModel;
class SqlDialect;

// One department as the tree query returns it.
struct DeptRow {
    QString code;
    QString name;       // carriage-return line-feed pairs removed
    QString parentCode; // empty when the department has no parent
};

// The text before and after the first blank of a node's text ("0102 财务部").
// A text without a blank is code and name at once.
struct NodeDepartment {
    QString code;
    QString name;
};
NodeDepartment splitNodeText(const QString& text);

QString deptTreeSql(const SqlDialect& dialect);

// LoadDeptTree: reads the departments and builds the nodes, and returns the
// rows read. Each top-level department is followed depth-first by its
// subtree, siblings in query order; keys "$" + code, text "code name", image
// 1 at the top and 2 below; node 1 expanded when there are two or more
// nodes. A node that cannot be added (its key exists already, e.g. a
// department under two parents) is skipped with the subtree it would carry
// there; the rest of the branch is still built. When the query fails the
// tree still gets what was read before the failure (usually nothing), then
// DbError is thrown, so the caller can say why departments are missing.
std::vector<DeptRow> loadDeptTree(Database& db, TreeNodesModel& nodes);

// PropagateCheck: copies a node's check state to all its descendants.
void propagateCheck(TreeNodesModel& nodes, int node);

// The user ticked or cleared a node's box (NodeCheck): its subtree follows.
void followCheck(TreeNodesModel& nodes, int node);

// The departments of the ticked nodes, in node order: a run's departments.
std::vector<NodeDepartment> tickedDepartments(const TreeNodesModel& nodes);

// The nodes of the departments a search finds, in node order: those whose
// code starts with the text or whose name contains it (or whose node text
// starts with it), letters in either case. An empty text finds nothing.
std::vector<int> findDepartments(const TreeNodesModel& nodes, const QString& text);

// "全选": ticking ticks every node whose text does not contain "Tervo中心";
// clearing clears every node.
void selectAllDepartments(TreeNodesModel& nodes, bool ticked);

} // namespace nbr
