#include "workbook/WorkbookFormats.h"

#include <xlsxwriter.h>

namespace nbr {

lxw_format* WorkbookFormats::format(const CellStyle& style) {
    if (const auto it = m_formats.find(style); it != m_formats.end())
        return it->second;
    lxw_format* f = workbook_add_format(m_workbook);
    if (!f)
        return nullptr;
    format_set_font_name(f, "微软雅黑");
    if (style.size != CellStyle::kDefaultSize)
        format_set_font_size(f, style.size);
    if (style.bold)
        format_set_bold(f);
    if (style.align == CellAlign::Centre)
        format_set_align(f, LXW_ALIGN_CENTER);
    else if (style.align == CellAlign::Right)
        format_set_align(f, LXW_ALIGN_RIGHT);
    if (style.fill != CellStyle::kNoFill) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        // libxlsxwriter reads 0 as "no colour"; black has its own value.
        format_set_bg_color(f, style.fill == 0 ? lxw_color_t(LXW_COLOR_BLACK) : style.fill);
    }
    if (style.border)
        format_set_border(f, LXW_BORDER_THIN);
    if (style.amount)
        format_set_num_format(f, "#0.00");
    m_formats.emplace(style, f);
    return f;
}

} // namespace nbr
