#pragma once
// Cells a user copies from a report grid, as the clipboard carries them:
// tab-separated text and an HTML table, built from the sheet a result makes
// (the workbook's columns: the hidden key column is never among them).
// Amounts go as plain numbers ("1234.50") that a spreadsheet takes for
// numbers, shown with two decimals; text columns go as text, so a subject
// code or a claim number keeps its leading zeros; empty cells stay empty.

#include "report/models/GridCell.h"
#include "workbook/SheetDescription.h"

#include <QString>

namespace nbr {

struct ClipboardTable {
    QString text; // rows of tab-separated cells, each row ended by "\n"
    QString html; // a table of the same cells
};

// Rows top … bottom and columns left … right of the sheet's body (counted
// from 0, cut to the sheet), with the heading row of those columns on top
// when asked. Nothing (both texts empty) when no body row is in the range.
ClipboardTable clipboardTable(const SheetDescription& sheet, CellRange range, bool withHeader);

// Puts those cells on the clipboard; nothing when no body row is in the range.
void copyToClipboard(const SheetDescription& sheet, CellRange range, bool withHeader);

} // namespace nbr
