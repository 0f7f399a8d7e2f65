// The report window opened from the main window's menu: load sequence,
// grids, year list, the department tree as the user ticks and searches it
// (the tree's rules themselves are tst_report_results'), department clicks,
// layout, closing and reopening.

#include "FixtureDb.h"
#include "ModelDumps.h"
#include "TestContext.h"
#include "report/models/DeptTreeModel.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/DeptTreeView.h"
#include "report/ui/ReportGridView.h"
#include "report/ui/ReportWindow.h"
#include "session/SessionState.h"
#include "shell/ui/MainWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using test::tickDepartments;

class TestReportWindow : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    // One context and one frame for the whole test case, as in the program.
    test::TestContext m_context;
    std::unique_ptr<MainWindow> m_frame;

    ReportWindow* open() {
        m_frame->showAndActivate();
        m_frame->findChild<QAction*>(u"reportAction"_s)->trigger();
        return m_frame->reportWindow();
    }
    // The prompts, with nothing recorded or scripted yet.
    test::FakePrompts& freshPrompts() {
        m_context.prompts = {};
        return m_context.prompts;
    }
    // The departments shown, depth-first, and the expanded ones among them.
    static QStringList shown(const DeptTreeModel& m, const QTreeView& view,
                             const QModelIndex& parent = {}) {
        QStringList t;
        for (int r = 0; r < m.rowCount(parent); ++r) {
            const QModelIndex index = m.index(r, 0, parent);
            t << index.data().toString() + (view.isExpanded(index) ? u" +"_s : QString());
            t += shown(m, view, index);
        }
        return t;
    }
    static QString ticked(const DeptTreeModel& m) { return m.selection().tickedCodes().join(u' '); }

