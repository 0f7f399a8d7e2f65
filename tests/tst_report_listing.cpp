// The drill-down of the summary grid: when the drill-down button shows and
// where it stands, the listing of a cell in its panel, its year and widths;
// what a selection of either grid puts on the clipboard; the keys and
// shortcuts, and one run per double click; driven through the report window
// over SQLite fixtures.

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "ModelDumps.h"
#include "ReportFixtures.h"
#include "ReportWindowDriver.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportGridView.h"
#include "report/ui/ReportWindow.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestReportListing : public QObject, ReportWindowDriver {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_db;

private slots:
    void initTestCase() {
        m_db = m_dir.filePath(u"summary.db"_s);
        test::writeSummaryDatabase(m_db);
    }
    void init() { openWindow(m_db); }
    void cleanup() { closeWindow(); }

    void clickRulesForTheDrillDownButton() {
        tick({u"0102"_s});
        run();
        ReportGridModel& g = window().summaryGrid();
        ReportGridView& view = window().summaryView();
        auto* panel = window().findChild<QWidget*>(u"detailPanel"_s);
        const auto current = [&] { return view.cellRect(view.currentCell()); };
        click(0, 4); // non-zero month of a data row
        QVERIFY(btnB()->isVisible());
        QCOMPARE(btnB()->width(), 200 / 15);
        QCOMPARE(btnB()->pos(), view.pos() + current().topLeft());
        click(0, 6); // empty month
        QVERIFY(!btnB()->isVisible());
        click(0, 5); // negative month is non-zero
        QVERIFY(btnB()->isVisible());
        panel->show();
        click(2, 4); // subtotal row: the button goes, the panel stays as it was
        QVERIFY(!btnB()->isVisible());
        QVERIFY(panel->isVisible());
        click(0, 4);
        QVERIFY(btnB()->isVisible());
        QVERIFY(!panel->isVisible());
        click(g.rowCount() - 1, 4); // grand-total row
        QVERIFY(!btnB()->isVisible());
        click(0, 4);
        panel->show();
        click(0, 16); // the total column: button and panel go
        QVERIFY(!btnB()->isVisible());
        QVERIFY(!panel->isVisible());
        click(0, 4);
        click(0, 2); // a name column
        QVERIFY(!btnB()->isVisible());

        // The button moves with its cell when the grid scrolls, hides while the
        // cell is out of view or the keyboard moves on, and a new run takes it away.
        window().resize(900, 600);
        click(0, 5); // February: January is the first month to scroll under the names
        QScrollBar* scroll = view.horizontalScrollBar();
        const int x = btnB()->x();
        scroll->setValue(scroll->singleStep());
        QVERIFY(btnB()->isVisible());
        QVERIFY(btnB()->x() < x);
        QCOMPARE(btnB()->x(), view.x() + current().left());
        scroll->setValue(scroll->maximum());
        QVERIFY(!btnB()->isVisible());
        // At the right end the body starts on a whole column, no sliver of one.
        QCOMPARE(view.columnViewportPosition(view.columnAt(0)), 0);
        QVERIFY(view.columnViewportPosition(16) + view.columnWidth(16) <= view.viewport()->width());
        scroll->setValue(0);
        QVERIFY(btnB()->isVisible());
        QCOMPARE(btnB()->x(), x);
        QTest::keyClick(&view, Qt::Key_Right);
        QVERIFY(!btnB()->isVisible());
        QCOMPARE(view.currentCell().col, 6);
        click(0, 6);
        scroll->setValue(scroll->maximum());
        // A run leaves the user at the top left, on the first data row's
        // January, with the button there as a key would put it.
        run();
        QCOMPARE(scroll->value(), 0);
        QCOMPARE(view.currentCell(), (GridCell{0, 4}));
        QVERIFY(btnB()->isVisible());
        // The frozen 部门名称 shows in the body's look, not the heading's.
        const QRect name = view.cellRect({0, 1});
        QCOMPARE(view.grab().toImage().pixelColor(name.right() - 3, name.top() + 3),
                 QColor(Qt::white));
        g.setRows({});
        click(-1, 4); // headings only: nothing
        QVERIFY(!btnB()->isVisible());
    }

    // A selection made with the mouse and the keys (a click, a Shift+click
    // or a drag to a second cell, then the keys), copied with Ctrl+C, or
    // Ctrl+Shift+C with the headings.
    void copiesTheSelection_data() {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QPoint>("click"); // column, row
        QTest::addColumn<QPoint>("to");    // by Shift+click, or by a drag
        QTest::addColumn<bool>("drag");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("withHeader");
        QTest::addColumn<QString>("tsv");
        QTest::addColumn<QString>("html"); // empty: not compared
        const QString summary = u"summaryGrid"_s;
        const QString detail = u"detailGrid"_s;
        const QPoint none(-1, -1);
        const QString table = u"<html><head><meta charset=\"utf-8\"></head><body><table>\n"_s;
        const QString text = uR"( style='mso-number-format:"\@"')"_s;
        const QString amount = uR"( style='mso-number-format:"0\.00"')"_s;
        QTest::newRow("cells by Shift+click: amounts as numbers, blanks blank")
            << summary << QPoint(2, 0) << QPoint(5, 1) << false << QString() << false
            << u"6602\t管理费用\t126.50\t-30.00\n660201\t办公费\t\t\n"_s
            << table + u"<tr><td"_s + text + u">6602</td><td"_s + text + u">管理费用</td><td"_s +
                   amount + u">126.50</td><td"_s + amount + u">-30.00</td></tr>\n<tr><td"_s + text +
                   u">660201</td><td"_s + text +
                   u">办公费</td><td></td><td></td></tr>\n</table></body></html>\n"_s;
        QTest::newRow("Shift+arrows")
            << summary << QPoint(4, 0) << none << false << u"Shift+Right, Shift+Down"_s << false
            << u"126.50\t-30.00\n\t\n"_s << QString();
        QTest::newRow("a drag") << summary << QPoint(4, 0) << QPoint(5, 1) << true << QString()
                                << false << u"126.50\t-30.00\n\t\n"_s << QString();
        QTest::newRow("a whole row by 序, with the headings, no key column")
            << summary << QPoint(0, 1) << none << false << QString() << true
            << u"序\t部门名称\t科目代号\t科目名称\t01月份\t02月份\t03月份\t04月份\t05月份\t"
               u"06月份\t07月份\t08月份\t09月份\t10月份\t11月份\t12月份\t合计\n"
               u"2\t财务部\t660201\t办公费\t\t\t50.50\t\t\t\t\t\t\t\t\t\t50.50\n"_s
            << QString();
        QTest::newRow("a whole column by its heading")
            << summary << QPoint(2, -1) << none << false << QString() << false
            << u"6602\n660201\n\n\n"_s << QString();
        QTest::newRow("a click on a listing line: the line across, zeros kept")
            << detail << QPoint(3, 0) << none << false << QString() << false
            << u"1\t0000102\t2026-01-15\t张三\t\t是\t\t6602 管理费用\t\t20.50\t\t20.50\n"_s
            << table + u"<tr><td>1</td><td"_s + text + u">0000102</td><td"_s + text +
                   u">2026-01-15</td><td"_s + text + u">张三</td><td></td><td"_s + text +
                   u">是</td><td></td><td"_s + text + u">6602 管理费用</td><td></td><td"_s +
                   amount + u">20.50</td><td></td><td"_s + amount +
                   u">20.50</td></tr>\n</table></body></html>\n"_s;
        QTest::newRow("Ctrl+A in the listing, with the headings")
            << detail << QPoint(9, 1) << none << false << u"Ctrl+A"_s << true
            << u"序\t报销单编号\t报批日期\t报销人\t审批日期\t审批通过\t支付日期\t科目名称\t"
               u"摘要\t金额\t税额\t合计\n"
               u"1\t0000102\t2026-01-15\t张三\t\t是\t\t6602 管理费用\t\t20.50\t\t20.50\n"
               u"2\t0000102\t2026-01-15\t张三\t\t是\t\t6602 管理费用\t办公用品\t100.00\t"
               u"6.00\t106.00\n"
               u"3\t合计\t\t\t\t\t\t\t\t120.50\t6.00\t126.50\n"_s
            << QString();
    }

    void copiesTheSelection() {
        QFETCH(QString, grid);
        QFETCH(QPoint, click);
        QFETCH(QPoint, to);
        QFETCH(bool, drag);
        QFETCH(QString, keys);
        QFETCH(bool, withHeader);
        QFETCH(QString, tsv);
        QFETCH(QString, html);
        tick({u"0102"_s});
        run();
        if (grid == u"detailGrid"_s) {
            this->click(0, 4);
            QTest::mouseClick(btnB(), Qt::LeftButton);
        }
        auto* view = window().findChild<ReportGridView*>(grid);
        if (drag) {
            const auto at = [view](QPoint cell) {
                const QPoint pos = view->cellRect({cell.y(), cell.x()}).center();
                QWidget* part = view->childAt(pos);
                return std::pair{part, part->mapFrom(view, pos)};
            };
            const auto [fromPart, from] = at(click);
            const auto [toPart, toPos] = at(to);
            QTest::mousePress(fromPart, Qt::LeftButton, {}, from);
            QTest::mouseMove(toPart, toPos);
            QTest::mouseRelease(toPart, Qt::LeftButton, {}, toPos);
        } else {
            clickCell(*view, {click.y(), click.x()});
            if (to.x() >= 0)
                clickCell(*view, {to.y(), to.x()}, Qt::ShiftModifier);
        }
        const QKeySequence sequence(keys);
        for (int k = 0; k < sequence.count(); ++k)
            QTest::keyClick(view, sequence[k].key(), sequence[k].keyboardModifiers());
        QTest::keyClick(view, Qt::Key_C,
                        withHeader ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QCOMPARE(copied->text(), tsv);
        if (!html.isEmpty())
            QCOMPARE(copied->html(), html);
    }

    // After a run (the current cell the first data row's January, a month
    // with an amount) or with a listing open: keys pressed on a control, the
    // panel open or not and the control focused afterwards, and the save
    // dialog's proposal when an export asks for one.
    void keysReachWhatTheMouseDoes_data() {
        QTest::addColumn<bool>("listingOpen");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("panelAfter");
        QTest::addColumn<QString>("focusAfter");
        QTest::addColumn<QString>("proposed"); // the start of the save dialog's name
        const QString summary = u"summaryGrid"_s;
        const QString detail = u"detailGrid"_s;
        QTest::newRow("Enter on a month with an amount opens its listing")
            << false << summary << u"Return"_s << true << detail << QString();
        QTest::newRow("Space does the same")
            << false << summary << u"Space"_s << true << detail << QString();
        QTest::newRow("Enter on an empty month does nothing")
            << false << summary << u"Right, Right, Return"_s << false << summary << QString();
        QTest::newRow("Tab leaves the summary grid, first for the button on its cell")
            << false << summary << u"Tab"_s << false << u"drillDownButton"_s << QString();
        QTest::newRow("Tab on to the bottom bar")
            << false << summary << u"Tab, Tab"_s << false << u"runButton"_s << QString();
        QTest::newRow("Shift+Tab leaves it backwards")
            << false << summary << u"Shift+Tab"_s << false << u"deptTree"_s << QString();
        QTest::newRow("Tab leaves the listing grid")
            << true << detail << u"Tab"_s << true << u"exportDetailButton"_s << QString();
        QTest::newRow("Esc closes the listing, back on its cell")
            << true << detail << u"Esc"_s << false << summary << QString();
        QTest::newRow("Ctrl+E exports the summary")
            << false << summary << u"Ctrl+E"_s << false << QString() << u"非预算报销月报_"_s;
        QTest::newRow("Ctrl+E with a listing open exports the listing")
            << true << detail << u"Ctrl+E"_s << true << QString() << u"2026年01月份"_s;
    }

    void keysReachWhatTheMouseDoes() {
        QFETCH(bool, listingOpen);
        QFETCH(QString, focus);
        QFETCH(QString, keys);
        QFETCH(bool, panelAfter);
        QFETCH(QString, focusAfter);
        QFETCH(QString, proposed);
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        tick({u"0102"_s});
        window().findChild<QWidget*>(u"deptTree"_s)->setFocus();
        QTest::keyClick(&window(), Qt::Key_Return, Qt::ControlModifier); // 开始统计
        QCOMPARE(window().summaryGrid().rowCount(), 4);
        if (listingOpen)
            QTest::mouseClick(btnB(), Qt::LeftButton);
        auto* focused = window().findChild<QWidget*>(focus);
        focused->setFocus();
        const QKeySequence sequence(keys);
        for (int k = 0; k < sequence.count(); ++k)
            QTest::keyClick(QApplication::focusWidget(), sequence[k].key(),
                            sequence[k].keyboardModifiers());
        QCOMPARE(window().findChild<QWidget*>(u"detailPanel"_s)->isVisible(), panelAfter);
        if (!focusAfter.isEmpty())
            QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
        if (!proposed.isEmpty()) {
            QVERIFY(!prompts().recorded.isEmpty());
            QVERIFY2(prompts().recorded[0].text.startsWith(proposed),
                     qPrintable(prompts().recorded[0].text));
        }
    }

    // Clicks that reach the window while a run is busy are dropped: a double
    // click on 开始统计 runs once.
    void oneRunPerDoubleClick() {
        tick({u"0102"_s});
        QSignalSpy fills(&window().summaryGrid(), &QAbstractItemModel::modelReset);
        run();
        const qsizetype oneRun = fills.count();
        fills.clear();
        auto* button = window().findChild<QPushButton*>(u"runButton"_s);
        const QPointF at = QRectF(button->rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(button, new QMouseEvent(type, at, button->mapToGlobal(at),
                                                                Qt::LeftButton, Qt::LeftButton,
                                                                Qt::NoModifier));
        run();
        QCoreApplication::processEvents();
        QCOMPARE(fills.count(), oneRun);
    }

    // The listing of a cell in the panel, under its captions; a click on a
    // line selects it across, a heading click sorts by its column, a second
    // one the other way, 序 numbering the lines as shown.
    void detailListingOfACell() {
        tick({u"0102"_s});
        run();
        click(0, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QVERIFY(window().findChild<QWidget*>(u"detailPanel"_s)->isVisible());
        QVERIFY(!window().findChild<QWidget*>(u"leftPanel"_s)->isEnabled());
        QCOMPARE(window().findChild<QLabel*>(u"listingLabel"_s)->text(),
                 u"01月份          【管理费用】报销明细"_s);
        QCOMPARE(window().findChild<QLabel*>(u"detailDeptLabel"_s)->text(), u"部门：财务部"_s);
        const ReportGridModel& d = window().detailGrid();
        QCOMPARE(d.rowCount(), 3);
        QCOMPARE(window().summaryGrid().text(0, 4), d.text(2, 11));
        ReportGridView& view = window().detailView();
        clickCell(view, {1, 5});
        QCOMPARE(view.currentCell(), (GridCell{1, 0}));
        QCOMPARE(view.extentCell(), (GridCell{1, 11}));
        clickCell(view, {-1, 9});
        clickCell(view, {-1, 9});
        QCOMPARE(d.text(0, 8), u"办公用品"_s);
        QCOMPARE(d.text(0, 0), u"1"_s);
        QCOMPARE(d.text(1, 9), u"20.50"_s);
        QCOMPARE(d.text(2, 1), u"合计"_s);
    }

    void listingKeepsTheRunYearAndItsWidths() {
        tick({u"0102"_s});
        run();
        window().findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2027年"_s);
        click(0, 4);
        QTest::mouseClick(btnB(), Qt::LeftButton);
        const ReportGridModel& d = window().detailGrid();
        QCOMPARE(d.text(0, 2), u"2026-01-15"_s); // the run's year, not the box's
        const int summaryWidth = d.columnWidth(8);
        QTest::mouseClick(window().findChild<QPushButton*>(u"closeDetailButton"_s), Qt::LeftButton);
        QVERIFY(window().findChild<QWidget*>(u"leftPanel"_s)->isEnabled());
        QVERIFY(btnB()->isVisible()); // back on the listing's cell
        click(1, 6);                  // March: one line, no summary text
        QTest::mouseClick(btnB(), Qt::LeftButton);
        QCOMPARE(d.rowCount(), 2);
        QCOMPARE(d.text(0, 10), QString());
        QCOMPARE(d.text(0, 11), u"50.50"_s);
        QCOMPARE(d.columnWidth(8), summaryWidth);
    }
};

QTEST_MAIN(TestReportListing)
#include "tst_report_listing.moc"
