// Amount texts ("0.00", ties away from zero on the decimal value, read back
// as numbers), the report window's layout rules in twips, the listing's
// proposed file name and the listing sorted by a column.

#include "report/AmountText.h"
#include "report/ListingSort.h"
#include "report/ReportCaptions.h"
#include "report/ReportColumns.h"
#include "report/ReportLayout.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

class TestReportRules : public QObject {
    Q_OBJECT
private slots:
    void formatsDecimalTexts_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("tie rounds up") << u"1.005"_s << u"1.01"_s;
        QTest::newRow("negative tie rounds away from zero") << u"-2.675"_s << u"-2.68"_s;
        QTest::newRow("money with four decimals") << u"1234.5000"_s << u"1234.50"_s;
        QTest::newRow("integer") << u"100"_s << u"100.00"_s;
        QTest::newRow("SQLite real") << u"100.0"_s << u"100.00"_s;
        QTest::newRow("carry through nines") << u"999.995"_s << u"1000.00"_s;
        QTest::newRow("small tie") << u"0.005"_s << u"0.01"_s;
        QTest::newRow("below half") << u"0.0049"_s << u"0.00"_s;
        QTest::newRow("negative rounding to zero") << u"-0.004"_s << u"0.00"_s;
        QTest::newRow("exponent form") << u"1.5e-05"_s << u"0.00"_s;
        QTest::newRow("large exponent") << u"1.2345e3"_s << u"1234.50"_s;
        QTest::newRow("money maximum") << u"922337203685477.5807"_s << u"922337203685477.58"_s;
        QTest::newRow("leading dot") << u".5"_s << u"0.50"_s;
        QTest::newRow("not a number") << u"abc"_s << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void formatsDecimalTexts() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(formatAmount(input), expected);
    }

    void formatsDoublesThroughTheirShortestForm() {
        // 1.005 is 1.00499999999999989... in binary: the decimal form decides.
        QCOMPARE(formatAmount(1.005), u"1.01"_s);
        QCOMPARE(formatAmount(0.1 + 0.2), u"0.30"_s);
        QCOMPARE(formatAmount(-2.675), u"-2.68"_s);
        QCOMPARE(formatAmount(0.0), u"0.00"_s);
    }

    void readsDisplayedTextsBack() {
        QCOMPARE(amountValue(QString()), 0.0);
        QCOMPARE(amountValue(u"1234.50"_s), 1234.5);
        QCOMPARE(amountValue(u"-0.01"_s), -0.01);
        QCOMPARE(amountValue(u"小计"_s), 0.0);
    }

    void mainLayoutAtTheDesignWidth() {
        MainGeometry g;
        applyMainLayout(g, 22455, 10140);
        QCOMPARE(g.mainPanel.width, 18435);
        QCOMPARE(g.bottomBar.width, 18435);
        QCOMPARE(g.summaryGrid.width, 18345);
        QCOMPARE(g.exitButton.left, 16125);
        QCOMPARE(g.leftPanel.height, 10140 - 630 - 375);
        QCOMPARE(g.bottomBar.top, 10140 - 375 - 585);
        QCOMPARE(g.exportProgress.width, 18435 - 210);
    }

    void shrinkingBelowZeroKeepsPreviousSizes() {
        MainGeometry g;
        applyMainLayout(g, 22455, 10140);
        const MainGeometry before = g;
        applyMainLayout(g, 2000, 800); // too small for almost everything
        QCOMPARE(g.mainPanel.width, before.mainPanel.width);
        QCOMPARE(g.summaryGrid.height, before.summaryGrid.height);
        QCOMPARE(g.leftPanel.height, before.leftPanel.height);
        // Positions still follow, and the next assignment ran.
        QCOMPARE(g.bottomBar.top, 800 - 375 - 585);
        applyMainLayout(g, 22455, 10140);
        QCOMPARE(g.mainPanel.width, 18435);
        QCOMPARE(g.summaryGrid.height, before.summaryGrid.height);
    }

    void detailLayout() {
        DetailGeometry g;
        g.panel = {4125, 630, 18435, 9135};
        applyDetailLayout(g);
        QCOMPARE(g.bottomBar.top, 9135 - 630);
        QCOMPARE(g.bottomBar.width, 18435 - 150);
        QCOMPARE(g.closeButton.left, 18285 - 1875 - 1155);
        QCOMPARE(g.grid.width, 18435 - 60 - 30);
        QCOMPARE(g.grid.height, 9135 - 780 - 630);
        QCOMPARE(g.exportProgress.width, 18285 - 330);
        g.panel.height = 500; // the grid would go negative: it keeps its height
        applyDetailLayout(g);
        QCOMPARE(g.grid.height, 9135 - 780 - 630);
        QCOMPARE(g.bottomBar.top, 500 - 630);
    }

    // Names from the database never make the proposal a path.
    void detailFileNameHoldsNoPathCharacters() {
        ListingRequest cell{u"0102"_s, u"财务部"_s, u"6602"_s, u"差旅/交通"_s, 2026, 3};
        QCOMPARE(detailFileName(cell), u"2026年03月份【差旅_交通】报销明细_财务部"_s);
        cell.deptName = u"综合\\行政:部*?\"<>|\t"_s;
        QCOMPARE(detailFileName(cell), u"2026年03月份【差旅_交通】报销明细_综合_行政_部_______"_s);
    }

    // Lines by claim number 00010, 00002, 00100 as read; each row names the
    // order a heading click gives.
    void sortsTheListingByAColumn_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::addColumn<QStringList>("claims");
        const auto row = [](const char* name, int column, Qt::SortOrder order,
                            const QStringList& claims) {
            QTest::newRow(name) << column << order << claims;
        };
        using enum Qt::SortOrder;
        row("amounts as numbers", DetailCol::Amount, AscendingOrder,
            {u"00002"_s, u"00100"_s, u"00010"_s});
        row("amounts the other way", DetailCol::Amount, DescendingOrder,
            {u"00010"_s, u"00100"_s, u"00002"_s});
        row("line totals", DetailCol::LineTotal, AscendingOrder,
            {u"00002"_s, u"00100"_s, u"00010"_s});
        row("dates", DetailCol::SubmitDate, AscendingOrder, {u"00100"_s, u"00002"_s, u"00010"_s});
        row("dates the other way", DetailCol::SubmitDate, DescendingOrder,
            {u"00010"_s, u"00002"_s, u"00100"_s});
        row("empty tax last", DetailCol::Tax, AscendingOrder, {u"00100"_s, u"00002"_s, u"00010"_s});
        row("empty tax last the other way too", DetailCol::Tax, DescendingOrder,
            {u"00002"_s, u"00100"_s, u"00010"_s});
        row("numbers inside texts by value", DetailCol::Summary, AscendingOrder,
            {u"00002"_s, u"00010"_s, u"00100"_s});
        row("claim numbers keep their zeros", DetailCol::ClaimNumber, DescendingOrder,
            {u"00100"_s, u"00010"_s, u"00002"_s});
    }

    void sortsTheListingByAColumn() {
        QFETCH(int, column);
        QFETCH(Qt::SortOrder, order);
        QFETCH(QStringList, claims);
        Listing listing;
        const auto line = [&](const char* claim, const char* date, const char* summary,
                              const char* amount, const char* tax, const char* total) {
            ListingLine l;
            l.claimNumber = QString::fromUtf8(claim);
            l.submitDate = QString::fromUtf8(date);
            l.summary = QString::fromUtf8(summary);
            l.amount = QString::fromUtf8(amount);
            l.tax = QString::fromUtf8(tax);
            l.lineTotal = QString::fromUtf8(total);
            listing.lines.push_back(l);
        };
        line("00010", "2026-12-05", "B10", "100.00", "", "100.00");
        line("00002", "2026-03-20", "B9", "-30.00", "1.00", "-29.00");
        line("00100", "2026-03-01", "", "9.50", "0.25", "9.75");
        sortListing(listing, column, order);
        QStringList sorted;
        for (const ListingLine& l : listing.lines)
            sorted << l.claimNumber;
        QCOMPARE(sorted, claims);
    }
};

QTEST_GUILESS_MAIN(TestReportRules)
#include "tst_report_rules.moc"
