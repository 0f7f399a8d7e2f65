#include "report/GridClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// A spreadsheet reads a cell holding a tab or a line break, or starting
// with a quote, only when the whole cell is quoted, its quotes doubled.
QString tsvCell(const QString& text) {
    if (!text.contains(u'\t') && !text.contains(u'\n') && !text.contains(u'\r') &&
        !text.startsWith(u'"'))
        return text;
    return u'"' + QString(text).replace(u'"', u"\"\""_s) + u'"';
}

// The number format a spreadsheet gives a pasted cell: text for text
// columns, two decimals for amounts.
QString cellStyle(SheetColumnKind kind, const QString& text) {
    if (text.isEmpty())
        return {};
    switch (kind) {
    case SheetColumnKind::Text:
        return uR"( style='mso-number-format:"\@"')"_s;
    case SheetColumnKind::Amount:
        return uR"( style='mso-number-format:"0\.00"')"_s;
    case SheetColumnKind::WholeNumber:
        return {};
    }
    return {};
}

} // namespace

ClipboardTable clipboardTable(const SheetDescription& sheet, CellRange range, bool withHeader) {
    range.top = std::max(range.top, 0);
    range.left = std::max(range.left, 0);
    range.bottom = std::min(range.bottom, int(sheet.rows.size()) - 1);
    range.right = std::min(range.right, sheet.columns() - 1);
    if (range.isEmpty())
        return {};
    ClipboardTable table;
    table.html = u"<html><head><meta charset=\"utf-8\"></head><body><table>\n"_s;
    if (withHeader) {
        QStringList cells;
        table.html += u"<tr>"_s;
        for (int c = range.left; c <= range.right; ++c) {
            const QString heading = sheet.header[c].trimmed();
            cells << tsvCell(heading);
            table.html += u"<th>"_s + heading.toHtmlEscaped() + u"</th>"_s;
        }
        table.text += cells.join(u'\t') + u'\n';
        table.html += u"</tr>\n"_s;
    }
    for (int r = range.top; r <= range.bottom; ++r) {
        const QStringList& row = sheet.rows[size_t(r)].cells;
        QStringList cells;
        table.html += u"<tr>"_s;
        for (int c = range.left; c <= range.right; ++c) {
            const QString text = row.value(c);
            cells << tsvCell(text);
            table.html += u"<td"_s + cellStyle(sheet.kinds[size_t(c)], text) + u'>' +
                          text.toHtmlEscaped() + u"</td>"_s;
        }
        table.text += cells.join(u'\t') + u'\n';
        table.html += u"</tr>\n"_s;
    }
    table.html += u"</table></body></html>\n"_s;
    return table;
}

void copyToClipboard(const SheetDescription& sheet, CellRange range, bool withHeader) {
    const ClipboardTable table = clipboardTable(sheet, range, withHeader);
    if (table.text.isEmpty())
        return;
    auto* mime = new QMimeData;
    mime->setText(table.text);
    mime->setHtml(table.html);
    QGuiApplication::clipboard()->setMimeData(mime);
}

} // namespace nbr
