// The summary export of a 40 000-row summary against libxlsxwriter writing
// the same cells with the same formats and outline levels bare: cell values
// prepared beforehand, the formats made once up front, one straight loop. The ratio is what the
// sheet description, text conversion, format cache and the safe replacement
// (the read-back of the written workbook, flushing to disk, the rename) cost;
// the read-back is also timed on its own.
//
//   bench_export [rows]    (default 40000)

#include "BenchSupport.h"
#include "ReportFixtures.h"
#include "report/ReportRows.h"
#include "report/WorkbookExport.h"
#include "workbook/WorkbookCheck.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include <xlsxwriter.h>

using namespace Qt::StringLiterals;
using namespace nbr;

namespace {

constexpr int kRuns = 5;

// One body cell as the bare loop writes it.
struct BareCell {
    std::string text;
    double number = 0;
    bool isNumber = false;
};

struct BareSheet {
    std::vector<std::vector<BareCell>> rows; // header first
    std::vector<double> widths;
    std::vector<int> fills;      // per row: 0 none, 1 subtotal, 2 totals
    std::vector<uint8_t> levels; // per row: its outline level
};

// The cells of the sheet the export writes, prepared for the bare loop.
BareSheet prepareBare(const SheetDescription& sheet) {
    BareSheet s;
    s.widths = sheet.widths;
    std::vector<BareCell> header;
    for (const QString& text : sheet.header)
        header.push_back({text.toStdString()});
    s.rows.push_back(std::move(header));
    s.fills.push_back(0);
    s.levels.push_back(0);
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
        std::vector<BareCell> row;
        for (int c = 0; c < sheet.columns(); ++c) {
            const QString t = sheet.rows[r].cells.value(c);
            BareCell cell{t.toStdString()};
            if (c >= 4 && c <= 16 && !t.isEmpty())
                cell.number = t.toDouble(&cell.isNumber);
            row.push_back(std::move(cell));
        }
        s.rows.push_back(std::move(row));
        s.fills.push_back(r + 1 == sheet.rows.size() ? 2 : sheet.rows[r].fill != SheetRow::kNoFill);
        s.levels.push_back(sheet.rows[r].outlineLevel);
    }
    return s;
}

lxw_format* makeFormat(lxw_workbook* wb, int size, bool bold, uint8_t align, lxw_color_t fill,
                       bool border, bool amount) {
    lxw_format* f = workbook_add_format(wb);
    format_set_font_name(f, "微软雅黑");
    if (size != 11)
        format_set_font_size(f, size);
    if (bold)
        format_set_bold(f);
    if (align)
        format_set_align(f, align);
    if (fill) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, fill);
    }
    if (border)
        format_set_border(f, LXW_BORDER_THIN);
    if (amount)
        format_set_num_format(f, "#0.00");
    return f;
}

bool writeBare(const BareSheet& s, const char* path) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* wb = workbook_new_opt(path, &options);
    lxw_worksheet* ws = workbook_add_worksheet(wb, "非预算报销月报");
    const lxw_color_t fills[] = {0, 0xC0FFFF, 0xC0C0FF};
    lxw_format* title = makeFormat(wb, 11, true, LXW_ALIGN_CENTER, 0, false, false);
    lxw_format* font = makeFormat(wb, 9, false, 0, 0, false, false);
    lxw_format* header = makeFormat(wb, 9, false, LXW_ALIGN_CENTER, 0xC0C0FF, true, false);
    lxw_format* text[3];
    lxw_format* amount[3];
    for (int i = 0; i < 3; ++i) {
        text[i] = makeFormat(wb, 9, false, 0, fills[i], true, false);
        amount[i] = makeFormat(wb, 9, false, LXW_ALIGN_RIGHT, fills[i], true, true);
    }
    const auto columns = lxw_col_t(s.widths.size());
    for (lxw_col_t c = 0; c < columns; ++c)
        worksheet_set_column(ws, c, c, s.widths[c], nullptr);
    worksheet_merge_range(ws, 0, 0, 0, columns - 1, "部门非预算报销月报", title);
    for (lxw_col_t c = 0; c < columns; ++c)
        worksheet_write_blank(ws, 1, c, font);
    worksheet_merge_range(ws, 2, 0, 2, 2, " 月报年度：2026年度", font);
    for (lxw_col_t c = 3; c < columns; ++c)
        worksheet_write_blank(ws, 2, c, font);
    for (size_t r = 0; r < s.rows.size(); ++r) {
        const auto row = lxw_row_t(r + 3);
        if (s.levels[r] > 0) {
            lxw_row_col_options grouped{};
            grouped.level = s.levels[r];
            worksheet_set_row_opt(ws, row, LXW_DEF_ROW_HEIGHT, nullptr, &grouped);
        }
        for (lxw_col_t c = 0; c < columns; ++c) {
            const BareCell& cell = s.rows[r][c];
            const bool isAmount = r > 0 && c >= 4 && c <= 16;
            lxw_format* f = r == 0 ? header : (isAmount ? amount : text)[s.fills[r]];
            if (cell.isNumber)
                worksheet_write_number(ws, row, c, cell.number, f);
            else if (cell.text.empty())
                worksheet_write_blank(ws, row, c, f);
            else
                worksheet_write_string(ws, row, c, cell.text.c_str(), f);
        }
    }
    for (lxw_col_t c = 0; c < columns; ++c)
        worksheet_write_blank(ws, lxw_row_t(s.rows.size() + 3), c, font);
    return workbook_close(wb) == LXW_NO_ERROR;
}

long peakKilobytes() {
    return bench::peakMemoryKb();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40000;

    const SummaryTable table = test::largeSummary(rows);
    const std::vector<int> widths = freshColumnWidths(summaryColumns(), summaryRows(table));
    const BareSheet bare = prepareBare(summarySheet(table, widths));
    const long peakBefore = peakKilobytes();

    QTemporaryDir dir;
    const QString exportPath = dir.filePath(u"export.xlsx"_s);
    const QByteArray barePath = dir.filePath(u"bare.xlsx"_s).toUtf8();
    std::vector<double> exportMs, bareMs;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        // A failure ends the benchmark with its message.
        exportSummary(table, widths, exportPath);
        exportMs.push_back(double(t.nsecsElapsed()) / 1e6);
        t.start();
        if (!writeBare(bare, barePath.constData())) {
            std::fprintf(stderr, "bare write failed\n");
            return 1;
        }
        bareMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    // The read-back before the rename, part of every export above, alone.
    std::vector<double> checkMs;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        if (findWorkbookDefect(exportPath)) {
            std::fprintf(stderr, "the exported workbook does not pass its own check\n");
            return 1;
        }
        checkMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    const double e = median(exportMs), b = median(bareMs), c = median(checkMs);
    std::printf("summary export of %d body rows, median of %d runs\n", rows, kRuns);
    std::printf("  exportSummary         %8.1f ms\n", e);
    std::printf("  bare libxlsxwriter    %8.1f ms\n", b);
    std::printf("  ratio                 %8.2f x   (goal <= 1.50)\n", e / b);
    std::printf("  of which read-back    %8.1f ms   (%.0f%% of the export)\n", c, 100 * c / e);
    std::printf("  peak RSS   %ld kB after building the summary, %ld kB after the runs\n",
                peakBefore, peakKilobytes());
    return 0;
}
