// The demo database maker, run as the real program into temporary files and
// read back through the program's own ODBC layer: the cases the demo logins
// and the report rely on are present, the output is reproducible, the scale
// grows it, and bad arguments fail cleanly.

#include "FixtureDb.h"
#include "TestContext.h"

#include <QDate>
#include <QFile>
#include <QMultiHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

const QString kTreeSql =
    u"Select 职能部门new.职能部门编号,职能部门new.职能部门名称,上级部门编号 from 职能部门new "
    u"left join 上级部门new on 职能部门new.职能部门编号=上级部门new.职能部门编号 where "
    u"职能部门new.终止日期 Is Null And 上级部门new.终止日期 Is Null order by "
    u"length(rtrim(职能部门new.职能部门编号)),职能部门new.职能部门编号"_s;

// The positions a login may use: current ones of staff who have not left,
// with every joined row present.
const QString kLoginSql =
    u"Select 岗位员工new.岗位代号, 主要岗位, 职能部门new.职能部门编号, 岗位类别.岗位类别名称, "
    u"职能部门类别.部门类别名称, 员工档案.帐号密码 From 岗位员工new "
    u"Inner Join 岗位信息new On 岗位员工new.岗位代号 = 岗位信息new.岗位代号 "
    u"Inner Join 职能部门new On 岗位信息new.职能部门代号 = 职能部门new.职能部门编号 "
    u"Inner Join 岗位类别 On 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号 "
    u"Inner Join 职能部门类别 On 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号 "
    u"Inner Join 员工档案 On 岗位员工new.员工代号 = 员工档案.工号 "
    u"Where 员工档案.工号 = ? And 员工档案.离职日期 Is Null And 岗位员工new.离岗日期 Is Null "
    u"Order By 主要岗位 Desc"_s;

QString makerPath() {
    return qEnvironmentVariable("NBR_BINARY_DIR") + u"/tools/nbreport-make-demo"_s;
}

struct MakerRun {
    int exitCode = -1;
    QString out;
    QString err;
};

