#pragma once
// The captions of the report window that its exports repeat, and the file
// names the export dialogs propose; shared by the window and the headless
// export so that both write the same workbooks.

#include <QString>

namespace nbr {

QString summaryTitle(); // Label1(2)
QString detailTitle();  // Label1(4)
// The year as the captions show it: "2026" gives "2026年".
QString yearCaption(const QString& year);
// Label1(5) of a listing: "部门：" + the department's name.
QString deptCaption(const QString& deptName);
// Label14 of a listing: the month header ("03月份          ") and the subject.
QString listingCaption(const QString& monthHeader, const QString& subjectName);

QString summaryFileName(const QString& yearCaption);
// Year, listing caption, "_", department; a character no file name may hold
// becomes "_".
QString detailFileName(const QString& yearCaption, const QString& listingCaption,
                       const QString& deptName);

} // namespace nbr
