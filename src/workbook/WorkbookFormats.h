#pragma once
// The cell formats of the report workbooks. libxlsxwriter keeps every format
// it is given until the workbook closes, and a format per cell would bloat
// the styles part of the file, so each distinct combination of font, fill,
// alignment, border and number format is made once and handed out again.

#include "workbook/SheetDescription.h"

#include <compare>
#include <cstdint>
#include <map>

struct lxw_format;
struct lxw_workbook;

namespace nbr {

enum class CellAlign : std::uint8_t { Default, Centre, Right };

struct CellStyle {
    static constexpr std::uint32_t kNoFill = SheetRow::kNoFill;
    static constexpr int kDefaultSize = 11; // the workbook's own font size, left unset

    bool bold = false;
    int size = 9;
    CellAlign align = CellAlign::Default;
    std::uint32_t fill = kNoFill; // 0xRRGGBB
    bool border = false;          // thin on all four sides
    bool amount = false;          // number format "#0.00"

    auto operator<=>(const CellStyle&) const = default;
};

class WorkbookFormats {
public:
    explicit WorkbookFormats(lxw_workbook* workbook) : m_workbook(workbook) {}

    // Every format uses the report font "微软雅黑". Null when libxlsxwriter
    // runs out of memory.
    lxw_format* format(const CellStyle& style);

private:
    lxw_workbook* m_workbook;
    std::map<CellStyle, lxw_format*> m_formats;
};

} // namespace nbr
