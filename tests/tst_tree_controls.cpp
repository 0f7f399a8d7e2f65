// The department tree model and its view offscreen: node order and
// relationships, refused adds, ticks and clicks from code and from the user,
// and the 5 000 nodes of a large organisation in one bulk load.

#include "report/models/TreeError.h"
#include "report/models/TreeNodesModel.h"
#include "report/ui/NodeTreeView.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

// A three-level department tree: 1 总部 {2 财务部 {4 会计科}, 3 人事部}.
void addDepartments(TreeNodesModel& tree) {
    tree.add({}, TreeNodesModel::Child, u"D01"_s, u"总部"_s, 1);
    tree.add(u"D01"_s, TreeNodesModel::Child, u"D0101"_s, u"财务部"_s, 2);
    tree.add(u"D01"_s, TreeNodesModel::Child, u"D0102"_s, u"人事部"_s, 2);
    tree.add(u"D0101"_s, TreeNodesModel::Child, u"D010101"_s, u"会计科"_s, 2);
}

} // namespace

class TestTreeControls : public QObject {
    Q_OBJECT

private slots:
    void nodesKeepInsertionOrderAndStructure() {
        TreeNodesModel tree;
        addDepartments(tree);
        QCOMPARE(tree.add({}, TreeNodesModel::Child, u"D02"_s, u"分公司"_s, 1), 5);
        QCOMPARE(tree.count(), 5);
        QCOMPARE(tree.text(4), u"会计科"_s);
        QCOMPARE(tree.parent(4), 2);
        QCOMPARE(tree.children(1), 2);
        QCOMPARE(tree.childNodes(1), QList<int>({2, 3}));
        QCOMPARE(tree.childNodes(0), QList<int>({1, 5}));
        QCOMPARE(tree.indexOfKey(u"D0102"_s), 3);
        QCOMPARE(tree.indexOfKey(u"D99"_s), 0);

        // The Qt side describes the same tree.
        const QModelIndex finance = tree.index(0, 0, tree.index(0, 0));
        QCOMPARE(tree.nodeAt(finance), 2);
        QCOMPARE(tree.rowCount(finance), 1);
        QCOMPARE(tree.nodeAt(tree.parent(tree.indexOfNode(4))), 2);
        QCOMPARE(tree.indexOfNode(3).row(), 1);
        QCOMPARE(tree.rowCount(), 2);
        QCOMPARE(tree.indexOfNode(5).data().toString(), u"分公司"_s);
        QVERIFY(tree.indexOfNode(1).data(Qt::DecorationRole).isValid());
    }