private slots:
    void initTestCase() {
        const QString path = m_dir.filePath(u"tree.db"_s);
        test::FixtureDb db(path);
        db.addDepartment(u"01"_s, u"总部"_s);
        db.addDepartment(u"0101"_s, u"办公室"_s, u"01"_s);
        db.addDepartment(u"0102"_s, u"财务部"_s, u"01"_s);
        db.addDepartment(u"0103"_s, u"Tervo中心"_s, u"01"_s);
        db.addDepartment(u"010301"_s, u"一组"_s, u"0103"_s);
        db.addDepartment(u"010302"_s, u"二组"_s, u"0103"_s);
        db.addDepartment(u"02"_s, u"生产部"_s);
        db.addDepartment(u"0201"_s, u"车间"_s, u"02"_s);
        db.addDepartment(u"0202"_s, u"已撤销部门"_s, u"02"_s, u"2025-12-31"_s);
        db.addDepartment(u"020201"_s, u"撤销部门下属"_s, u"0202"_s);
        db.addDepartment(u"0203"_s, u"断开的部门"_s);
        db.addParentLink(u"0203"_s, u"02"_s, u"2024-01-01"_s);
        db.addDepartment(u"0204"_s, u"双上级部门"_s, u"01"_s);
        db.addParentLink(u"0204"_s, u"02"_s);
        db.addDepartment(u"0205"_s, u"仓库"_s, u"02"_s);
        db.addDepartment(u"020401"_s, u"双上级下属"_s, u"0204"_s);
        db.addDepartment(u"03"_s, u"后勤\r\n中心"_s);
        db.addDepartment(u"0301"_s, u"食堂\n二楼"_s, u"03"_s);
        db.close();
        QVERIFY(m_context.connectToFile(path));
        SessionState& s = m_context.app.session;
        s.employeeName = u"李明"_s;
        s.departmentName = u"财务部"_s;
        s.positionName = u"会计"_s;
        m_frame = std::make_unique<MainWindow>(m_context.app);
    }
    void cleanupTestCase() { m_frame.reset(); }

    void loadFillsStatusGridsAndYears() {
        test::FakePrompts& prompts = freshPrompts();
        ReportWindow* w = open();
        QVERIFY(w);
        QCOMPARE(w->objectName(), u"reportWindow"_s);
        QCOMPARE(w->windowTitle(), u"非预算报销月报统计"_s);
        QCOMPARE(w->statusPanelText(1), u"操作员"_s);
        QCOMPARE(w->statusPanelText(2), u"李明"_s);
        QCOMPARE(w->statusPanelText(4), u"财务部"_s);
        QCOMPARE(w->statusPanelText(6), u"会计"_s);

        ReportGridModel& g1 = w->summaryGrid();
        QCOMPARE(g1.rowCount(), 0);
        QCOMPARE(g1.columnCount(), 17);
        QCOMPARE(g1.headerData(0, Qt::Horizontal).toString(), u"序"_s);
        QCOMPARE(g1.headerData(16, Qt::Horizontal).toString(), u"合计"_s);
        for (int c = 0; c < 17; ++c) {
            QVERIFY(g1.columnWidth(c) > 0);
            QCOMPARE(g1.headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
                     int(Qt::AlignCenter));
        }
        QCOMPARE(w->detailGrid().columnCount(), 12);
        QCOMPARE(w->detailGrid().rowCount(), 0);

        auto* combo = w->findChild<QComboBox*>(u"yearBox"_s);
        QCOMPARE(combo->count(), 80);
        QCOMPARE(combo->itemText(0), u"2000年"_s);
        QCOMPARE(combo->itemText(79), u"2079年"_s);
        QCOMPARE(combo->currentText(), u"%1年"_s.arg(QDate::currentDate().year()));
        QCOMPARE(w->selectedYear(), QDate::currentDate().year());
        QVERIFY(prompts.recorded.isEmpty());
    }

    void everyControlWithItsKindParentAndCaption_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("caption");
        auto row = [](const char* name, const char* kind, const char* parent, const char* caption) {
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(kind)
                                << QString::fromUtf8(parent) << QString::fromUtf8(caption);
        };
        row("titleLabel", "QLabel", "topBar", "部门非预算报销月度统计");
        row("hintLabel", "QLabel", "topBar", "说明：点击数据网格可查看月报明细！");
        row("yearLabel", "QLabel", "leftPanel", "统计年度");
        row("yearBox", "QComboBox", "leftPanel", "");
        row("treeLabel", "QLabel", "leftPanel", "选择部门");
        row("selectAllBox", "QCheckBox", "leftPanel", "全选");
        row("deptTree", "nbr::DeptTreeView", "leftPanel", "");
        row("deptLabel", "QLabel", "mainPanel", "部门");
        row("summaryTitle", "QLabel", "mainPanel", "部门非预算报销月报");
        row("summaryGrid", "nbr::ReportGridView", "mainPanel", "");
        row("drillDownButton", "QPushButton", "mainPanel", "");
        row("waitBox", "nbr::PictureBox", "mainPanel", "");
        row("waitLabel", "QLabel", "waitBox", "正在进行数据统计，请稍等......");
        row("runButton", "QPushButton", "bottomBar", "开始统计");
        row("exportButton", "QPushButton", "bottomBar", "导出Excel");
        row("exitButton", "QPushButton", "bottomBar", "退出");
        row("exportProgress", "QProgressBar", "bottomBar", "");
        row("listingLabel", "QLabel", "detailPanel", "明细");
        row("detailTitle", "QLabel", "detailPanel", "部门非预算科目销明细月报");
        row("detailDeptLabel", "QLabel", "detailPanel", "部门");
        row("closeDetailImage", "nbr::ClickableImage", "detailPanel", "");
        row("detailGrid", "nbr::ReportGridView", "detailPanel", "");
        row("detailBottomBar", "nbr::PictureBox", "detailPanel", "");
        row("exportDetailButton", "QPushButton", "detailBottomBar", "导出明细");
        row("closeDetailButton", "QPushButton", "detailBottomBar", "关闭");
        row("detailExportProgress", "QProgressBar", "detailBottomBar", "");
        row("statusBar", "QStatusBar", "reportWindow", "");
    }
    void everyControlWithItsKindParentAndCaption() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, parent);
        QFETCH(QString, caption);
        ReportWindow w(m_context.app);
        auto* control = w.findChild<QWidget*>(name);
        QVERIFY(control);
        QVERIFY(control->inherits(kind.toLatin1().constData()));
        QCOMPARE(control->parentWidget()->objectName(), parent);
        if (auto* label = qobject_cast<QLabel*>(control))
            QCOMPARE(label->text(), caption);
        else if (auto* button = qobject_cast<QAbstractButton*>(control))
            QCOMPARE(button->text(), caption);
    }

    void designColoursAndPositions() {
        ReportWindow w(m_context.app);
        auto colour = [&](const char* name) {
            return w.findChild<QWidget*>(QString::fromUtf8(name))
                ->palette()
                .color(QPalette::Window);
        };
        QCOMPARE(colour("topBar"), QColor(232, 251, 255));
        QCOMPARE(colour("leftPanel"), QColor(232, 251, 255));
        QCOMPARE(colour("bottomBar"), QColor(232, 251, 255));
        QCOMPARE(colour("waitBox"), QColor(255, 192, 192));
        auto text = [&](const char* name) {
            return w.findChild<QLabel*>(QString::fromUtf8(name))
                ->palette()
                .color(QPalette::WindowText);
        };
        QCOMPARE(text("titleLabel"), QColor(128, 0, 0));
        QCOMPARE(text("hintLabel"), QColor(255, 0, 0));
        QCOMPARE(text("yearLabel"), QColor(0, 0, 128));
        QCOMPARE(text("summaryTitle"), QColor(0, 0, 192));
        QCOMPARE(text("waitLabel"), QColor(192, 0, 0));
        // Design positions in twips, at 15 twips per pixel.
        QCOMPARE(w.findChild<QWidget*>(u"runButton"_s)->geometry(), QRect(77, 7, 86, 23));
        QCOMPARE(w.findChild<QWidget*>(u"yearLabel"_s)->pos(), QPoint(25, 10));
        QCOMPARE(w.findChild<QWidget*>(u"drillDownButton"_s)->isVisible(), false);
        QVERIFY(w.font().families().contains(u"微软雅黑"_s));
        QCOMPARE(w.font().pointSize(), 9);
    }

    // The departments as "code name", the first opened; a tick on a box
    // takes the subtree along; 全选 leaves Tervo中心 as it was.
    void treeShowsAndTicksTheDepartments() {
        ReportWindow* w = open();
        DeptTreeModel& m = w->departments();
        auto* tree = w->findChild<DeptTreeView*>(u"deptTree"_s);
        QCOMPARE(shown(m, *tree).mid(0, 4), (QStringList{u"01 总部 +"_s, u"0101 办公室"_s,
                                                         u"0102 财务部"_s, u"0103 Tervo中心"_s}));
        QCOMPARE(shown(m, *tree).filter(u" +"_s).size(), 1);
        QVERIFY(m.index(0, 0).data(Qt::DecorationRole).isValid());
        const QModelIndex tervo = m.indexOf(m.tree().indexOf(u"0103"_s));
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->checkBoxRect(tervo).center());
        QCOMPARE(ticked(m), u"0103 010301 010302"_s);
        QCOMPARE(tervo.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        auto* check = w->findChild<QCheckBox*>(u"selectAllBox"_s);
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        QVERIFY(check->isChecked());
        QCOMPARE(m.selection().tickedCount(), m.tree().size());
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        QCOMPARE(ticked(m), QString());
        QCOMPARE(tervo.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
        QCOMPARE(tervo.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(5, check->height() / 2));
    }

    // Each row: what is typed, the tree then shown (matches with their
    // parents, all expanded) and the node ticked while it shows.
    void searchShowsMatchesAndTicksAsWithout_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("ticked");
        QTest::newRow("code prefix, a parent ticked with hidden children")
            << u"0102"_s << QStringList{u"01 总部"_s, u"0102 财务部"_s} << u"01"_s;
        QTest::newRow("code prefix finds the subtree")
            << u"0103"_s
            << QStringList{u"01 总部"_s, u"0103 Tervo中心"_s, u"010301 一组"_s, u"010302 二组"_s}
            << u"0103"_s;
        QTest::newRow("name part, letters in either case")
            << u"tervo"_s << QStringList{u"01 总部"_s, u"0103 Tervo中心"_s} << u"0103"_s;
        QTest::newRow("name part in two trees")
            << u"中心"_s << QStringList{u"01 总部"_s, u"0103 Tervo中心"_s, u"03 后勤中心"_s}
            << u"03"_s;
        QTest::newRow("a code inside a name is no match")
            << u"0201"_s << QStringList{u"02 生产部"_s, u"0201 车间"_s} << u"02"_s;
        QTest::newRow("the node text as shown")
            << u"0102 财"_s << QStringList{u"01 总部"_s, u"0102 财务部"_s} << QString();
        QTest::newRow("nothing found") << u"仓库x"_s << QStringList() << QString();
    }

    void searchShowsMatchesAndTicksAsWithout() {
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        QFETCH(QString, ticked);
        ReportWindow* w = open();
        DeptTreeModel& m = w->departments();
        auto* tree = w->findChild<DeptTreeView*>(u"deptTree"_s);
        auto* search = w->findChild<QLineEdit*>(u"deptSearch"_s);
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        QTest::keyClick(w, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(search->hasFocus());
        tree->setCurrentIndex({});
        QInputMethodEvent typing; // as an input method hands over Chinese text
        typing.setCommitString(typed);
        QApplication::sendEvent(search, &typing);
        // The matches with their parents, all of them opened.
        QStringList seen;
        const std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int r = 0; r < m.rowCount(parent); ++r) {
                const QModelIndex index = m.index(r, 0, parent);
                seen << index.data().toString();
                QVERIFY(m.rowCount(index) == 0 || tree->isExpanded(index));
                walk(index);
            }
        };
        walk({});
        QCOMPARE(seen, shown);
        // Enter goes to the first match in the tree.
        QTest::keyClick(search, Qt::Key_Return);
        if (!shown.isEmpty()) {
            QCOMPARE(tree->currentIndex().data().toString(), shown.at(1));
            tree->setCurrentIndex({}); // else the tree opens to show it
        }
        if (!ticked.isEmpty())
            tickDepartments(m, {ticked});
        const QString underSearch = this->ticked(m);
        QTest::keyClick(search, Qt::Key_Escape);
        QVERIFY(search->text().isEmpty());
        QCOMPARE(m.rowCount({}), 3);
        // The tree comes back opened as it was: only the first department.
        QCOMPARE(this->shown(m, *tree).filter(u" +"_s), QStringList{u"01 总部 +"_s});
        m.selection().selectAll(false);
        if (!ticked.isEmpty())
            tickDepartments(m, {ticked});
        QCOMPARE(underSearch, this->ticked(m));
        m.selection().selectAll(false);
        m.selectionChanged();
    }

    void departmentClickMakesTheDepartmentCurrent() {
        test::FakePrompts& prompts = freshPrompts();
        ReportWindow* w = open();
        DeptTreeModel& m = w->departments();
        auto* tree = w->findChild<DeptTreeView*>(u"deptTree"_s);
        const auto clickOn = [&](const QString& code) {
            const QRect row = tree->visualRect(m.indexOf(m.tree().indexOf(code)));
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              QPoint(row.right() - 5, row.center().y()));
        };
        tickDepartments(m, {u"0102"_s});
        w->runSummary();
        clickOn(u"0102"_s);
        QCOMPARE(w->findChild<QLabel*>(u"deptLabel"_s)->text(), u"部门：财务部"_s);
        QCOMPARE(w->summaryGrid().rowCount(), 0);
        QVERIFY(!w->summary());
        QVERIFY(!w->findChild<QPushButton*>(u"drillDownButton"_s)->isVisible());
        const QModelIndex finance = m.indexOf(m.tree().indexOf(u"0102"_s));
        QCOMPARE(finance.data(Qt::BackgroundRole).value<QBrush>().color(), QColor(0, 192, 192));
        clickOn(u"01"_s);
        QVERIFY(!finance.data(Qt::BackgroundRole).isValid());
        QCOMPARE(m.index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color(),
                 QColor(0, 192, 192));
        QCOMPARE(ticked(m), u"0102"_s); // a click is no tick
        QVERIFY(prompts.recorded.isEmpty());
        m.selection().selectAll(false);
    }

    void closingAndReopeningLoadsAfresh() {
        ReportWindow* w = open();
        tickDepartments(w->departments(), {u"01"_s});
        QTest::mouseClick(w->findChild<QPushButton*>(u"exitButton"_s), Qt::LeftButton);
        QVERIFY(!m_frame->reportWindow());
        ReportWindow* again = open();
        QVERIFY(again);
        QCOMPARE(ticked(again->departments()), QString());
        QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 1);
        // Enter on the focused 退出 presses it.
        auto* exit = again->findChild<QPushButton*>(u"exitButton"_s);
        exit->setFocus();
        QTest::keyClick(exit, Qt::Key_Return);
        QVERIFY(!m_frame->reportWindow());
    }

    void detailPanelClosesOnlyWithImageZeroAndCommand4() {
        ReportWindow* w = open();
        auto* panel = w->findChild<QWidget*>(u"detailPanel"_s);
        auto* left = w->findChild<QWidget*>(u"leftPanel"_s);
        panel->show();
        left->setEnabled(false);
        w->onCloseImageClicked(3); // another member of the array: nothing
        QVERIFY(panel->isVisible());
        QTest::mouseClick(w->findChild<QWidget*>(u"closeDetailImage"_s), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QVERIFY(left->isEnabled());
        panel->show();
        // Open, it follows the window's resizes over the main panel and the bottom bar.
        m_frame->resize(1100, 700);
        QCoreApplication::processEvents();
        const QRect main = w->findChild<QWidget*>(u"mainPanel"_s)->geometry();
        QCOMPARE(panel->geometry(),
                 main.united(w->findChild<QWidget*>(u"bottomBar"_s)->geometry()));
        QTest::mouseClick(w->findChild<QPushButton*>(u"closeDetailButton"_s), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
    }

    void layoutFollowsEveryResize() {
        test::FakePrompts& prompts = freshPrompts();
        ReportWindow* w = open();
        // It opens filling the frame's client area.
        QMdiSubWindow* sub = m_frame->mdiArea()->subWindowList().first();
        QVERIFY(sub->isMaximized());
        QCOMPARE(sub->size(), m_frame->mdiArea()->viewport()->size());
        m_frame->resize(1600, 1000);
        QCoreApplication::processEvents();
        auto* grid = w->findChild<QWidget*>(u"summaryGrid"_s);
        auto* picture3 = w->findChild<QWidget*>(u"mainPanel"_s);
        QCOMPARE(w->mainGeometry().mainPanel.width, pixelsToTwipsForTest(w->width()) - 3990 - 30);
        QVERIFY(grid->width() < picture3->width());
        QVERIFY(picture3->geometry().right() <= w->width());
        // Very small: it keeps a size at which the bottom bar's buttons and the
        // status bar's panels stay apart; nothing is reported, and it recovers.
        sub->showNormal();
        sub->resize(60, 40);
        QCoreApplication::processEvents();
        QVERIFY(w->width() >= w->minimumWidth() && w->height() >= w->minimumHeight());
        auto right = [&](const char* name) {
            return w->findChild<QWidget*>(QString::fromUtf8(name))->geometry().right();
        };
        QVERIFY(right("exportButton") < w->findChild<QWidget*>(u"exitButton"_s)->x());
        QVERIFY(right("bottomBar") <= w->width());
        for (int panel = 1; panel < 9; ++panel)
            QVERIFY(right(qPrintable(u"statusPanel%1"_s.arg(panel))) <
                    w->findChild<QWidget*>(u"statusPanel%1"_s.arg(panel + 1))->x());
        QVERIFY(m_frame->mdiArea()->minimumWidth() >= w->minimumWidth());
        sub->resize(1200, 700);
        QCoreApplication::processEvents();
        QVERIFY(grid->width() > 0);
        QVERIFY(prompts.recorded.isEmpty());
    }

    // The window opens on an empty tree and says why, once.
    void failedTreeQueryIsTold() {
        const QString broken = m_dir.filePath(u"broken.db"_s);
        test::FixtureDb(broken).exec(u"DROP TABLE 上级部门new"_s);
        test::FakePrompts& prompts = freshPrompts();
        open()->closeWindow(); // the next opening loads afresh
        QVERIFY(m_context.connectToFile(broken));
        ReportWindow* w = open();
        QVERIFY(m_context.connectToFile(m_dir.filePath(u"tree.db"_s)));
        QVERIFY(w->isVisible() && w->departments().tree().isEmpty());
        QCOMPARE(prompts.messageTexts(),
                 QStringList{u"错误码: 1 错误描述: no such table: 上级部门new (1)"_s});
        QCOMPARE(prompts.recorded[0].title, u"系统提示"_s);
        w->closeWindow();
    }

private:
    static int pixelsToTwipsForTest(int px) { return int(std::lround(px * 1440.0 / 96.0)); }
};

QTEST_MAIN(TestReportWindow)
#include "tst_report_window.moc"
