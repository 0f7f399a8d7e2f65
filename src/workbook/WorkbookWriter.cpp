#include "workbook/WorkbookWriter.h"

#include "platform/FileError.h"
#include "platform/ReplacingFile.h"
#include "platform/SystemErrorText.h"
#include "workbook/WorkbookCharts.h"
#include "workbook/WorkbookCheck.h"
#include "workbook/WorkbookFormats.h"
#include "workbook/WorkbookText.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>
#include <xlsxwriter.h>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The table starts at worksheet row 4 (0-based 3): title, empty line, caption.
constexpr int kHeaderRow = 3;
// Margins in inches as the spreadsheet's "narrow" margins, which leave the
// most room for the table.
constexpr double kNarrowSideMargin = 0.25;
constexpr double kNarrowTopMargin = 0.75;
// The widest column a spreadsheet accepts, in characters; a column widened
// by a 32 767-character memo would be far wider.
constexpr double kMaxColumnWidth = 255.0;

// A row number is a whole number, written as one so that the spreadsheet
// sorts and sums it as such; any other text (the grand total's empty 序)
// stays as it is. Fifteen digits at most keep it exact as a double.
std::optional<double> wholeNumberOf(const QString& text) {
    if (text.isEmpty() || text.size() > 15)
        return std::nullopt;
    double value = 0;
    for (QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + (ch.unicode() - u'0');
    }
    return value;
}

// Thrown through a row source to stop it once the workbook refused a row.
struct RowsRefused {};

class SheetWriter {
public:
    SheetWriter(lxw_workbook* workbook, const SheetDescription& sheet)
        : m_formats(workbook), m_sheet(sheet), m_columns(sheet.columns()),
          m_worksheet(workbook_add_worksheet(workbook, sheet.sheetName.toUtf8().constData())) {}

    lxw_error write(const ExportProgress& progress);
    // Some text was longer than a cell holds and went in cut.
    bool truncated() const { return m_truncated; }
    // The rows and cells written, for the read-back.
    const WrittenSheet& written() const { return m_written; }
    // What the system said when a write to the rows' temporary file failed.
    int systemError() const { return m_systemError; }

private:
    void writeColumnWidths();
    void setUpViewAndPrinting(int lastRow);
    void writeMerged(int row, int columns, const QString& text, const CellStyle& style);
    void writeBlankLine(int row, int fromColumn);
    void writeHeader();
    void writeBodyRow(int row, const SheetRow& cells);
    void writeText(int row, int col, const QString& text, lxw_format* format);
    void writeNumber(int row, int col, double value, lxw_format* format);
    lxw_format* format(const CellStyle& style);
    const char* utf8(const QString& text);
    std::optional<double> amountOf(const QString& text);
    void keep(lxw_error error) {
        if (m_error == LXW_NO_ERROR)
            m_error = error;
    }
    void checkRowsFile(bool flush);

    WorkbookFormats m_formats;
    const SheetDescription& m_sheet;
    const int m_columns;
    lxw_worksheet* m_worksheet;
    // One UTF-8 buffer for every cell text instead of an allocation per cell.
    QStringEncoder m_utf8{QStringEncoder::Utf8};
    QByteArray m_buffer;
    lxw_error m_error = LXW_NO_ERROR;
    int m_systemError = 0;
    bool m_truncated = false;
    WrittenSheet m_written{"xl/worksheets/sheet1.xml", {}};
};

