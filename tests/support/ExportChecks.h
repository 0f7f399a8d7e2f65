#pragma once
// Reading exported workbooks back: what tests/check_workbook.py (openpyxl)
// is to find in a workbook made from a result, the checker's run, and small
// file helpers of the export tests.

#include "report/Listing.h"
#include "report/SummaryTable.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace nbr::test {

// The fills the checker sees: the header and totals rows, a subtotal row.
inline const QString kTotalsFill = QStringLiteral("C0C0FF");
inline const QString kSubtotalFill = QStringLiteral("C0FFFF");

// A summary workbook of the result shown with these column widths (twips),
// cell by cell.
QJsonObject summaryExpectation(const SummaryTable& table, const std::vector<int>& widths);
// A listing workbook of the result under this caption line.
QJsonObject detailExpectation(const Listing& listing, const std::vector<int>& widths,
                              const QString& caption);

// Runs the checker; empty when the workbook is as expected (with the given
// cells checked one by one too), else its report.
QString checkWorkbook(const QString& workbook, QJsonObject expectation,
                      const QJsonObject& cells = {});

// Runs the checker on the workbook of every claim line: empty when it adds
// up to the summary workbook's cells, else its report.
QString checkClaimLines(const QString& lines, const QString& summary);

// One cell the checker is to find: its value, and its type and number format
// when given.
QJsonObject spot(const QJsonValue& value, const QString& type = {}, const QString& format = {});

// The names in a folder, hidden ones too; a file's bytes; writing a file.
QStringList entries(const QString& dir);
QByteArray contents(const QString& path);
void writeFile(const QString& path, const QByteArray& data);

} // namespace nbr::test
