#include "report/ui/DeptTreeView.h"

#include "report/models/DeptTreeModel.h"

#include <QMouseEvent>

namespace nbr {

DeptTreeView::DeptTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);

    // A click on the check box is a tick (through the model), not a click.
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (m_departments && !m_pressOnCheckBox)
            emit departmentClicked(m_departments->departmentAt(index));
    });
    // What the user opens or closes in a search's part of the tree is gone
    // with the search: the tree comes back as it was.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (m_departments && m_departments->showingAll() && !m_restoring)
            m_expanded.insert(m_departments->departmentAt(index));
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (m_departments && m_departments->showingAll() && !m_restoring)
            m_expanded.erase(m_departments->departmentAt(index));
    });
}

void DeptTreeView::setModel(QAbstractItemModel* model) {
    if (m_departments)
        disconnect(m_departments, nullptr, this, nullptr);
    QTreeView::setModel(model);
    m_departments = qobject_cast<DeptTreeModel*>(model);
    m_expanded.clear();
    m_current = -1;
    if (!m_departments)
        return;
    connect(m_departments, &QAbstractItemModel::modelReset, this, &DeptTreeView::showKeptState);
}

void DeptTreeView::setCurrentDepartment(int department) {
    const QModelIndex index = m_departments ? m_departments->indexOf(department) : QModelIndex();
    if (!index.isValid())
        return;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
        expand(p);
    setCurrentIndex(index);
    scrollTo(index);
}

void DeptTreeView::setDepartmentExpanded(int department, bool expanded) {
    if (m_departments)
        setExpanded(m_departments->indexOf(department), expanded);
}

// The whole tree opened and closed as the user left it; a search's part of
// it opened throughout. The current department stays current where it shows.
void DeptTreeView::showKeptState() {
    m_restoring = true;
    if (m_departments->showingAll()) {
        for (int department : m_expanded)
            setExpanded(m_departments->indexOf(department), true);
    } else {
        expandAll();
    }
    m_restoring = false;
    const QModelIndex current = m_departments->indexOf(m_current);
    if (current.isValid())
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
}

QRect DeptTreeView::checkBoxRect(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

void DeptTreeView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    m_pressOnCheckBox =
        index.isValid() && checkBoxRect(index).contains(event->position().toPoint());
    QTreeView::mousePressEvent(event);
}

void DeptTreeView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (m_departments)
        m_current = m_departments->departmentAt(current);
}

} // namespace nbr
