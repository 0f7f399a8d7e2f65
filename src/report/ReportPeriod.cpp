#include "report/ReportPeriod.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString ReportPeriod::yearMonthText(int year, int month) {
    return u"%1%2"_s.arg(year, 4, 10, QChar(u'0')).arg(month, 2, 10, QChar(u'0'));
}

QStringList ReportPeriod::bounds() const {
    return {yearMonthText(year, firstMonth), yearMonthText(year, lastMonth)};
}

} // namespace nbr
