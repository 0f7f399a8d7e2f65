#include "report/GridWorkbook.h"

#include "report/ReplacingFile.h"
#include "report/WorkbookFormats.h"
#include "report/controls/FlexGridModel.h"

#include <QFile>
#include <QStringEncoder>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>
#include <xlsxwriter.h>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// Grid rows start at worksheet row 4 (0-based 3): title, empty line, caption.
constexpr int kFirstGridRow = 3;
// The header and totals rows' fill, RGB(192, 192, 255).
constexpr std::uint32_t kExportTotalsFill = 0xC0C0FF;
// One character of column width is 110 twips.
constexpr double kTwipsPerCharacter = 110.0;

class SheetWriter {
public:
    SheetWriter(lxw_workbook* workbook, const FlexGridModel& grid, const GridSheetLayout& layout)
        : m_formats(workbook), m_grid(grid), m_layout(layout), m_columns(grid.cols() - 1),
          m_sheet(workbook_add_worksheet(workbook, layout.sheetName.toUtf8().constData())),
          m_isAmount(size_t(std::max(m_columns, 0)), false) {
        for (int c : layout.amountColumns)
            if (c >= 0 && c < m_columns)
                m_isAmount[size_t(c)] = true;
    }

    lxw_error write(const ExportProgress& progress);

private:
    void writeColumnWidths();
    void writeMerged(int row, int columns, const QString& text, const CellStyle& style);
    void writeBlankLine(int row, int fromColumn);
    void writeHeader();
    void writeBodyRow(int gridRow);
    std::uint32_t bodyFill(int gridRow) const;
    void writeText(int row, int col, const QString& text, lxw_format* format);
    const char* utf8(const QString& text);
    std::optional<double> amountOf(const QString& text);
    void keep(lxw_error error) {
        if (m_error == LXW_NO_ERROR)
            m_error = error;
    }

    WorkbookFormats m_formats;
    const FlexGridModel& m_grid;
    const GridSheetLayout& m_layout;
    const int m_columns;
    lxw_worksheet* m_sheet;
    std::vector<bool> m_isAmount;
    // One UTF-8 buffer for every cell text instead of an allocation per cell.
    QStringEncoder m_utf8{QStringEncoder::Utf8};
    QByteArray m_buffer;
    lxw_error m_error = LXW_NO_ERROR;
};

lxw_error SheetWriter::write(const ExportProgress& progress) {
    if (!m_sheet)
        return LXW_ERROR_MEMORY_MALLOC_FAILED;
    writeColumnWidths();
    writeMerged(0, m_columns, m_layout.title,
                {.bold = true, .size = CellStyle::kDefaultSize, .align = CellAlign::Centre});
    writeBlankLine(1, 0);
    writeMerged(2, m_layout.captionColumns, m_layout.caption, {});
    writeBlankLine(2, m_layout.captionColumns);
    if (progress)
        progress(0);
    writeHeader();
    // The constant-memory workbook takes rows strictly in order.
    for (int r = 1; r < m_grid.rows() && m_error == LXW_NO_ERROR; ++r) {
        if (progress)
            progress(r);
        writeBodyRow(r);
    }
    writeBlankLine(kFirstGridRow + m_grid.rows(), 0);
    return m_error;
}

void SheetWriter::writeColumnWidths() {
    for (int c = 0; c < m_columns; ++c)
        keep(worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c),
                                  m_grid.colWidth(c) / kTwipsPerCharacter, nullptr));
}

void SheetWriter::writeMerged(int row, int columns, const QString& text, const CellStyle& style) {
    lxw_format* format = m_formats.format(style);
    const QByteArray utf8 = text.toUtf8();
    if (columns > 1)
        keep(worksheet_merge_range(m_sheet, lxw_row_t(row), 0, lxw_row_t(row),
                                   lxw_col_t(columns - 1), utf8.constData(), format));
    else
        keep(worksheet_write_string(m_sheet, lxw_row_t(row), 0, utf8.constData(), format));
}

void SheetWriter::writeBlankLine(int row, int fromColumn) {
    lxw_format* font = m_formats.format({});
    for (int c = fromColumn; c < m_columns; ++c)
        keep(worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(c), font));
}

void SheetWriter::writeHeader() {
    lxw_format* format =
        m_formats.format({.align = CellAlign::Centre, .fill = kExportTotalsFill, .border = true});
    for (int c = 0; c < m_columns; ++c)
        writeText(kFirstGridRow, c, m_grid.textMatrix(0, c), format);
}

std::uint32_t SheetWriter::bodyFill(int gridRow) const {
    if (gridRow == m_grid.rows() - 1)
        return kExportTotalsFill;
    if (m_layout.paintSubtotals && m_grid.rowKind(gridRow) == FlexGridModel::RowKind::Subtotal) {
        const QColor color = m_grid.backColor(gridRow, m_grid.cols() - 2);
        if (color.isValid())
            return color.rgb() & 0xFFFFFF;
    }
    return CellStyle::kNoFill;
}

void SheetWriter::writeBodyRow(int gridRow) {
    const std::uint32_t fill = bodyFill(gridRow);
    lxw_format* text = m_formats.format({.fill = fill, .border = true});
    lxw_format* amount =
        m_formats.format({.align = CellAlign::Right, .fill = fill, .border = true, .amount = true});
    const auto row = lxw_row_t(kFirstGridRow + gridRow);
    for (int c = 0; c < m_columns; ++c) {
        const QString cell = m_grid.textMatrix(gridRow, c);
        if (!m_isAmount[size_t(c)]) {
            writeText(int(row), c, cell, text);
            continue;
        }
        if (const std::optional<double> value = amountOf(cell))
            keep(worksheet_write_number(m_sheet, row, lxw_col_t(c), *value, amount));
        else // an empty cell keeps its format; any other text stays text
            writeText(int(row), c, cell, amount);
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

const char* SheetWriter::utf8(const QString& text) {
    m_buffer.resize(m_utf8.requiredSpace(text.size()) + 1);
    char* end = m_utf8.appendToBuffer(m_buffer.data(), text);
    *end = '\0';
    return m_buffer.constData();
}

void SheetWriter::writeText(int row, int col, const QString& text, lxw_format* format) {
    if (text.isEmpty())
        keep(worksheet_write_blank(m_sheet, lxw_row_t(row), lxw_col_t(col), format));
    else
        keep(worksheet_write_string(m_sheet, lxw_row_t(row), lxw_col_t(col), utf8(text), format));
}

ExportError lxwError(lxw_error error) {
    return {int(error), QString::fromUtf8(lxw_strerror(error))};
}

} // namespace

std::optional<ExportError> writeGridWorkbook(const FlexGridModel& grid,
                                             const GridSheetLayout& layout, const QString& path,
                                             const ExportProgress& progress) {
    ReplacingFile file(path);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* workbook =
        workbook_new_opt(QFile::encodeName(file.temporaryPath()).constData(), &options);
    if (!workbook)
        return lxwError(LXW_ERROR_MEMORY_MALLOC_FAILED);
    const lxw_error written = SheetWriter(workbook, grid, layout).write(progress);
    // Closing also frees the workbook, so it runs after a failed write too.
    const lxw_error closed = workbook_close(workbook);
    if (written != LXW_NO_ERROR)
        return lxwError(written);
    if (closed != LXW_NO_ERROR)
        return lxwError(closed);
    if (const int error = file.commit())
        return ExportError{error, u"无法保存文件“"_s + path + u"”："_s +
                                      QString::fromLocal8Bit(std::strerror(error))};
    return std::nullopt;
}

} // namespace nbr
