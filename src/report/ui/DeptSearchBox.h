#pragma once
// The search box above the department tree. As the user types, the tree
// shows only the departments whose code starts with the text or whose name
// contains it, with their parents, expanded; Enter makes the next of them
// in the tree current; Esc, or clearing the text, shows the whole tree
// again, opened and closed as before. Ticks in a searched tree act on the
// whole tree.

#include <QLineEdit>
#include <vector>

namespace nbr {

class DeptTreeModel;
class DeptTreeView;

class DeptSearchBox : public QLineEdit {
    Q_OBJECT
public:
    DeptSearchBox(DeptTreeModel* departments, DeptTreeView* tree, QWidget* parent);

    // The departments the text finds, in tree order.
    const std::vector<int>& matches() const { return m_matches; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void search(const QString& text);
    void selectNextMatch();

    DeptTreeModel* m_departments;
    DeptTreeView* m_tree;
    std::vector<int> m_matches;
};

} // namespace nbr
