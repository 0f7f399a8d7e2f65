#include "ReportFixtures.h"

#include "FixtureDb.h"

using namespace Qt::StringLiterals;

namespace nbr::test {

void writeSummaryDatabase(const QString& path) {
    FixtureDb db(path);
    db.addDepartment(u"0102"_s, u"财务部"_s);
    db.addDepartment(u"0103"_s, u"人事部"_s);
    db.addDepartment(u"0104"_s, u"财务部"_s); // the same name, another department
    db.addDepartment(u"0105"_s, u"小计组"_s);
    db.addDepartment(u"0106"_s, u"空部门"_s);
    db.addDepartment(u"08'x"_s, u"引号部门"_s);
    db.addDepartment(u"0107"_s, u"大额部"_s);
    db.addDepartment(u"0108"_s, u"大额一部"_s);
    db.addDepartment(u"0109"_s, u"大额二部"_s);
    db.addSubject(u"6602"_s, u"管理费用"_s);
    db.addSubject(u"660201"_s, u"办公费"_s);
    db.addSubject(u"0501"_s, u"研究费"_s);
    db.addSubject(u"S1"_s, u"甲"_s);
    db.addSubject(u"S2"_s, u"乙"_s);
    db.addSubject(u"S3"_s, u"丙"_s);
    db.addSubject(u"66'01"_s, u"引号科目"_s);
    auto claim = [&](const char* dept, const char* date, const char* type = "非预算") {
        return db.addClaim(u"000%1"_s.arg(QString::fromUtf8(dept)), QString::fromUtf8(dept),
                           QString::fromUtf8(date), QString::fromUtf8(type));
    };
    // 财务部 0102: a parent and a child subject, a negative month, a NULL tax.
    qint64 c = claim("0102", "2026-01-15");
    db.addLine(c, u"6602"_s, 100.0, 6.0, u"办公用品"_s);
    db.addLine(c, u"6602"_s, 20.5, QVariant());
    c = claim("0102", "2026-02-03 09:30:00");
    db.addLine(c, u"6602"_s, -30.0, QVariant(), u"冲销"_s);
    c = claim("0102", "2026-03-31");
    db.addLine(c, u"660201"_s, 50.5, QVariant());
    c = claim("0102", "2026-01-20", "预算"); // another type never counts
    db.addLine(c, u"6602"_s, 999.0, 0.0);
    c = claim("0102", "2025-12-31"); // another year never counts
    db.addLine(c, u"6602"_s, 888.0, 0.0);
    c = claim("0102", "2027-01-01");
    db.addLine(c, u"6602"_s, 777.0, 0.0);
    // 人事部 0103: three values each ending in a third decimal of 5.
    c = claim("0103", "2026-05-10");
    db.addLine(c, u"S1"_s, 1.005, QVariant());
    db.addLine(c, u"S2"_s, 2.015, QVariant());
    db.addLine(c, u"S3"_s, 3.025, QVariant());
    // 财务部 0104 and 小计组 0105.
    c = claim("0104", "2026-12-01");
    db.addLine(c, u"0501"_s, 1234.5, 0.0);
    c = claim("0105", "2026-06-06");
    db.addLine(c, u"6602"_s, 10.0, 1.0);
    // Codes with an apostrophe.
    c = claim("08'x", "2026-07-07");
    db.addLine(c, u"66'01"_s, 5.0, 0.25);
    // Totals longer than every amount they add up.
    c = claim("0107", "2026-08-08");
    db.addLine(c, u"S1"_s, 600000000.0, QVariant());
    db.addLine(c, u"S2"_s, 600000000.0, QVariant());
    for (const char* dept : {"0108", "0109"})
        db.addLine(claim(dept, "2026-08-08"), u"S1"_s, 600000000.0, QVariant());
    db.close();
}

void writeExportDatabase(const QString& path) {
    FixtureDb db(path);
    db.addDepartment(u"01"_s, u"总部"_s);
    db.addDepartment(u"0102"_s, u"财务部"_s, u"01"_s);
    db.addDepartment(u"0103"_s, u"人事部"_s, u"01"_s);
    db.addDepartment(u"0104"_s, u"审计小计组"_s, u"01"_s); // "小计" in a real name
    db.addDepartment(u"09"_s, u"Tervo中心"_s);
    db.addSubject(u"0012"_s, u"差旅费"_s);
    db.addSubject(u"6601"_s, u"办公费"_s);
    // 财务部, 差旅费, March: 1000 + 34.5 tax and 200 without tax.
    const qint64 a = db.addClaim(u"00201"_s, u"0102"_s, u"2026-03-05"_s, u"非预算"_s, u"李明"_s,
                                 u"2026-03-06"_s, 1, u"2026-03-10"_s);
    db.addLine(a, u"0012"_s, 1000, 34.5, u"出差北京"_s);
    const qint64 b = db.addClaim(u"00202"_s, u"0102"_s, u"2026-03-20"_s);
    db.addLine(b, u"0012"_s, 200, {}, u"市内交通"_s);
    db.addLine(db.addClaim(u"00203"_s, u"0102"_s, u"2026-01-10"_s), u"6601"_s, 88);
    db.addLine(db.addClaim(u"00204"_s, u"0103"_s, u"2026-02-02"_s), u"6601"_s, 50);
    db.addLine(db.addClaim(u"00206"_s, u"0104"_s, u"2026-03-03"_s), u"6601"_s, 12);
    db.addLine(db.addClaim(u"00205"_s, u"09"_s, u"2026-04-01"_s), u"6601"_s, 7);
    db.addLine(db.addClaim(u"00206"_s, u"0103"_s, u"2026-05-08"_s), u"6601"_s, 9, {},
               QString(40000, u'长'));
    db.close();
}

SummaryTable largeSummary(int bodyRows) {
    SummaryTable table{2026, {}, {}};
    for (int r = 1; r <= bodyRows; ++r) {
        const bool subtotal = r % 10 == 0;
        SummaryRow row{subtotal ? RowKind::Subtotal : RowKind::Data,
                       u"0102"_s,
                       subtotal ? u"部门%1小计"_s.arg(r) : u"部门%1"_s.arg(r / 10),
                       u"%1"_s.arg(r % 1000, 4, 10, QChar(u'0')),
                       u"科目名称"_s,
                       {},
                       {}};
        for (int m = 0; m < 12; ++m)
            row.months[size_t(m)] = (r + m + 4) % 7 == 0 ? QString() : u"%1.25"_s.arg(r + m + 4);
        row.total = (r + 16) % 7 == 0 ? QString() : u"%1.25"_s.arg(r + 16);
        table.rows.push_back(std::move(row));
    }
    table.rows.back() = {RowKind::GrandTotal, {}, u"合计"_s, {}, {}, {}, u"1.25"_s};
    return table;
}

} // namespace nbr::test
