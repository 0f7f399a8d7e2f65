// The summary run through the report window: the grid it fills, with the
// colours of the rows of totals; the caption beside its title; what a screen
// reader hears of it; a failing run. The run's rules themselves are
// tst_report_results'.

#include "FakePrompts.h"
#include "FixtureDb.h"
#include "ModelDumps.h"
#include "ReportFixtures.h"
#include "ReportWindowDriver.h"
#include "report/models/ReportGridModel.h"
#include "report/ui/ReportWindow.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

class TestReportSummary : public QObject, ReportWindowDriver {
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

    // The grid shows the run's rows, the rows of totals in their colours,
    // and the wait box is gone with what it said last.
    void runFillsTheGrid() {
        tick({u"0102"_s, u"0103"_s});
        run();
        QVERIFY(prompts().recorded.isEmpty());
        const ReportGridModel& g = window().summaryGrid();
        QCOMPARE(g.rowCount(), 2 + 1 + 3 + 1 + 1);
        QCOMPARE(g.text(0, 2), u"6602"_s);
        QCOMPARE(g.text(7, 16), u"153.06"_s);
        const QStringList dump = gridDump(g);
        for (const QString& cell : dump[2].split(u'|'))
            QVERIFY2(cell.endsWith(u"/#c0ffff"_s), qPrintable(cell));
        for (const QString& cell : dump[7].split(u'|'))
            QVERIFY2(cell.endsWith(u"/#8080ff"_s), qPrintable(cell));
        QVERIFY(dump[0].endsWith(u"/#000000"_s));
        QVERIFY(!window().findChild<QWidget*>(u"waitBox"_s)->isVisible());
        QCOMPARE(window().findChild<QLabel*>(u"waitPhaseLabel"_s)->text(), u"第 2 / 2 个部门"_s);
    }

    // Beside the grid's title: the run's year and departments, until the year
    // box moves on. With nothing ticked the run asks for departments instead.
    void whatTheGridShows_data() {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<bool>("headerOnly");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("nothing ticked: asked to tick")
            << QStringList() << true << QString() << QStringList{u"请先勾选部门"_s};
        QTest::newRow("no claims: header only, said so")
            << QStringList{u"0106"_s} << true << u"2026年 · 1 个部门 · 无非预算报销"_s
            << QStringList();
        QTest::newRow("claims: year and departments") << QStringList{u"0102"_s, u"0103"_s} << false
                                                      << u"2026年 · 2 个部门"_s << QStringList();
    }
    void whatTheGridShows() {
        QFETCH(QStringList, codes);
        QFETCH(bool, headerOnly);
        QFETCH(QString, caption);
        QFETCH(QStringList, messages);
        tick(codes);
        run();
        QCOMPARE(window().summaryGrid().rowCount() == 0, headerOnly); // no subtotal, no grand total
        QCOMPARE(prompts().messageTexts(), messages);
        auto* label = window().findChild<QLabel*>(u"runLabel"_s);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 128));
        // Another year chosen: the figures stay the run's, and say so in red.
        window().findChild<QComboBox*>(u"yearBox"_s)->setCurrentText(u"2027年"_s);
        QCOMPARE(label->text(),
                 caption.isEmpty() ? caption : caption + u" · 统计年度已改为2027年，请重新统计"_s);
        if (!caption.isEmpty())
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    }

    // A screen reader hears each control's Chinese name, and the summary as
    // the table it shows: no heading row among the data, no hidden code column.
    void screenReaderNamesAndTable_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        QTest::newRow("year box") << u"yearBox"_s << u"统计年度"_s;
        QTest::newRow("tree") << u"deptTree"_s << u"部门"_s;
        QTest::newRow("summary") << u"summaryGrid"_s << u"非预算报销月报"_s;
        QTest::newRow("listing") << u"detailGrid"_s << u"明细"_s;
        QTest::newRow("drill-down button") << u"drillDownButton"_s << u"查看明细"_s;
    }
    void screenReaderNamesAndTable() {
        QFETCH(QString, control);
        QFETCH(QString, name);
        auto* widget = window().findChild<QWidget*>(control);
        // The name, or on Linux for a combo box the label it is labelled by.
        QAccessibleInterface* named = QAccessible::queryAccessibleInterface(widget);
        for (const auto& [label, relation] : named->relations(QAccessible::Label))
            named = label;
        QCOMPARE(named->text(QAccessible::Name), name);
        // Every column is headed by a text, not by Qt's stand-in number.
        if (QAccessibleTableInterface* t =
                QAccessible::queryAccessibleInterface(widget)->tableInterface()) {
            for (int c = 0; c < t->columnCount(); ++c) {
                bool number = false;
                t->columnDescription(c).toInt(&number);
                QVERIFY2(!t->columnDescription(c).isEmpty() && !number,
                         qPrintable(t->columnDescription(c)));
            }
        }
        if (control != u"summaryGrid"_s)
            return;
        tick({u"0102"_s});
        run();
        const ReportGridModel& g = window().summaryGrid();
        QAccessibleInterface* grid = QAccessible::queryAccessibleInterface(widget);
        QAccessibleTableInterface* table = grid->tableInterface();
        QCOMPARE(table->rowCount(), g.rowCount());
        QCOMPARE(table->columnCount(), 17);
        QCOMPARE(table->columnDescription(16), u"合计"_s);
        QAccessibleInterface* cell = table->cellAt(0, 1);
        QCOMPARE(cell->text(QAccessible::Name), g.text(0, 1));
        QCOMPARE(cell->tableCellInterface()->columnHeaderCells().value(0)->text(QAccessible::Name),
                 u"部门名称"_s);
        QCOMPARE(grid->child(grid->indexOfChild(cell)), cell);
        for (int i = 0; i < grid->childCount(); ++i)
            QVERIFY(grid->child(i)->text(QAccessible::Name) != u"0102"_s);
    }

    void failedRunLeavesTheHeaderOnly() {
        test::FakePrompts& prompts = this->prompts();
        tick({u"0102"_s, u"0103"_s});
        run();
        QVERIFY(window().summaryGrid().rowCount() > 0);
        const QString broken = m_dir.filePath(u"broken.db"_s);
        {
            test::FixtureDb db(broken);
            db.exec(u"DROP TABLE 财务科目"_s);
        }
        QVERIFY(context().connectToFile(broken));
        run();
        QCOMPARE(window().summaryGrid().rowCount(), 0);
        QCOMPARE(prompts.recorded.size(), 1);
        QVERIFY(prompts.recorded[0].text.startsWith(u"错误码: "_s));
        QVERIFY(prompts.recorded[0].text.contains(u" 错误描述: "_s));
        QCOMPARE(prompts.recorded[0].title, u"系统提示"_s);
        QVERIFY(!window().findChild<QWidget*>(u"waitBox"_s)->isVisible());
    }
};

QTEST_MAIN(TestReportSummary)
#include "tst_report_summary.moc"
