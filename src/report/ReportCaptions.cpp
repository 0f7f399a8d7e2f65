#include "report/ReportCaptions.h"

#include "report/ReportColumns.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

const ReportColumn& monthColumn(int month) {
    return summaryColumns().at(size_t(SummaryCol::FirstMonth + month - 1));
}

QString subjectCaption(const ListingRequest& listing) {
    return u"【"_s + listing.subjectName + u"】报销明细"_s;
}

} // namespace

QString summaryTitle() {
    return u"部门非预算报销月报"_s;
}

QString detailTitle() {
    return u"部门非预算科目销明细月报"_s;
}

QString claimLinesTitle() {
    return u"部门非预算报销明细"_s;
}

QString yearCaption(int year) {
    return QString::number(year) + u'年';
}

QString deptCaption(const QString& deptName) {
    return u"部门："_s + deptName;
}

QString listingCaption(const ListingRequest& listing) {
    return monthColumn(listing.month).paddedHeading() + subjectCaption(listing);
}

QString listingCaptionLine(const ListingRequest& listing) {
    return deptCaption(listing.deptName) + u"   "_s + yearCaption(listing.year) +
           listingCaption(listing);
}

QString runCaption(const SummaryTable& run, int selectedYear) {
    QString caption = yearCaption(run.year) + u" · %1 个部门"_s.arg(run.departments.size());
    if (run.rows.empty())
        caption += u" · 无非预算报销"_s;
    if (selectedYear != run.year)
        caption += u" · 统计年度已改为"_s + yearCaption(selectedYear) + u"，请重新统计"_s;
    return caption;
}

QString summaryFileName(int year) {
    return u"非预算报销月报_"_s + yearCaption(year);
}

QString claimLinesFileName(int year) {
    return yearCaption(year) + u"非预算报销明细"_s;
}

// Subject and department names are the organisation's own ("综合/行政部"):
// a character no file name may hold would turn the proposal into a folder
// that does not exist, so it becomes "_". The set is Windows', the strictest
// of the systems whose shared folders the workbooks end up in.
QString detailFileName(const ListingRequest& listing) {
    QString name = yearCaption(listing.year) + monthColumn(listing.month).heading +
                   subjectCaption(listing) + u'_' + listing.deptName;
    for (QChar& c : name)
        if (c.unicode() < 0x20 || u"/\\:*?\"<>|"_s.contains(c))
            c = u'_';
    return name;
}

} // namespace nbr
