#pragma once
// The department tree of the report window: loading the active departments
// with their hierarchy, keeping a subtree's check boxes in step with its
// root, and "全选". Works on the tree model only, so the window, the
// headless export and the tests share it.

#include <QString>
#include <vector>

namespace nbr {

class TreeNodesModel;
class SqlDialect;

// One department as the tree query returns it.
struct DeptRow {
    QString Code;
    QString Name;       // carriage-return line-feed pairs removed
    QString ParentCode; // empty when the department has no parent
};

// The text before and after the first blank of a node's text ("0102 财务部").
// A text without a blank is code and name at once.
struct NodeDepartment {
    QString code;
    QString name;
};
NodeDepartment splitNodeText(const QString& text);

QString deptTreeSql(const SqlDialect& dialect);

// Reads DeptRows and builds the nodes: each top-level department followed
// depth-first by its subtree, siblings in query order; keys "$" + code, text
// "code name", image 1 at the top and 2 below; node 1 expanded when there
// are two or more nodes. A node that cannot be added (its key exists
// already, e.g. a department under two parents) is skipped with the subtree
// it would carry there; the rest of the branch is still built. When the
// query fails the tree still gets what was read before the failure (usually
// nothing), then DbError is thrown, so the caller can say why departments
// are missing.
void LoadDeptTree(TreeNodesModel& nodes, std::vector<DeptRow>& deptRows);

// Copies a node's check state to all its descendants.
void PropagateCheck(TreeNodesModel& nodes, int node);

// The user ticked or cleared a node's box: its subtree follows.
void NodeCheck(TreeNodesModel& nodes, int node);

// "全选": ticking ticks every node whose text does not contain "Tervo中心";
// clearing clears every node.
void selectAllDepartments(TreeNodesModel& nodes, bool ticked);

} // namespace nbr
