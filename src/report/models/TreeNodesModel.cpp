#include "report/models/TreeNodesModel.h"

#include "report/models/TreeError.h"
#include "report/models/TreeNodeIcons.h"

#include <QBrush>

using namespace Qt::StringLiterals;

namespace nbr {

TreeNodesModel::TreeNodesModel(QObject* parent) : QAbstractItemModel(parent) {}

int TreeNodesModel::add(const QString& relativeKey, int relationship, const QString& key,
                        const QString& text, int image) {
    // An unknown relative key gives -1, an invalid number, so the duplicate
    // key is still the first error reported.
    const int relative = relativeKey.isEmpty() ? 0 : m_byKey.value(relativeKey, -1);
    return add(relative, relationship, key, text, image);
}

int TreeNodesModel::add(int relative, int relationship, const QString& key, const QString& text,
                        int image) {
    showAll();
    if (!key.isEmpty() && m_byKey.contains(key))
        throw TreeError(u"键值不唯一"_s);
    int parent = 0;
    std::size_t position = m_topLevel.size();
    if (relative != 0) {
        if (!valid(relative))
            throw TreeError(u"找不到元素"_s);
        const Node& rel = node(relative);
        const auto row = static_cast<std::size_t>(rel.row);
        parent = relationship == Child ? relative : rel.parent;
        switch (relationship) {
        case Child:
            position = rel.children.size();
            break;
        case First:
            position = 0;
            break;
        case Last:
            position = childList(parent).size();
            break;
        case Next:
            position = row + 1;
            break;
        case Previous:
            position = row;
            break;
        default:
            throw TreeError(u"关系参数无效"_s);
        }
    }

    const int number = count() + 1;
    const bool signalling = m_bulkDepth == 0;
    if (signalling)
        beginInsertRows(indexOfNode(parent), static_cast<int>(position),
                        static_cast<int>(position));
    Node added;
    added.key = key;
    added.text = text;
    added.image = image;
    added.parent = parent;
    m_nodes.push_back(std::move(added));
    std::vector<int>& siblings = childList(parent);
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), number);
    for (std::size_t r = position; r < siblings.size(); ++r)
        node(siblings[r]).row = static_cast<int>(r);
    if (!key.isEmpty())
        m_byKey.insert(key, number);
    if (signalling)
        endInsertRows();
    return number;
}

void TreeNodesModel::clear() {
    const bool signalling = m_bulkDepth == 0; // a bulk load already resets
    if (signalling)
        beginResetModel();
    m_shownChildren.clear();
    m_shownRow.clear();
    m_nodes.clear();
    m_topLevel.clear();
    m_byKey.clear();
    const bool hadSelection = m_selected != 0;
    m_selected = 0;
    if (signalling)
        endResetModel();
    if (hadSelection)
        emit selectedItemChanged(0);
}

void TreeNodesModel::reserve(int nodes) {
    m_nodes.reserve(static_cast<std::size_t>(nodes));
    m_byKey.reserve(nodes);
}

void TreeNodesModel::beginBulkLoad() {
    if (m_bulkDepth++ == 0)
        beginResetModel();
}

void TreeNodesModel::endBulkLoad() {
    if (m_bulkDepth > 0 && --m_bulkDepth == 0)
        endResetModel();
}

QString TreeNodesModel::text(int i) const {
    return valid(i) ? node(i).text : QString();
}

QString TreeNodesModel::key(int i) const {
    return valid(i) ? node(i).key : QString();
}

int TreeNodesModel::image(int i) const {
    return valid(i) ? node(i).image : 0;
}

int TreeNodesModel::indexOfKey(const QString& key) const {
    return m_byKey.value(key, 0);
}

std::vector<int>& TreeNodesModel::childList(int parent) {
    return parent == 0 ? m_topLevel : node(parent).children;
}

const std::vector<int>& TreeNodesModel::childList(int parent) const {
    return parent == 0 ? m_topLevel : node(parent).children;
}

const std::vector<int>& TreeNodesModel::shownChildList(int parent) const {
    return showingAll() ? childList(parent) : m_shownChildren[size_t(parent)];
}

int TreeNodesModel::shownRow(int i) const {
    return showingAll() ? node(i).row : m_shownRow[size_t(i)];
}

void TreeNodesModel::showOnly(const std::vector<int>& nodes) {
    beginResetModel();
    std::vector<char> shown(m_nodes.size() + 1, 0);
    for (int i : nodes)
        for (int n = i; valid(n) && !shown[size_t(n)]; n = node(n).parent)
            shown[size_t(n)] = 1;
    m_shownChildren.assign(m_nodes.size() + 1, {});
    m_shownRow.assign(m_nodes.size() + 1, -1);
    // Parents before children: node numbers follow the insertion order.
    for (int parent = 0; parent <= count(); ++parent) {
        if (parent != 0 && !shown[size_t(parent)])
            continue;
        std::vector<int>& list = m_shownChildren[size_t(parent)];
        for (int child : childList(parent)) {
            if (shown[size_t(child)]) {
                m_shownRow[size_t(child)] = int(list.size());
                list.push_back(child);
            }
        }
    }
    endResetModel();
}

