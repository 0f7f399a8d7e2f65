#pragma once
// The department tree's item model: a view over a DeptTree and the ticks of
// its DeptSelection, for DeptTreeView. Each department shows as "code name"
// with a check box and a small picture (a folder at the top level, a sheet
// below); the department clicked last has its own back colour. A tick from
// the view is the user's: the department's subtree follows, and
// departmentTicked tells the window. While a search runs, only some
// departments show, with their parents; ticks act on the whole tree.

#include "report/DeptSelection.h"
#include "report/DeptTree.h"

#include <QAbstractItemModel>
#include <QColor>
#include <vector>

namespace nbr {

class DeptTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit DeptTreeModel(QObject* parent = nullptr);

    // A new tree, all departments unticked and shown.
    void setTree(DeptTree tree);
    const DeptTree& tree() const { return m_tree; }
    DeptSelection& selection() { return m_selection; }
    const DeptSelection& selection() const { return m_selection; }
    // The ticks were changed from outside (全选, the remembered ticks).
    void selectionChanged();

    // The department shown in the clicked colour (-1: none).
    void setHighlighted(int department);
    int highlighted() const { return m_highlighted; }

    // Which departments show: these with their parents, or all of them.
    void showOnly(const std::vector<int>& departments);
    void showAll();
    bool showingAll() const { return m_shownChildren.empty(); }

    // Between departments (tree indexes) and model indexes; a department
    // out of view has none.
    QModelIndex indexOf(int department) const;
    int departmentAt(const QModelIndex& index) const; // -1 for none

    // QAbstractItemModel
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The one column's heading, which the view hides: what a screen reader
    // names the column.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The user ticked or cleared a department (its subtree has followed).
    void departmentTicked(int department);

private:
    const std::vector<int>& shownChildren(int department) const;
    int shownRow(int department) const;
    void ticksChanged(int first, int last);

    DeptTree m_tree;
    DeptSelection m_selection{m_tree};
    int m_highlighted = -1;
    // While only some departments show: each one's shown children (the top
    // level last) and its row among its parent's (-1 when out of view).
    std::vector<std::vector<int>> m_shownChildren;
    std::vector<int> m_shownRow;
};

} // namespace nbr
