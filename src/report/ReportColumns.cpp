#include "report/ReportColumns.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

ReportColumn column(const QString& heading, ColumnKind kind, int blanks, bool frozen = false) {
    return {heading, kind, blanks, 0, frozen, false};
}

ReportColumn sortable(const QString& heading, ColumnKind kind, int blanks, bool frozen = false) {
    return {heading, kind, blanks, 0, frozen, true};
}

ReportColumn fixed(const QString& heading, ColumnKind kind, double characters) {
    return {heading, kind, 0, characters, false, false};
}

} // namespace

const ReportColumns& summaryColumns() {
    static const ReportColumns columns = [] {
        using enum ColumnKind;
        ReportColumns c{column(u"序"_s, RowNumber, 2, true), column(u"部门名称"_s, Text, 6, true),
                        column(u"科目代号"_s, Code, 6, true), column(u"科目名称"_s, Text, 6, true)};
        for (int m = 1; m <= 12; ++m)
            c.push_back(column(u"%1月份"_s.arg(m, 2, 10, QChar(u'0')), Amount, 10));
        c.push_back(column(u"合计"_s, Amount, 10));
        return c;
    }();
    return columns;
}

const ReportColumns& listingColumns() {
    using enum ColumnKind;
    // 序 and the claim number stay in view.
    static const ReportColumns columns{
        column(u"序"_s, RowNumber, 2, true), sortable(u"报销单编号"_s, Code, 4, true),
        sortable(u"报批日期"_s, Date, 4),    sortable(u"报销人"_s, Text, 4),
        sortable(u"审批日期"_s, Date, 4),    sortable(u"审批通过"_s, Text, 2),
        sortable(u"支付日期"_s, Date, 4),    sortable(u"科目名称"_s, Text, 4),
        sortable(u"摘要"_s, Text, 4),        sortable(u"金额"_s, Amount, 8),
        sortable(u"税额"_s, Amount, 8),      sortable(u"合计"_s, Amount, 8),
    };
    return columns;
}

const ReportColumns& claimLinesColumns() {
    using enum ColumnKind;
    static const ReportColumns columns{
        fixed(u"序"_s, RowNumber, 8),     fixed(u"部门代号"_s, Code, 10),
        fixed(u"部门名称"_s, Text, 18),   fixed(u"科目代号"_s, Code, 10),
        fixed(u"科目名称"_s, Text, 16),   fixed(u"月份"_s, Code, 6),
        fixed(u"报销单编号"_s, Code, 14), fixed(u"报批日期"_s, Date, 11),
        fixed(u"报销人"_s, Text, 10),     fixed(u"审批日期"_s, Date, 11),
        fixed(u"审批通过"_s, Text, 9),    fixed(u"支付日期"_s, Date, 11),
        fixed(u"摘要"_s, Text, 30),       fixed(u"金额"_s, Amount, 12),
        fixed(u"税额"_s, Amount, 12),     fixed(u"合计"_s, Amount, 12),
    };
    return columns;
}

int frozenColumnCount(const ReportColumns& columns) {
    int count = 0;
    while (count < int(columns.size()) && columns[size_t(count)].frozen)
        ++count;
    return count;
}

} // namespace nbr
