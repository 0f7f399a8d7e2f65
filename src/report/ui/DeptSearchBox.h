#pragma once
// The search box above the department tree. As the user types, the tree
// shows only the departments whose code starts with the text or whose name
// contains it, with their parents, expanded; Enter selects the next of them
// in the tree; Esc, or clearing the text, shows the whole tree again, opened
// and closed as before. Ticks in a searched tree act on the whole tree.

#include <QLineEdit>
#include <vector>

namespace nbr {

class TreeNodesModel;

class DeptSearchBox : public QLineEdit {
    Q_OBJECT
public:
    DeptSearchBox(TreeNodesModel* nodes, QWidget* parent);

    // The departments the text finds, in node order.
    const std::vector<int>& matches() const { return m_matches; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void search(const QString& text);
    void selectNextMatch();

    TreeNodesModel* m_nodes;
    std::vector<int> m_matches;
};

} // namespace nbr
