#include "SummaryFixture.h"

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

} // namespace nbr::test
