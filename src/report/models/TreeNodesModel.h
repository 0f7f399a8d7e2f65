#pragma once
// The department tree in the classic tree-control manner: nodes numbered
// from 1 in insertion order, each with a unique key, a text, an image
// number, a check box, an expanded state and a back colour; one selected
// node at most. The report logic drives it through those properties;
// NodeTreeView shows it and reports the user's clicks and ticks back as
// nodeClick / nodeCheck.
//
// Node numbers outside 1..count() are ignored by the setters and answered
// with empty values by the getters.

#include <QAbstractItemModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

namespace nbr {

class TreeNodesModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // Where add() puts a node relative to the node named by relativeKey.
    enum Relationship { First = 0, Last = 1, Next = 2, Previous = 3, Child = 4 };

    explicit TreeNodesModel(QObject* parent = nullptr);

    // Adds a node and returns its number. An empty relativeKey makes it the
    // last top-level node; otherwise it goes where relationship says (Child:
    // after the relative's existing children; First/Last: first/last among
    // the relative's siblings; Next/Previous: right after/before it).
    // Throws TreeError for a duplicate key, an unknown relative or an unknown
    // relationship, leaving the tree unchanged. An empty key is allowed and simply not looked up.
    int add(const QString& relativeKey, int relationship, const QString& key, const QString& text,
            int image);
    // The same with the relative given by its number (0: none, a top-level node).
    int add(int relative, int relationship, const QString& key, const QString& text, int image);
    // Room for this many nodes, so a large load does not grow the store step by step.
    void reserve(int nodes);
    void clear();

    // Wraps many add() calls in a single model reset, so attached views lay
    // themselves out once. Calls may nest.
    void beginBulkLoad();
    void endBulkLoad();
    bool bulkLoading() const { return m_bulkDepth > 0; }

    int count() const { return static_cast<int>(m_nodes.size()); }
    QString text(int i) const;
    QString key(int i) const;
    int image(int i) const;
    int indexOfKey(const QString& key) const; // 0 when absent

    // Node 0 stands for the invisible root: children(0) and childNodes(0)
    // give the top-level nodes.
    int children(int i) const;
    QList<int> childNodes(int i) const;
    int parent(int i) const; // 0 for top-level nodes

    bool checked(int i) const;
    void setChecked(int i, bool checked); // no nodeCheck: that is for the user's ticks
    bool selected(int i) const;
    void setSelected(int i, bool selected);         // selecting one node deselects the other
    int selectedItem() const { return m_selected; } // 0 when none
    bool expanded(int i) const;
    void setExpanded(int i, bool expanded);
    QColor backColor(int i) const; // invalid = standard window background
    void setBackColor(int i, const QColor& color);

    // What the user did, as reported by the view.
    void userCheck(int i, bool checked);
    void userClick(int i);

    // Which nodes views see: all of them, or some with their ancestors (a
    // search's matches). The classic properties, ticks and their
    // propagation always act on the whole tree; a node out of view has no
    // model index. add() and clear() show all again.
    void showOnly(const std::vector<int>& nodes);
    void showAll();
    bool showingAll() const { return m_shownChildren.empty(); }

    // Between node numbers and model indexes.
    QModelIndex indexOfNode(int i) const;
    int nodeAt(const QModelIndex& index) const;

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
    void nodeCheck(int i);
    void nodeClick(int i);
    void expandedChanged(int i, bool expanded);
    void selectedItemChanged(int i); // 0 when the selection was cleared

private:
    struct Node {
        QString key;
        QString text;
        int image = 0;
        int parent = 0;
        int row = 0; // position among the parent's children
        bool checked = false;
        bool expanded = false;
        QColor backColor;
        std::vector<int> children;
    };

    bool valid(int i) const { return i >= 1 && i <= count(); }
    const Node& node(int i) const { return m_nodes[i - 1]; }
    Node& node(int i) { return m_nodes[i - 1]; }
    std::vector<int>& childList(int parent);
    const std::vector<int>& childList(int parent) const;
    // The children and a node's row as views see them.
    const std::vector<int>& shownChildList(int parent) const;
    int shownRow(int i) const;
    void nodeChanged(int i, int role);

    std::vector<Node> m_nodes;
    std::vector<int> m_topLevel;
    QHash<QString, int> m_byKey;
    int m_selected = 0;
    int m_bulkDepth = 0;
    // While only some nodes show: each node's shown children (index 0 the
    // top level) and its row among its parent's (-1 when out of view).
    std::vector<std::vector<int>> m_shownChildren;
    std::vector<int> m_shownRow;
};

} // namespace nbr
