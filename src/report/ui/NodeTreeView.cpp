#include "report/ui/NodeTreeView.h"

#include "report/models/TreeNodesModel.h"

#include <QMouseEvent>

namespace nbr {

NodeTreeView::NodeTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);

    // A click on the check box is a tick (nodeCheck via setData), not a click.
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (m_nodes && !m_pressOnCheckBox)
            m_nodes->userClick(m_nodes->nodeAt(index));
    });
    // What the user opens or closes in a search's part of the tree is gone
    // with the search: the tree comes back as it was.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (m_nodes && m_nodes->showingAll())
            m_nodes->setExpanded(m_nodes->nodeAt(index), true);
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (m_nodes && m_nodes->showingAll())
            m_nodes->setExpanded(m_nodes->nodeAt(index), false);
    });
}

void NodeTreeView::setModel(QAbstractItemModel* model) {
    if (m_nodes)
        disconnect(m_nodes, nullptr, this, nullptr);
    QTreeView::setModel(model);
    m_nodes = qobject_cast<TreeNodesModel*>(model);
    if (!m_nodes)
        return;
    // During a bulk load the model is mid-reset; the reset brings everything.
    connect(m_nodes, &TreeNodesModel::expandedChanged, this, [this](int i, bool expanded) {
        if (!m_nodes->bulkLoading())
            setExpanded(m_nodes->indexOfNode(i), expanded);
    });
    connect(m_nodes, &TreeNodesModel::selectedItemChanged, this, [this] {
        if (!m_nodes->bulkLoading())
            showSelectedItem();
    });
    // A search's part of the tree shows expanded throughout.
    connect(m_nodes, &QAbstractItemModel::modelReset, this, [this] {
        if (m_nodes->showingAll())
            showAllExpandedStates();
        else
            expandAll();
        showSelectedItem();
    });
    showAllExpandedStates();
    showSelectedItem();
}

QRect NodeTreeView::checkBoxRect(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

void NodeTreeView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressOnCheckBox =
        index.isValid() && checkBoxRect(index).contains(event->position().toPoint());
    QTreeView::mousePressEvent(event);
}

// Moving with the keyboard selects the node, as a click would, without nodeClick.
void NodeTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (m_nodes && !m_followingModel && current.isValid())
        m_nodes->setSelected(m_nodes->nodeAt(current), true);
}

void NodeTreeView::showSelectedItem() {
    if (!selectionModel())
        return;
    m_followingModel = true;
    const QModelIndex selected = m_nodes->indexOfNode(m_nodes->selectedItem());
    if (selected.isValid())
        selectionModel()->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect);
    else
        selectionModel()->clearSelection();
    m_followingModel = false;
}

void NodeTreeView::showAllExpandedStates() {
    for (int i = 1; i <= m_nodes->count(); ++i) {
        if (m_nodes->expanded(i))
            setExpanded(m_nodes->indexOfNode(i), true);
    }
}

} // namespace nbr
