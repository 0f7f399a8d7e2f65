// The workbook writer on grids built directly: a full disk never costs the
// existing workbook, a defective workbook is caught before it replaces
// anything, texts a cell cannot hold, an empty listing, 40 000 rows. Every
// workbook is read back by tests/check_workbook.py (openpyxl).

#include "ExportChecks.h"
#include "FixtureDb.h"
#include "ModelDumps.h"
#include "PrivateTmpfs.h"
#include "ReportFixtures.h"
#include "TestContext.h"
#include "platform/FileError.h"
#include "report/DetailListing.h"
#include "report/ReportRows.h"
#include "report/WorkbookExport.h"
#include "workbook/WorkbookCheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace nbr;
using namespace nbr::test;

namespace {
// 财务部's March travel in the export database: two lines.
const ListingRequest kTravelInMarch{u"0102"_s, u"财务部"_s, u"0012"_s, u"差旅费"_s, 2026, 3};

} // namespace

class TestExportWorkbook : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    test::TestContext m_context;

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("NBR_SOURCE_DIR"),
                 "run through ctest: NBR_SOURCE_DIR names the checker");
        const QString db = m_dir.filePath(u"export.db"_s);
        writeExportDatabase(db);
        QVERIFY(m_context.connectToFile(db));
    }

    // The name exported to is a link to a private (0640) workbook: the link
    // stays, the file it points to is replaced and keeps its permissions.
    void fullDiskNeverCostsTheExistingWorkbook_data() {
        QTest::addColumn<bool>("targetFolderFull"); // else the system's temporary folder
        QTest::newRow("temporary folder full: written whole") << false;
        QTest::newRow("target folder full: old file byte for byte") << true;
    }

    void fullDiskNeverCostsTheExistingWorkbook() {
        QFETCH(bool, targetFolderFull);
        // The workbook's folder lies outside /tmp, which one row fills, and
        // outside the build folder, which may itself lie under /tmp.
        PrivateTmpfs roomy(u"/mnt"_s, "size=16m");
        if (!roomy.mounted())
            QSKIP("mounting a tmpfs in a private mount namespace is not permitted here");
        const QString folder = u"/mnt/reports"_s, old = folder + u"/old.xlsx"_s;
        QVERIFY(QDir().mkpath(folder));
        const SummaryTable table = largeSummary(2000);
        const std::vector<int> widths = freshColumnWidths(summaryColumns(), summaryRows(table));
        std::optional<FileError> failure;
        QStringList left;
        QByteArray kept;
        struct stat st {};
        {
            PrivateTmpfs full(targetFolderFull ? folder : u"/tmp"_s);
            if (!full.mounted())
                QSKIP("mounting a small tmpfs in a private mount namespace is not permitted here");
            writeFile(old, "the previous month's workbook");
            QCOMPARE(::chmod(QFile::encodeName(old).constData(), 0640), 0);
            // Owned by somebody else, as root may replace it.
            if (::geteuid() == 0)
                QCOMPARE(::chown(QFile::encodeName(old).constData(), 65534, 65534), 0);
            QVERIFY(QFile::link(u"old.xlsx"_s, folder + u"/keep.xlsx"_s));
            full.fill();
            try {
                exportSummary(table, widths, folder + u"/keep.xlsx"_s);
            } catch (const FileError& e) {
                failure = e;
            }
            left = entries(folder);
            kept = contents(old);
            ::stat(QFile::encodeName(old).constData(), &st);
        } // unmounted: the checker needs /tmp

        QCOMPARE(st.st_mode & 07777, 0640u);
        if (::geteuid() == 0)
            QCOMPARE(std::pair(st.st_uid, st.st_gid), std::pair(uid_t(65534), gid_t(65534)));
        if (targetFolderFull) {
            QVERIFY(failure);
            QVERIFY2(failure->description().contains(u"磁盘空间不足"_s),
                     qPrintable(failure->description()));
            QCOMPARE(kept, QByteArray("the previous month's workbook"));
            QCOMPARE(left, (QStringList{u"filler"_s, u"keep.xlsx"_s, u"old.xlsx"_s}));
        } else {
            QVERIFY2(!failure, qPrintable(failure ? failure->description() : QString()));
            QCOMPARE(left, (QStringList{u"keep.xlsx"_s, u"old.xlsx"_s}));
            QVERIFY(QFileInfo(folder + u"/keep.xlsx"_s).isSymLink());
            const QString failure = checkWorkbook(old, summaryExpectation(table, widths));
            QVERIFY2(failure.isEmpty(), qPrintable(failure));
        }
    }

    // What a writer that lost data leaves: a zip whose checksums match while
    // a part is empty or cut off.
    void workbookCheckFindsEmptyOrCutParts_data() {
        QTest::addColumn<QString>("xml");
        QTest::newRow("empty") << QString();
        QTest::newRow("cut mid-way") << u"<Types xmlns=\"x\"><Default Extension=\"xml\"/>"_s;
    }

    void workbookCheckFindsEmptyOrCutParts() {
        QFETCH(QString, xml);
        QTemporaryDir out;
        const QString zip = out.filePath(u"a.xlsx"_s);
        const QString write = u"import sys, zipfile\n"
                              u"zipfile.ZipFile(sys.argv[1], 'w').writestr('[Content_Types].xml',"
                              u" sys.argv[2])"_s;
        QCOMPARE(QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, write, zip, xml}), 0);
        const std::optional<QString> defect = findWorkbookDefect(zip);
        QVERIFY2(defect && defect->startsWith(u"[Content_Types].xml"_s),
                 qPrintable(defect.value_or(u"none"_s)));
    }

    void textsAreMadeFitForACell_data() {
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("truncated");
        const QChar bad(0xFFFD), high(0xD83D), low(0xDE00); // high + low: one emoji
        QTest::newRow("C0 controls replaced, tab and LF kept")
            << u"a"_s + QChar(1) + u"b"_s + QChar(0x1F) + u"\tc\nd"_s
            << u"a"_s + bad + u"b"_s + bad + u"\tc\nd"_s << false;
        QTest::newRow("U+FFFE and U+FFFF replaced")
            << u"x"_s + QChar(0xFFFE) + QChar(0xFFFF) << u"x"_s + bad + bad << false;
        QTest::newRow("unpaired surrogates replaced, a pair kept")
            << QString(high) + u"a"_s + low + high + low + high
            << QString(bad) + u"a"_s + bad + high + low + bad << false;
        QTest::newRow("a literal character code kept as written")
            << u"_x0041_ _X0041_ _x004_"_s << u"_x0041_ _X0041_ _x004_"_s << false;
        QTest::newRow("40 000 characters cut to 32 767")
            << QString(40000, u'长') << QString(32767, u'长') << true;
        QTest::newRow("a pair at the limit is not split")
            << QString(32766, u'a') + high + low << QString(32766, u'a') << true;
    }

    void textsAreMadeFitForACell() {
        QFETCH(QString, memo);
        QFETCH(QString, written);
        QFETCH(bool, truncated);
        Listing listing = loadListing(m_context.db(), kTravelInMarch);
        const std::vector<int> widths = freshColumnWidths(listingColumns(), listingRows(listing));
        listing.lines[0].summary = memo;
        QTemporaryDir out;
        const QString path = out.filePath(u"明细.xlsx"_s);
        const QString caption = u"部门：财务部   2026年"_s + kMarch + u"【差旅费】报销明细"_s;
        ExportResult result;
        QVERIFY_THROWS_NO_EXCEPTION(result = exportListing(listing, widths, path));
        QCOMPARE(result.textsTruncated, truncated);
        listing.lines[0].summary = written;
        const QString failure = checkWorkbook(path, detailExpectation(listing, widths, caption));
        QVERIFY2(failure.isEmpty(), qPrintable(failure.left(2000)));
    }

    void emptyListingExportsItsTotalsRow() {
        ListingRequest july = kTravelInMarch;
        july.month = 7;
        const Listing listing = loadListing(m_context.db(), july);
        QVERIFY(listing.lines.empty());
        const std::vector<int> widths = freshColumnWidths(listingColumns(), listingRows(listing));
        QTemporaryDir out;
        const QString caption = u"部门：财务部   2026年07月份          【差旅费】报销明细"_s;
        QVERIFY_THROWS_NO_EXCEPTION(exportListing(listing, widths, out.filePath(u"空.xls"_s)));
        const QJsonObject cells{
            {u"B5"_s, spot(u"合计"_s, u"s"_s)},
            {u"J5"_s, spot(0, u"n"_s, u"#0.00"_s)},
            {u"K5"_s, spot(0, u"n"_s, u"#0.00"_s)},
            {u"L5"_s, spot(0, u"n"_s, u"#0.00"_s)},
        };
        const QString failure = checkWorkbook(out.filePath(u"空.xlsx"_s),
                                              detailExpectation(listing, widths, caption), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // The free space of the target folder swept page by page across the whole
    // range where a summary stops fitting: every step either fails with the
    // old file byte for byte and nothing left behind, or writes a workbook
    // whose every part equals the one written with room to spare (read back
    // by Python's zipfile, not by the writer's own check).
    void everyFreeSpaceFailsCleanlyOrWritesAWholeWorkbook() {
        PrivateTmpfs roomy(u"/mnt"_s, "size=32m");
        if (!roomy.mounted())
            QSKIP("mounting a tmpfs in a private mount namespace is not permitted here");
        const QString folder = u"/mnt/target"_s, kept = u"/mnt/kept"_s;
        QVERIFY(QDir().mkpath(folder) && QDir().mkpath(kept));
        const SummaryTable table = largeSummary(335);
        const std::vector<int> widths = freshColumnWidths(summaryColumns(), summaryRows(table));
        exportSummary(table, widths, kept + u"/reference.xlsx"_s);
        QStringList completes, failures;
        int inARow = 0;
        for (qint64 room = 0; inARow < 8; room += 4096) {
            PrivateTmpfs small(folder, "size=2m");
            QVERIFY(small.mounted());
            writeFile(folder + u"/月报.xlsx"_s, "last month");
            small.fill(room);
            try {
                exportSummary(table, widths, folder + u"/月报.xlsx"_s);
            } catch (const FileError& e) {
                failures << QString::number(room / 1024);
                inARow = 0;
                QCOMPARE(contents(folder + u"/月报.xlsx"_s), QByteArray("last month"));
                QCOMPARE(entries(folder), (QStringList{u"filler"_s, u"月报.xlsx"_s}));
                continue;
            }
            ++inARow;
            const QString copy = kept + u"/%1k.xlsx"_s.arg(room / 1024);
            QVERIFY(QFile::copy(folder + u"/月报.xlsx"_s, copy));
            completes << copy;
        }
        qInfo("free-space sweep: %lld steps, %lld failed cleanly, %lld wrote a workbook",
              failures.size() + completes.size(), failures.size(), completes.size());
        const QString compare =
            u"import sys, zipfile\n"
            u"def parts(p):\n"
            u"    z = zipfile.ZipFile(p)\n"
            u"    return {n: z.read(n) for n in z.namelist() if n != 'docProps/core.xml'}\n"
            u"want = parts(sys.argv[1])\n"
            u"bad = [p for p in sys.argv[2:] if parts(p) != want]\n"
            u"print('incomplete:', ' '.join(bad)) if bad else None\n"
            u"sys.exit(1 if bad else 0)\n"_s;
        QProcess python;
        python.setProcessChannelMode(QProcess::MergedChannels);
        python.start(u"/usr/bin/python3"_s,
                     QStringList{u"-c"_s, compare, kept + u"/reference.xlsx"_s} + completes);
        QVERIFY(python.waitForFinished(120000));
        QVERIFY2(python.exitCode() == 0, python.readAll().constData());
    }

    void fortyThousandRowSummary() {
        const SummaryTable table = largeSummary(40000);
        const std::vector<int> widths = freshColumnWidths(summaryColumns(), summaryRows(table));
        QTemporaryDir out;
        QList<int> progress;
        QElapsedTimer timer;
        timer.start();
        QVERIFY_THROWS_NO_EXCEPTION(exportSummary(table, widths, out.filePath(u"大.xlsx"_s),
                                                  [&progress](int row) { progress << row; }));
        qInfo("40 000-row export: %lld ms", timer.elapsed());
        QCOMPARE(progress.size(), qsizetype(table.rows.size()) + 1);
        QCOMPARE(progress.first(), 0);
        QCOMPARE(progress.last(), 40000);
        const QJsonObject cells{
            {u"C16"_s, spot(u"0012"_s, u"s"_s)},
            {u"B14"_s, QJsonObject{{u"fill"_s, kSubtotalFill}}},
            {u"B40004"_s, QJsonObject{{u"value"_s, u"合计"_s}, {u"fill"_s, kTotalsFill}}},
        };
        const QString failure =
            checkWorkbook(out.filePath(u"大.xlsx"_s), summaryExpectation(table, widths), cells);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

QTEST_MAIN(TestExportWorkbook)
#include "tst_export_workbook.moc"
