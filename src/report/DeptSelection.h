#pragma once
// The departments ticked in a department tree: the departments a summary run
// covers, in tree order. A parent and its children are separate
// departments. Ticking or clearing a department as the user does takes its
// whole subtree along; "全选" ticks every department but those named
// "Tervo中心" (their children are ticked all the same) and clearing it clears
// every one. The tree must outlive the selection.

#include "report/Department.h"

#include <QStringList>
#include <vector>

namespace nbr {

class DeptTree;

class DeptSelection {
public:
    explicit DeptSelection(const DeptTree& tree);

    const DeptTree& tree() const { return *m_tree; }
    bool isTicked(int i) const { return m_ticked[size_t(i)]; }
    // Some department below i is ticked (the parent of a ticked department
    // shows partly ticked).
    bool hasTickedBelow(int i) const;
    int tickedCount() const;

    // The user ticks or clears a department: its subtree follows.
    void tick(int i, bool ticked);
    // One department alone, its subtree as it is.
    void setTicked(int i, bool ticked) { m_ticked[size_t(i)] = ticked; }
    // "全选".
    void selectAll(bool ticked);
    // Ticks the departments with these codes; codes no longer in the tree
    // are passed over.
    void tickCodes(const QStringList& codes);

    // The ticked departments in tree order, and their codes.
    std::vector<Department> tickedDepartments() const;
    QStringList tickedCodes() const;

private:
    const DeptTree* m_tree;
    std::vector<bool> m_ticked;
};

} // namespace nbr