lxw_error SheetWriter::write(const ExportProgress& progress) {
    if (!m_worksheet)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    writeColumnWidths();
    writeMerged(0, m_columns, m_sheet.title,
                {.bold = true, .size = CellStyle::kDefaultSize, .align = CellAlign::Centre});
    writeBlankLine(1, 0);
    writeMerged(2, m_sheet.captionColumns, m_sheet.caption, {});
    writeBlankLine(2, m_sheet.captionColumns);
    if (progress)
        progress(0);
    writeHeader();
    // The constant-memory workbook takes rows strictly in order.
    int rows = 0;
    const SheetRowWriter writeRow = [&](const SheetRow& row) {
        // Rows the workbook refused end the table, streamed or not.
        if (m_error != LXW_NO_ERROR)
            throw RowsRefused{};
        if (progress)
            progress(rows + 1);
        writeBodyRow(kHeaderRow + 1 + rows++, row);
        checkRowsFile(false);
    };
    try {
        if (m_sheet.streamedRows)
            m_sheet.streamedRows(writeRow);
        else
            for (const SheetRow& row : m_sheet.rows)
                writeRow(row);
    } catch (const RowsRefused&) {
        return m_error;
    }
    const int lastRow = kHeaderRow + 1 + rows;
    // Before the closing line: a constant-memory sheet takes a filter only
    // down to the row it holds.
    if (m_sheet.autoFilter)
        keep(worksheet_autofilter(m_worksheet, kHeaderRow, 0, lxw_row_t(lastRow - 1),
                                  lxw_col_t(m_columns - 1)));
    writeBlankLine(lastRow, 0);
    checkRowsFile(true);
    setUpViewAndPrinting(lastRow);
    return m_error;
}

// Printed, the table is one page wide in landscape A4, as many pages tall as
// it takes, each page with the lines down to the heading row, the title in
// its header and "第 n 页，共 m 页" in its footer. Grid lines are not
// printed: the table's borders are. Frozen on screen: the same lines, and
// the columns that name a row.
void SheetWriter::setUpViewAndPrinting(int lastRow) {
    worksheet_freeze_panes(m_worksheet, kHeaderRow + 1, lxw_col_t(m_sheet.frozenColumns));
    worksheet_set_landscape(m_worksheet);
    worksheet_set_paper(m_worksheet, kPaperA4);
    worksheet_fit_to_pages(m_worksheet, 1, 0);
    worksheet_set_margins(m_worksheet, kNarrowSideMargin, kNarrowSideMargin, kNarrowTopMargin,
                          kNarrowTopMargin);
    worksheet_gridlines(m_worksheet, LXW_SHOW_SCREEN_GRIDLINES);
    keep(worksheet_repeat_rows(m_worksheet, 0, kHeaderRow));
    keep(worksheet_print_area(m_worksheet, 0, 0, lxw_row_t(lastRow), lxw_col_t(m_columns - 1)));
    // "&" starts a code of the header's own; a literal one is doubled.
    QString title = m_sheet.title;
    title.replace(u'&', u"&&"_s);
    keep(worksheet_set_header(m_worksheet, (u"&C"_s + title).toUtf8().constData()));
    keep(worksheet_set_footer(m_worksheet, "&C第 &P 页，共 &N 页"));
}

// A constant-memory worksheet goes row by row into a temporary file through
// the C library's buffered stream, and libxlsxwriter copies that file into the
// workbook on closing without looking at its own writes or its final flush:
// rows the disk refused would be missing from a workbook that looks sound.
// The stream's error flag keeps any refused write; the last flush is ours.
void SheetWriter::checkRowsFile(bool flush) {
    FILE* rows = m_worksheet->optimize_tmpfile;
    if (!rows || m_error != LXW_NO_ERROR)
        return;
    // errno still tells why the failed write failed: nothing since has failed.
    if (flush)
        errno = 0;
    if ((flush && std::fflush(rows) != 0) || std::ferror(rows)) {
        m_systemError = errno != 0 ? errno : EIO;
        keep(LXW_ERROR_CREATING_TMPFILE);
    }
}

void SheetWriter::writeColumnWidths() {
    for (int c = 0; c < m_columns && size_t(c) < m_sheet.widths.size(); ++c)
        keep(worksheet_set_column(m_worksheet, lxw_col_t(c), lxw_col_t(c),
                                  std::min(m_sheet.widths[size_t(c)], kMaxColumnWidth), nullptr));
}

lxw_format* SheetWriter::format(const CellStyle& style) {
    lxw_format* f = m_formats.format(style);
    if (!f)
        keep(LXW_ERROR_MEMORY_MALLOC_FAILED);
    return f;
}

