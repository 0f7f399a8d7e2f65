#pragma once
// The report window's keyboard shortcuts, each named in its control's
// tooltip, the captions as they are: Ctrl+Enter 开始统计, Ctrl+E 导出Excel
// (导出明细 while a listing is open), Esc closes the detail panel, Ctrl+F goes
// to the department search box. A shortcut acts only while its control is
// shown and enabled, as a click on it would.

namespace nbr {

struct ReportControls;

void addReportShortcuts(const ReportControls& ui);

} // namespace nbr
