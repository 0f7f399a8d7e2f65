#include "report/models/DeptTreeModel.h"

#include "report/ReportColours.h"
#include "report/models/TreeNodeIcons.h"

#include <QBrush>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// A model index carries its department + 1: 0 stands for the root.
quintptr idOf(int department) {
    return quintptr(department + 1);
}

} // namespace

DeptTreeModel::DeptTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void DeptTreeModel::setTree(DeptTree tree) {
    beginResetModel();
    m_tree = std::move(tree);
    m_selection = DeptSelection(m_tree);
    m_highlighted = -1;
    m_shownChildren.clear();
    m_shownRow.clear();
    endResetModel();
}

void DeptTreeModel::selectionChanged() {
    ticksChanged(0, m_tree.size());
}

// Tells the views of the ticks of departments first … last - 1.
void DeptTreeModel::ticksChanged(int first, int last) {
    for (int i = first; i < last; ++i)
        if (const QModelIndex changed = indexOf(i); changed.isValid())
            emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

void DeptTreeModel::setHighlighted(int department) {
    const int previous = std::exchange(m_highlighted, department);
    for (int i : {previous, department})
        if (const QModelIndex changed = indexOf(i); changed.isValid())
            emit dataChanged(changed, changed, {Qt::BackgroundRole});
}

void DeptTreeModel::showOnly(const std::vector<int>& departments) {
    beginResetModel();
    std::vector<char> shown(size_t(m_tree.size()), 0);
    for (int i : departments)
        for (int d = i; d >= 0 && !shown[size_t(d)]; d = m_tree.node(d).parent)
            shown[size_t(d)] = 1;
    m_shownChildren.assign(size_t(m_tree.size()) + 1, {});
    m_shownRow.assign(size_t(m_tree.size()), -1);
    for (int parent = -1; parent < m_tree.size(); ++parent) {
        if (parent >= 0 && !shown[size_t(parent)])
            continue;
        std::vector<int>& list =
            m_shownChildren[parent < 0 ? m_shownChildren.size() - 1 : size_t(parent)];
        for (int child : m_tree.children(parent)) {
            if (shown[size_t(child)]) {
                m_shownRow[size_t(child)] = int(list.size());
                list.push_back(child);
            }
        }
    }
    endResetModel();
}

void DeptTreeModel::showAll() {
    if (showingAll())
        return;
    beginResetModel();
    m_shownChildren.clear();
    m_shownRow.clear();
    endResetModel();
}

const std::vector<int>& DeptTreeModel::shownChildren(int department) const {
    if (showingAll())
        return m_tree.children(department);
    return m_shownChildren[department < 0 ? m_shownChildren.size() - 1 : size_t(department)];
}

int DeptTreeModel::shownRow(int department) const {
    if (!showingAll())
        return m_shownRow[size_t(department)];
    const std::vector<int>& siblings = m_tree.children(m_tree.node(department).parent);
    return int(std::lower_bound(siblings.begin(), siblings.end(), department) - siblings.begin());
}

QModelIndex DeptTreeModel::indexOf(int department) const {
    if (department < 0 || department >= m_tree.size())
        return {};
    const int row = shownRow(department);
    return row < 0 ? QModelIndex() : createIndex(row, 0, idOf(department));
}

int DeptTreeModel::departmentAt(const QModelIndex& index) const {
    return index.isValid() && index.model() == this ? int(index.internalId()) - 1 : -1;
}

QModelIndex DeptTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0 || (parent.isValid() && parent.model() != this))
        return {};
    const std::vector<int>& list = shownChildren(departmentAt(parent));
    if (size_t(row) >= list.size())
        return {};
    return createIndex(row, 0, idOf(list[size_t(row)]));
}

QModelIndex DeptTreeModel::parent(const QModelIndex& child) const {
    const int department = departmentAt(child);
    return department < 0 ? QModelIndex() : indexOf(m_tree.node(department).parent);
}

int DeptTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && (parent.column() != 0 || parent.model() != this))
        return 0;
    return int(shownChildren(departmentAt(parent)).size());
}

int DeptTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant DeptTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return u"部门"_s;
    return {};
}

QVariant DeptTreeModel::data(const QModelIndex& index, int role) const {
    const int i = departmentAt(index);
    if (i < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        const Department& d = m_tree.department(i);
        return d.code + u' ' + d.name;
    }
    case Qt::CheckStateRole:
        return m_selection.isTicked(i) ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole: {
        const QIcon icon = treeNodeIcon(m_tree.node(i).parent < 0 ? kFolderImage : kDocumentImage);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::BackgroundRole:
        return i == m_highlighted ? QVariant(QBrush(ReportColour::kClickedNode)) : QVariant();
    default:
        return {};
    }
}

bool DeptTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int i = departmentAt(index);
    if (role != Qt::CheckStateRole || i < 0)
        return false;
    m_selection.tick(i, value.toInt() == Qt::Checked);
    ticksChanged(i, m_tree.node(i).subtreeEnd);
    emit departmentTicked(i);
    return true;
}

Qt::ItemFlags DeptTreeModel::flags(const QModelIndex& index) const {
    if (departmentAt(index) < 0)
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

} // namespace nbr