void SheetWriter::writeMerged(int row, int columns, const QString& text, const CellStyle& style) {
    lxw_format* cellFormat = format(style);
    // A merged range is its first cell with the text and formatted blanks.
    m_written.countCell(std::uint32_t(row), std::uint32_t(std::max(columns, 1)));
    if (columns > 1)
        keep(worksheet_merge_range(m_worksheet, lxw_row_t(row), 0, lxw_row_t(row),
                                   lxw_col_t(columns - 1), utf8(text), cellFormat));
    else
        keep(worksheet_write_string(m_worksheet, lxw_row_t(row), 0, utf8(text), cellFormat));
}

void SheetWriter::writeBlankLine(int row, int fromColumn) {
    lxw_format* font = format({});
    for (int c = fromColumn; c < m_columns; ++c) {
        m_written.countCell(std::uint32_t(row));
        keep(worksheet_write_blank(m_worksheet, lxw_row_t(row), lxw_col_t(c), font));
    }
}

void SheetWriter::writeHeader() {
    lxw_format* header =
        format({.align = CellAlign::Centre, .fill = m_sheet.headerFill, .border = true});
    for (int c = 0; c < m_columns; ++c)
        writeText(kHeaderRow, c, m_sheet.header[c], header);
}

void SheetWriter::writeBodyRow(int row, const SheetRow& cells) {
    // A row's options go before its first cell in a constant-memory sheet.
    if (cells.outlineLevel > 0) {
        lxw_row_col_options grouped{};
        grouped.level = cells.outlineLevel;
        keep(worksheet_set_row_opt(m_worksheet, lxw_row_t(row), LXW_DEF_ROW_HEIGHT, nullptr,
                                   &grouped));
    }
    lxw_format* text = format({.fill = cells.fill, .border = true});
    lxw_format* amount =
        format({.align = CellAlign::Right, .fill = cells.fill, .border = true, .amount = true});
    for (int c = 0; c < m_columns; ++c) {
        const QString cell = cells.cells.value(c);
        const SheetColumnKind kind =
            size_t(c) < m_sheet.kinds.size() ? m_sheet.kinds[size_t(c)] : SheetColumnKind::Text;
        if (kind == SheetColumnKind::WholeNumber) {
            if (const std::optional<double> number = wholeNumberOf(cell))
                writeNumber(row, c, *number, text);
            else
                writeText(row, c, cell, text);
        } else if (kind == SheetColumnKind::Amount) {
            if (const std::optional<double> value = amountOf(cell))
                writeNumber(row, c, *value, amount);
            else // an empty cell keeps its format; any other text stays text
                writeText(row, c, cell, amount);
        } else {
            writeText(row, c, cell, text);
        }
    }
}

std::optional<double> SheetWriter::amountOf(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    // The grid's amount texts ("1234.50") take the fast path; anything else
    // is read as QString reads numbers.
    const char* begin = utf8(text);
    const char* end = begin + std::strlen(begin);
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error == std::errc() && stop == end)
        return value;
    bool ok = false;
    value = text.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// Every text reaches the workbook through here, made fit for a cell.
const char* SheetWriter::utf8(const QString& text) {
    const CellText safe = workbookSafeText(text);
    m_truncated |= safe.truncated;
    const QString& written = safe.replacement ? *safe.replacement : text;
    m_buffer.resize(m_utf8.requiredSpace(written.size()) + 1);
    char* end = m_utf8.appendToBuffer(m_buffer.data(), written);
    *end = '\0';
    return m_buffer.constData();
}

void SheetWriter::writeText(int row, int col, const QString& text, lxw_format* format) {
    m_written.countCell(std::uint32_t(row));
    if (text.isEmpty())
        keep(worksheet_write_blank(m_worksheet, lxw_row_t(row), lxw_col_t(col), format));
    else
        keep(worksheet_write_string(m_worksheet, lxw_row_t(row), lxw_col_t(col), utf8(text),
                                    format));
}

void SheetWriter::writeNumber(int row, int col, double value, lxw_format* format) {
    m_written.countCell(std::uint32_t(row));
    keep(worksheet_write_number(m_worksheet, lxw_row_t(row), lxw_col_t(col), value, format));
}