MakerRun runMaker(const QStringList& arguments) {
    QProcess process;
    process.start(makerPath(), arguments);
    MakerRun run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDemoDb : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<test::TestContext> m_t;

    void openFile(const QString& path) {
        m_t = std::make_unique<test::TestContext>();
        QVERIFY2(m_t->connectToFile(path), qPrintable(m_t->prompts.messageTexts().join(u"|"_s)));
    }
    Recordset query(const QString& sql, const QStringList& parameters = {}) {
        return m_t->db().query(sql, parameters);
    }
    int count(const QString& sql, const QStringList& parameters = {}) {
        return query(u"Select count(*) As n From "_s + sql, parameters)
            .field(u"n"_s)
            .text()
            .toInt();
    }

    // The tree cases that every scale keeps.
    void checkTree() {
        Recordset rs = query(kTreeSql);
        QMultiHash<QString, QString> parentsOf; // code -> parent ("" for none)
        QHash<QString, QString> nameOf;
        for (; !rs.eof(); rs.moveNext()) {
            const QString code = rs.field(u"职能部门编号"_s).text();
            const DbValue& parent = rs.field(u"上级部门编号"_s);
            QVERIFY2(code.size() == 2 || code.size() == 4 || code.size() == 6, qPrintable(code));
            // A top-level code has no parent; the others sit one level below theirs.
            QCOMPARE(parent.isNull(), code.size() == 2);
            if (!parent.isNull())
                QCOMPARE(parent.text().size(), code.size() - 2);
            parentsOf.insert(code, parent.text());
            nameOf.insert(code, rs.field(u"职能部门名称"_s).text());
        }
        QCOMPARE(nameOf.value(u"0102"_s), u"财务部"_s);
        QCOMPARE(parentsOf.values(u"0102"_s), QStringList{u"01"_s});

        const QString tervo = nameOf.key(u"Tervo中心"_s);
        QVERIFY(!tervo.isEmpty());
        QStringList tervoChildren;
        for (auto it = parentsOf.cbegin(); it != parentsOf.cend(); ++it)
            if (it.value() == tervo)
                tervoChildren << it.key();
        QCOMPARE(tervoChildren.size(), 2);

        QStringList twice;
        for (const QString& code : parentsOf.uniqueKeys())
            if (parentsOf.count(code) > 1)
                twice << code;
        QCOMPARE(twice.size(), 1);
        const QStringList parents = parentsOf.values(twice.first());
        QCOMPARE(parents.size(), 2);
        QVERIFY(parents[0] != parents[1]);

        const Recordset ended =
            query(u"Select 职能部门编号 From 职能部门new Where 终止日期 Is Not Null"_s);
        QCOMPARE(ended.rowCount(), 1);
        const QString terminated = ended.field(u"职能部门编号"_s).text();
        QVERIFY(!parentsOf.contains(terminated));
        QVERIFY(count(u"上级部门new Where 上级部门编号 = ?"_s, {terminated}) >= 1);

        // Active, linked, but none of its links is current.
        const Recordset unlinked = query(
            u"Select 职能部门编号 From 职能部门new d Where 终止日期 Is Null"
            u" And Exists (Select 1 From 上级部门new l Where l.职能部门编号 = d.职能部门编号)"
            u" And Not Exists (Select 1 From 上级部门new l Where l.职能部门编号 = d.职能部门编号"
            u" And l.终止日期 Is Null)"_s);
        QCOMPARE(unlinked.rowCount(), 1);
        QVERIFY(!parentsOf.contains(unlinked.field(u"职能部门编号"_s).text()));
    }

private slots:
    void initTestCase() {
        QVERIFY2(QFile::exists(makerPath()), qPrintable(makerPath()));
        m_path = m_dir.filePath(u"demo.db"_s);
        const MakerRun run = runMaker({u"--base-year"_s, u"2026"_s, m_path});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.err.isEmpty());
        // The summary names the demo logins.
        for (const QString& number : {u"10001"_s, u"10002"_s, u"10003"_s, u"10004"_s, u"10005"_s})
            QVERIFY2(run.out.contains(number), qPrintable(run.out));
        QVERIFY(!QFile::exists(m_path + u".tmp"_s));
    }

    void init() { openFile(m_path); }

    void departmentTreeHasTheSpecialCases() {
        checkTree();
        const int active = count(u"职能部门new Where 终止日期 Is Null"_s);
        QVERIFY2(active >= 20 && active <= 30, qPrintable(QString::number(active)));
    }

    void loginQueryFindsCurrentPositionsOnly() {
        Recordset one = query(kLoginSql, {u"10001"_s});
        QCOMPARE(one.rowCount(), 1);
        QCOMPARE(one.field(u"帐号密码"_s).text(), u"1234"_s);

        Recordset two = query(kLoginSql, {u"10002"_s});
        QCOMPARE(two.rowCount(), 2);
        QVERIFY(two.field(u"主要岗位"_s).toFlag());
        const QString mainDept = two.field(u"职能部门编号"_s).text();
        const QString mainPosition = two.field(u"岗位代号"_s).text();
        QCOMPARE(
            count(u"专项审核权限表 Where 类型 = '项目管理' And 部门代号 = ? And 岗位代号 = ?"_s,
                  {mainDept, mainPosition}),
            1);
        two.moveNext();
        QVERIFY(!two.field(u"主要岗位"_s).toFlag());
        QVERIFY(two.field(u"职能部门编号"_s).text() != mainDept);

        // Both refused logins still have position rows, so the date filters decide.
        QCOMPARE(query(kLoginSql, {u"10003"_s}).rowCount(), 0);
        QCOMPARE(count(u"员工档案 Where 工号 = '10003' And 离职日期 Is Not Null"_s), 1);
        QCOMPARE(count(u"岗位员工new Where 员工代号 = '10003' And 离岗日期 Is Null"_s), 1);
        QCOMPARE(query(kLoginSql, {u"10004"_s}).rowCount(), 0);
        QCOMPARE(count(u"岗位员工new Where 员工代号 = '10004' And 离岗日期 Is Not Null"_s), 1);

        Recordset nullCategory = query(kLoginSql, {u"10005"_s});
        QCOMPARE(nullCategory.rowCount(), 1);
        QVERIFY(nullCategory.field(u"岗位类别名称"_s).isNull());
    }

    void everyPositionJoinsItsCategories() {
        const QString joined = u"岗位员工new"
                               u" Join 岗位信息new On 岗位员工new.岗位代号 = 岗位信息new.岗位代号"
                               u" Join 职能部门new On 职能部门代号 = 职能部门编号"
                               u" Join 岗位类别 On 岗位类别代号 = 岗位类别编号"
                               u" Join 职能部门类别 On 职能部门类别代号 = 部门类别代号"
                               u" Join 员工档案 On 员工代号 = 工号"_s;
        QVERIFY(count(u"岗位员工new"_s) >= 10);
        QCOMPARE(count(joined), count(u"岗位员工new"_s));
    }

    void subjectsNestByPrefix() {
        const int subjects = count(u"财务科目"_s);
        QVERIFY(subjects >= 15 && subjects <= 25);
        QVERIFY(count(u"财务科目 Where 科目代号 Like '0%'"_s) >= 1);
        QCOMPARE(count(u"报销单明细 Where 科目代号 Not In (Select 科目代号 From 财务科目)"_s), 0);
        // A parent booked directly and through a child.
        QVERIFY(
            count(
                u"财务科目 p Where Exists (Select 1 From 报销单明细 Where 科目代号 = p.科目代号)"
                u" And Exists (Select 1 From 报销单明细 m Where m.科目代号 Like p.科目代号 || '_%')"_s) >=
            1);
    }

    void claimsCoverWhatTheReportMeets() {
        const QString in2026 = u"报销单表 Where 报批日期 Like '2026%' And "_s;
        QVERIFY(count(in2026 + u"报销类型 = '非预算'"_s) > 100);
        QVERIFY(count(in2026 + u"报销类型 = '预算'"_s) > 0);
        QVERIFY(count(in2026 +
                      u"审批通过 = 0 And 审批日期 Is Null And 财务支付确认日期 Is Null"_s) > 0);
        QVERIFY(count(in2026 + u"审批通过 = 1 And 财务支付确认日期 Is Null"_s) > 0);
        QVERIFY(count(in2026 + u"length(报批日期) = 19"_s) > 0);
        const QString lines2026 =
            u"报销单明细 m Join 报销单表 c On m.报销单ID = c.报销单ID Where c.报批日期 Like '2026%' And "_s;
        QVERIFY(count(lines2026 + u"m.税额 Is Null"_s) > 0);
        QVERIFY(count(lines2026 + u"m.金额 < 0"_s) > 0);
        QVERIFY(count(lines2026 + u"m.摘要 Is Null"_s) > 0);
        QVERIFY(count(lines2026 + u"length(m.摘要) > 100"_s) > 0);

        QCOMPARE(count(u"(Select Distinct substr(报批日期, 1, 7) From 报销单表)"_s), 36);
        QVERIFY(count(u"报销单表 Where 报销单编号 Like '0%'"_s) > 0);
        QCOMPARE(count(u"报销单表 Where 部门代号 Not In (Select 职能部门编号 From 职能部门new)"_s),
                 0);
        QCOMPARE(count(u"(Select count(*) As k From 报销单明细 Group By 报销单ID) Where k > 4"_s),
                 0);
        QCOMPARE(count(u"报销单表 Where 报销单ID Not In (Select 报销单ID From 报销单明细)"_s), 0);
        QCOMPARE(count(u"报销单明细 Where abs(金额 * 100 - round(金额 * 100)) > 1e-6"
                       u" Or abs(税额 * 100 - round(税额 * 100)) > 1e-6"_s),
                 0);
        // Yuan with fen, in believable sizes; tax at most the 13% rate.
        QVERIFY(count(u"报销单明细 Where 金额 <> round(金额)"_s) > 0);
        QCOMPARE(
            count(u"报销单明细 Where abs(金额) >= 100000 Or abs(税额) > abs(金额) * 0.13 + 0.01"_s),
            0);
        QVERIFY(count(u"报销单表 c Join 职能部门new d On c.部门代号 = d.职能部门编号"
                      u" Where d.终止日期 Is Not Null"_s) > 0);

        // Every active department but one or two appears in the 2026 report.
        const int silent = count(u"职能部门new d Where 终止日期 Is Null And Not Exists (Select 1"
                                 u" From 报销单表 c Where c.部门代号 = d.职能部门编号 And"
                                 u" c.报销类型 = '非预算' And c.报批日期 Like '2026%')"_s);
        QVERIFY2(silent >= 1 && silent <= 2, qPrintable(QString::number(silent)));
    }

    void sameArgumentsGiveTheSameFile() {
        const QString again = m_dir.filePath(u"again.db"_s);
        QFile stale(again);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("not a database");
        stale.close();
        QCOMPARE(runMaker({u"--base-year"_s, u"2026"_s, again}).exitCode, 0);
        const QByteArray first = fileBytes(m_path);
        QVERIFY(first.startsWith("SQLite format 3"));
        QCOMPARE(fileBytes(again), first);

        const QString seeded = m_dir.filePath(u"seeded.db"_s);
        QCOMPARE(runMaker({u"--seed"_s, u"7"_s, seeded}).exitCode, 0);
        QVERIFY(fileBytes(seeded) != first);
        openFile(seeded);
        checkTree();
    }

    void scaleGrowsDepartmentsAndLines() {
        const int departments = count(u"职能部门new"_s);
        const int lines = count(u"报销单明细"_s);
        const QString scaled = m_dir.filePath(u"scaled.db"_s);
        QCOMPARE(runMaker({u"--scale"_s, u"3"_s, scaled}).exitCode, 0);
        openFile(scaled);
        QVERIFY(count(u"职能部门new"_s) > departments);
        QVERIFY(count(u"报销单明细"_s) > 2 * lines);
        checkTree();
    }

    // The claims cover the base year and the years around it, by default the
    // year the database is made in; the maker says which, and the dated
    // changes of the organisation move with them.
    void claimYearsFollowTheBaseYear_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("baseYear");
        QTest::newRow("given") << QStringList{u"--base-year"_s, u"2041"_s} << 2041;
        QTest::newRow("by default") << QStringList{} << QDate::currentDate().year();
    }
    void claimYearsFollowTheBaseYear() {
        QFETCH(QStringList, arguments);
        QFETCH(int, baseYear);
        const QString path = m_dir.filePath(u"years.db"_s);
        const MakerRun run = runMaker(arguments << path);
        QCOMPARE(run.exitCode, 0);
        const QStringList years{QString::number(baseYear - 1), QString::number(baseYear),
                                QString::number(baseYear + 1)};
        QVERIFY2(run.out.contains(u"报销单年份："_s + years.join(u" 年、"_s) + u" 年"_s),
                 qPrintable(run.out));
        openFile(path);
        QCOMPARE(count(u"(Select Distinct substr(报批日期, 1, 4) From 报销单表)"_s), 3);
        QCOMPARE(count(u"报销单表 Where substr(报批日期, 1, 4) Not In (?, ?, ?)"_s, years), 0);
        QCOMPARE(count(u"职能部门new Where 终止日期 Like ?"_s, {years[0] + u'%'}), 1);
    }

    void badArgumentsFailWithoutWriting_data() {
        QTest::addColumn<QStringList>("arguments");
        const QString out = m_dir.filePath(u"bad.db"_s);
        QTest::newRow("no output") << QStringList{};
        QTest::newRow("two outputs") << QStringList{out, m_dir.filePath(u"other.db"_s)};
        QTest::newRow("unknown option") << QStringList{u"--size"_s, u"3"_s, out};
        QTest::newRow("scale zero") << QStringList{u"--scale"_s, u"0"_s, out};
        QTest::newRow("scale text") << QStringList{u"--scale"_s, u"3x"_s, out};
        QTest::newRow("scale missing") << QStringList{out, u"--scale"_s};
        QTest::newRow("negative seed") << QStringList{u"--seed"_s, u"-1"_s, out};
        QTest::newRow("base year beyond the year list")
            << QStringList{u"--base-year"_s, u"2079"_s, out};
        QTest::newRow("base year text") << QStringList{u"--base-year"_s, u"今年"_s, out};
        QTest::newRow("unwritable path") << QStringList{m_dir.filePath(u"无此目录/demo.db"_s)};
    }

    void badArgumentsFailWithoutWriting() {
        QFETCH(QStringList, arguments);
        const MakerRun run = runMaker(arguments);
        QVERIFY(run.exitCode > 0);
        QVERIFY(run.err.startsWith(u"错误："_s));
        QVERIFY(run.out.isEmpty());
        QVERIFY(!QFile::exists(m_dir.filePath(u"bad.db"_s)));
        QVERIFY(!QFile::exists(m_dir.filePath(u"bad.db.tmp"_s)));
    }
};

QTEST_GUILESS_MAIN(TestDemoDb)
#include "tst_demo_db.moc"
