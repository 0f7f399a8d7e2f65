#pragma once
// The on-screen department tree of a TreeNodesModel: check boxes, no header,
// expanded states and the selected node kept in step with the model, and the
// user's clicks on a node's text reported as model->userClick (ticks reach
// the model through setData, i.e. userCheck).

#include <QTreeView>

namespace nbr {

class TreeNodesModel;

class NodeTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit NodeTreeView(QWidget* parent = nullptr);

    // Accepts any model; the tree behaviour needs a TreeNodesModel.
    void setModel(QAbstractItemModel* model) override;

    // Where the check box of a node is drawn, in viewport coordinates.
    QRect checkBoxRect(const QModelIndex& index) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void showSelectedItem();
    void showAllExpandedStates();

    TreeNodesModel* m_nodes = nullptr;
    bool m_pressOnCheckBox = false;
    bool m_followingModel = false;
};

} // namespace nbr