void TreeNodesModel::showAll() {
    if (showingAll())
        return;
    beginResetModel();
    m_shownChildren.clear();
    m_shownRow.clear();
    endResetModel();
}

int TreeNodesModel::children(int i) const {
    return i == 0 || valid(i) ? static_cast<int>(childList(i).size()) : 0;
}

QList<int> TreeNodesModel::childNodes(int i) const {
    if (i != 0 && !valid(i))
        return {};
    const std::vector<int>& list = childList(i);
    return QList<int>(list.begin(), list.end());
}

int TreeNodesModel::parent(int i) const {
    return valid(i) ? node(i).parent : 0;
}

bool TreeNodesModel::checked(int i) const {
    return valid(i) && node(i).checked;
}

void TreeNodesModel::setChecked(int i, bool checked) {
    if (!valid(i) || node(i).checked == checked)
        return;
    node(i).checked = checked;
    nodeChanged(i, Qt::CheckStateRole);
}

bool TreeNodesModel::selected(int i) const {
    return valid(i) && m_selected == i;
}

void TreeNodesModel::setSelected(int i, bool selected) {
    if (!valid(i))
        return;
    const int now = selected ? i : (m_selected == i ? 0 : m_selected);
    if (now == m_selected)
        return;
    m_selected = now;
    emit selectedItemChanged(now);
}

bool TreeNodesModel::expanded(int i) const {
    return valid(i) && node(i).expanded;
}

void TreeNodesModel::setExpanded(int i, bool expanded) {
    if (!valid(i) || node(i).expanded == expanded)
        return;
    node(i).expanded = expanded;
    emit expandedChanged(i, expanded);
}

QColor TreeNodesModel::backColor(int i) const {
    return valid(i) ? node(i).backColor : QColor();
}

void TreeNodesModel::setBackColor(int i, const QColor& color) {
    if (!valid(i) || node(i).backColor == color)
        return;
    node(i).backColor = color;
    nodeChanged(i, Qt::BackgroundRole);
}

void TreeNodesModel::userCheck(int i, bool checked) {
    if (!valid(i))
        return;
    setChecked(i, checked);
    emit nodeCheck(i);
}

void TreeNodesModel::userClick(int i) {
    if (!valid(i))
        return;
    setSelected(i, true);
    emit nodeClick(i);
}

void TreeNodesModel::nodeChanged(int i, int role) {
    const QModelIndex changed = indexOfNode(i);
    if (m_bulkDepth > 0 || !changed.isValid())
        return;
    emit dataChanged(changed, changed, {role});
}

QModelIndex TreeNodesModel::indexOfNode(int i) const {
    if (!valid(i) || shownRow(i) < 0)
        return {};
    return createIndex(shownRow(i), 0, static_cast<quintptr>(i));
}

int TreeNodesModel::nodeAt(const QModelIndex& index) const {
    return index.isValid() && index.model() == this ? static_cast<int>(index.internalId()) : 0;
}

QModelIndex TreeNodesModel::index(int row, int column, const QModelIndex& parent) const {
    const int parentNode = nodeAt(parent);
    if (column != 0 || row < 0 || (parent.isValid() && parentNode == 0))
        return {};
    const std::vector<int>& list = shownChildList(parentNode);
    if (static_cast<std::size_t>(row) >= list.size())
        return {};
    return createIndex(row, 0, static_cast<quintptr>(list[row]));
}

QModelIndex TreeNodesModel::parent(const QModelIndex& child) const {
    return indexOfNode(parent(nodeAt(child)));
}

int TreeNodesModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const int node = nodeAt(parent);
    return parent.isValid() && node == 0 ? 0 : int(shownChildList(node).size());
}

int TreeNodesModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant TreeNodesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return u"部门"_s;
    return {};
}

QVariant TreeNodesModel::data(const QModelIndex& index, int role) const {
    const int i = nodeAt(index);
    if (!valid(i))
        return {};
    const Node& n = node(i);
    switch (role) {
    case Qt::DisplayRole:
        return n.text;
    case Qt::CheckStateRole:
        return n.checked ? Qt::Checked : Qt::Unchecked;
    case Qt::DecorationRole: {
        const QIcon icon = treeNodeIcon(n.image);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::BackgroundRole:
        return n.backColor.isValid() ? QVariant(QBrush(n.backColor)) : QVariant();
    default:
        return {};
    }
}

// A tick from the view is the user's: it raises nodeCheck.
bool TreeNodesModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    const int i = nodeAt(index);
    if (role != Qt::CheckStateRole || !valid(i))
        return false;
    userCheck(i, value.toInt() == Qt::Checked);
    return true;
}

Qt::ItemFlags TreeNodesModel::flags(const QModelIndex& index) const {
    if (!valid(nodeAt(index)))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

} // namespace nbr
