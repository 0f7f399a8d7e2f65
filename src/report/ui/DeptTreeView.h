#pragma once
// The on-screen department tree of a DeptTreeModel: check boxes, no header.
// A click on a department's text is departmentClicked (a click on its box
// ticks it, through the model); the keyboard moves the current department
// without a click. The departments opened and the current one stay as they
// were when a search's part of the tree gives way to the whole tree again.

#include <QTreeView>
#include <set>

namespace nbr {

class DeptTreeModel;

class DeptTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit DeptTreeView(QWidget* parent = nullptr);

    // Accepts any model; the tree behaviour needs a DeptTreeModel.
    void setModel(QAbstractItemModel* model) override;

    // The department with the keyboard's focus (-1: none), and making one
    // current, opening its parents.
    int currentDepartment() const { return m_current; }
    void setCurrentDepartment(int department);
    void setDepartmentExpanded(int department, bool expanded);

    // Where the check box of a department is drawn, in viewport coordinates.
    QRect checkBoxRect(const QModelIndex& index) const;

signals:
    void departmentClicked(int department);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void showKeptState();

    DeptTreeModel* m_departments = nullptr;
    std::set<int> m_expanded; // of the whole tree
    int m_current = -1;
    bool m_pressOnCheckBox = false;
    bool m_restoring = false;
};

} // namespace nbr
