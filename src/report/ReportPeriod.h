#pragma once
// The months a report covers: a year and a run of its months. The statements
// select a claim's month by its date's year and month as six characters
// (yyyymm, SQL Server's CONVERT style 112 cut to six), so a period is bound
// as the texts of its first and last month.

#include <QStringList>

namespace nbr {

struct ReportPeriod {
    int year = 0;
    int firstMonth = 1;
    int lastMonth = 12;

    // The whole year.
    static ReportPeriod wholeYear(int year) { return {year, 1, 12}; }
    // One month of the year.
    static ReportPeriod month(int year, int month) { return {year, month, month}; }

    // "202603" for March 2026.
    static QString yearMonthText(int year, int month);
    // The two bound values of "… between ? and ?": first and last month.
    QStringList bounds() const;
    bool contains(int month) const { return month >= firstMonth && month <= lastMonth; }

    friend bool operator==(const ReportPeriod&, const ReportPeriod&) = default;
};

} // namespace nbr
