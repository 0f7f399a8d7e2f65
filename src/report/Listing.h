#pragma once
// The claim lines behind one month cell of the summary, as plain data: one
// line per non-budget claim line of the department, subject, year and month,
// in date order, and the totals of the amount, tax and line columns. Texts
// as the listing shows them: dates "yyyy-mm-dd", amounts "1234.50" (empty
// where the database holds NULL).

#include <QString>
#include <array>
#include <vector>

namespace nbr {

// Which cell's lines, and the names the listing's captions show.
struct ListingRequest {
    QString deptCode;
    QString deptName;
    QString subjectCode;
    QString subjectName;
    int year = 0;
    int month = 0; // 1 … 12
};

struct ListingLine {
    QString claimNumber;
    QString submitDate;
    QString claimant;
    QString approvalDate;
    QString approved; // "是" or "否"
    QString paymentDate;
    QString subject; // code, blank, name
    QString summary;
    QString amount;
    QString tax;
    QString lineTotal; // amount plus tax, a missing part counting 0
};

struct Listing {
    ListingRequest request;
    std::vector<ListingLine> lines;
    QString amountTotal;
    QString taxTotal;
    QString lineTotal;
};

} // namespace nbr