    void siblingRelationshipsPlaceNodes() {
        TreeNodesModel tree;
        QAbstractItemModelTester tester(&tree,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        addDepartments(tree);
        tree.add(u"D0102"_s, TreeNodesModel::Previous, u"P"_s, u"前"_s, 2);
        tree.add(u"D0101"_s, TreeNodesModel::First, u"F"_s, u"首"_s, 2);
        tree.add(u"D0101"_s, TreeNodesModel::Next, u"N"_s, u"后"_s, 2);
        tree.add(u"D0101"_s, TreeNodesModel::Last, u"L"_s, u"尾"_s, 2);
        QCOMPARE(tree.childNodes(1), QList<int>({6, 2, 7, 5, 3, 8}));
        const QList<int> order = tree.childNodes(1);
        for (int row = 0; row < order.size(); ++row)
            QCOMPARE(tree.nodeAt(tree.index(row, 0, tree.indexOfNode(1))), order[row]);
    }

    void invalidAddsLeaveTreeUnchanged() {
        TreeNodesModel tree;
        addDepartments(tree);
        QSignalSpy inserted(&tree, &QAbstractItemModel::rowsAboutToBeInserted);
        const auto messageOf = [&](auto&& add) {
            try {
                add();
            } catch (const TreeError& error) {
                return error.description();
            }
            return QString();
        };
        QCOMPARE(messageOf([&] { tree.add({}, TreeNodesModel::Child, u"D0101"_s, u"重复"_s, 1); }),
                 u"键值不唯一"_s);
        QCOMPARE(
            messageOf([&] { tree.add(u"D09"_s, TreeNodesModel::Child, u"D0901"_s, u"孤儿"_s, 2); }),
            u"找不到元素"_s);
        QCOMPARE(
            messageOf([&] { tree.add(99, TreeNodesModel::Child, u"D9901"_s, u"无此号"_s, 2); }),
            u"找不到元素"_s);
        QVERIFY(!messageOf([&] { tree.add(u"D01"_s, 9, u"X"_s, u"怪"_s, 2); }).isEmpty());
        QCOMPARE(tree.count(), 4);
        QCOMPARE(tree.text(2), u"财务部"_s);
        QCOMPARE(tree.indexOfKey(u"D0901"_s), 0);
        QCOMPARE(tree.children(1), 2);
        QCOMPARE(inserted.size(), 0);
    }

    void checkFromCodeIsSilentFromUserRaisesNodeCheck() {
        TreeNodesModel tree;
        addDepartments(tree);
        QSignalSpy nodeCheck(&tree, &TreeNodesModel::nodeCheck);
        QSignalSpy changed(&tree, &QAbstractItemModel::dataChanged);
        tree.setChecked(2, true);
        QVERIFY(tree.checked(2));
        QCOMPARE(nodeCheck.size(), 0);
        QCOMPARE(changed.size(), 1);

        bool checkedWhenRaised = false;
        connect(&tree, &TreeNodesModel::nodeCheck, this,
                [&](int i) { checkedWhenRaised = tree.checked(i); });
        tree.userCheck(3, true);
        QCOMPARE(nodeCheck.size(), 1);
        QCOMPARE(nodeCheck[0][0].toInt(), 3);
        QVERIFY(checkedWhenRaised);

        QVERIFY(tree.setData(tree.indexOfNode(2), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(!tree.checked(2));
        QCOMPARE(nodeCheck.size(), 2);
        QCOMPARE(tree.indexOfNode(3).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    }

    void userClickSelectsExactlyOne() {
        TreeNodesModel tree;
        addDepartments(tree);
        QSignalSpy nodeClick(&tree, &TreeNodesModel::nodeClick);
        tree.setSelected(2, true);
        tree.userClick(4);
        QCOMPARE(nodeClick.size(), 1);
        QCOMPARE(tree.selectedItem(), 4);
        int selectedCount = 0;
        for (int i = 1; i <= tree.count(); ++i)
            selectedCount += tree.selected(i) ? 1 : 0;
        QCOMPARE(selectedCount, 1);
        tree.setSelected(4, false);
        QCOMPARE(tree.selectedItem(), 0);

        tree.setBackColor(3, Qt::yellow);
        QCOMPARE(tree.indexOfNode(3).data(Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(Qt::yellow));
        QVERIFY(!tree.indexOfNode(2).data(Qt::BackgroundRole).isValid());

        tree.clear();
        QCOMPARE(tree.count(), 0);
        QCOMPARE(tree.indexOfKey(u"D01"_s), 0);
        tree.add({}, TreeNodesModel::Child, u"D01"_s, u"总部"_s, 1); // the key is free again
        QCOMPARE(tree.count(), 1);
    }

    // --- The view, offscreen -------------------------------------------

    void treeViewReportsTicksAndClicks() {
        TreeNodesModel tree;
        NodeTreeView view;
        view.setModel(&tree);
        addDepartments(tree);
        view.resize(300, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));

        tree.setExpanded(1, true);
        QVERIFY(view.isExpanded(tree.indexOfNode(1)));
        view.expand(tree.indexOfNode(2));
        QVERIFY(tree.expanded(2));

        QSignalSpy nodeCheck(&tree, &TreeNodesModel::nodeCheck);
        QSignalSpy nodeClick(&tree, &TreeNodesModel::nodeClick);
        const QModelIndex personnel = tree.indexOfNode(3);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          view.checkBoxRect(personnel).center());
        QCOMPARE(nodeCheck.size(), 1);
        QCOMPARE(nodeCheck[0][0].toInt(), 3);
        QVERIFY(tree.checked(3));
        QCOMPARE(nodeClick.size(), 0);

        const QRect row = view.visualRect(personnel);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          QPoint(row.right() - 5, row.center().y()));
        QCOMPARE(nodeClick.size(), 1);
        QCOMPARE(tree.selectedItem(), 3);
        QCOMPARE(view.currentIndex(), personnel);
        QCOMPARE(nodeCheck.size(), 1);
    }

    // How long it takes is bench_controls' business.
    void bulkLoadWithView() {
        TreeNodesModel tree;
        NodeTreeView view;
        view.setModel(&tree);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        tree.beginBulkLoad();
        for (int d = 0; d < 100; ++d) {
            const QString parentKey = u"D%1"_s.arg(d);
            tree.add({}, TreeNodesModel::Child, parentKey, parentKey, 1);
            for (int k = 0; k < 49; ++k)
                tree.add(parentKey, TreeNodesModel::Child, u"%1-%2"_s.arg(parentKey).arg(k),
                         u"科室"_s, 2);
        }
        tree.setExpanded(1, true);
        tree.endBulkLoad();
        QCOMPARE(tree.count(), 5000);
        QCOMPARE(view.model()->rowCount(), 100);
        QVERIFY(view.isExpanded(tree.indexOfNode(1)));
    }
};

QTEST_MAIN(TestTreeControls)
#include "tst_tree_controls.moc"