// The user's words for what the workbook writer reports. Its failures while
// writing the archive come from the system (a full disk, mostly), whose
// cause is named too when it is known.
FileError lxwError(lxw_error error, int systemError = 0) {
    QString text;
    switch (error) {
    case LXW_ERROR_MEMORY_MALLOC_FAILED:
        text = u"内存不足"_s;
        break;
    case LXW_ERROR_CREATING_XLSX_FILE:
        text = u"无法创建工作簿文件"_s;
        break;
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
        text = u"无法写入或读回工作簿的临时文件"_s;
        break;
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_PARAMETER_ERROR:
    case LXW_ERROR_ZIP_BAD_ZIP_FILE:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
    case LXW_ERROR_ZIP_FILE_ADD:
    case LXW_ERROR_ZIP_CLOSE:
        text = u"无法写入工作簿文件"_s;
        break;
    default:
        text = u"工作簿写入出错（"_s + QString::fromUtf8(lxw_strerror(error)) + u"）"_s;
        break;
    }
    if (systemError != 0)
        text += u"："_s + systemErrorText(systemError);
    return FileError(int(error), text + u"；未保存，原有文件不变"_s);
}

// The names libxlsxwriter opens: UTF-8 on Windows, where it converts them
// for the wide file functions; the file system's own encoding elsewhere.
QByteArray libraryPath(const QString& path) {
#ifdef _WIN32
    return QDir::toNativeSeparators(path).toUtf8();
#else
    return QFile::encodeName(path);
#endif
}

// What the file says about itself. libxlsxwriter copies the texts.
lxw_error setProperties(lxw_workbook* workbook, const WorkbookProperties& properties) {
    const QByteArray title = properties.title.toUtf8(), subject = properties.subject.toUtf8(),
                     author = properties.author.toUtf8(), keywords = properties.keywords.toUtf8(),
                     comments = properties.comments.toUtf8();
    lxw_doc_properties written{};
    written.title = const_cast<char*>(title.constData());
    written.subject = const_cast<char*>(subject.constData());
    written.author = const_cast<char*>(author.constData());
    written.keywords = const_cast<char*>(keywords.constData());
    written.comments = const_cast<char*>(comments.constData());
    written.created = std::time(nullptr);
    return workbook_set_properties(workbook, &written);
}

} // namespace

ExportResult writeWorkbook(const WorkbookDescription& description, const QString& path,
                           const ExportProgress& progress) {
    ReplacingFile file(path);
    file.open();
    // libxlsxwriter keeps the rows in temporary files until it closes the
    // workbook; next to the target they share its free space, so a full disk
    // shows in one place, and the check below sees its effect.
    QByteArray folder = libraryPath(file.folder());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = folder.data();
    lxw_workbook* workbook =
        workbook_new_opt(libraryPath(file.temporaryPath()).constData(), &options);
    if (!workbook)
        throw lxwError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    SheetWriter sheet(workbook, description.sheet);
    lxw_error written = LXW_NO_ERROR;
    try {
        written = sheet.write(progress);
    } catch (...) {
        // Streamed rows that could not be read: closing frees the workbook,
        // and the unfinished file goes with `file`.
        workbook_close(workbook);
        throw;
    }
    if (written == LXW_NO_ERROR)
        written = setProperties(workbook, description.properties);
    for (const ChartSheetDescription& chart : description.charts)
        if (written == LXW_NO_ERROR)
            written = addChartSheet(workbook, description.sheet.sheetName, kHeaderRow + 1, chart);
    // Closing also frees the workbook, so it runs after a failed write too.
    // What the system said on a failed write survives in errno.
    errno = 0;
    const lxw_error closed = workbook_close(workbook);
    const int systemError = errno;
    if (written != LXW_NO_ERROR)
        throw lxwError(written, sheet.systemError());
    if (closed != LXW_NO_ERROR)
        throw lxwError(closed, systemError);
    if (const std::optional<QString> defect =
            findWorkbookDefect(file.temporaryPath(), {sheet.written()}))
        throw FileError(EIO, u"写出的工作簿不完整（"_s + *defect +
                                 u"），可能是磁盘空间不足；未保存，原有文件不变"_s);
    const std::optional<QString> warning = file.commit();
    return {path, sheet.truncated(), warning};
}

} // namespace nbr
