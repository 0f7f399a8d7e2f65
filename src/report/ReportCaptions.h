#pragma once
// The captions of the report window that its exports repeat, and the file
// names the export dialogs propose; shared by the window and the headless
// export so that both write the same workbooks.

#include "report/Listing.h"
#include "report/SummaryTable.h"

#include <QString>

namespace nbr {

QString summaryTitle(); // over the summary grid
QString detailTitle();  // over the detail grid
// Over the workbook of every claim line behind a summary.
QString claimLinesTitle();
// The year as the captions show it: 2026 gives "2026年".
QString yearCaption(int year);
// The listing's department: "部门：" + the department's name.
QString deptCaption(const QString& deptName);
// The listing's caption: the month's heading as the summary grid shows it
// ("03月份          ", with the blanks that widen the column) and the subject.
QString listingCaption(const ListingRequest& listing);
// The listing workbook's caption line: department, three blanks, the year
// and the listing's caption.
QString listingCaptionLine(const ListingRequest& listing);

// What the summary grid holds, beside its title: the run's year and the
// number of its departments ("2026年 · 321 个部门"), whether it found claims,
// and, once the year box shows another year, that these figures are still
// the run's year's.
QString runCaption(const SummaryTable& run, int selectedYear);

QString summaryFileName(int year);
QString claimLinesFileName(int year);
// Year, month, subject, "_", department, without the heading's blanks; a
// character no file name may hold becomes "_".
QString detailFileName(const ListingRequest& listing);

} // namespace nbr
