#!/usr/bin/python3
"""Reads a report workbook back and compares it with what the test expects.

usage: check_workbook.py WORKBOOK.xlsx EXPECTATION.json
       check_workbook.py WORKBOOK.xlsx --same-as OTHER.xlsx
       check_workbook.py LINES.xlsx --lines-of SUMMARY.xlsx

The expectation names the sheet, the title and caption lines, the grid's
header and body texts (hidden key column left out), the grid columns that
hold amounts, each body row's fill and the column widths in characters.
Row numbers in the first column (序) are read back as numbers.
Optional "cells" spot-check single cells by address, optional "properties"
the document properties, optional "absent" texts that no part of the file
may hold. Every workbook is also checked for its view and print setup
(frozen panes, landscape A4 one page wide, repeated heading rows, print
area, page header and footer); a summary for its outline (subject rows at
level 1) and its chart sheets and their series. With --same-as the
workbook must equal the other one cell for cell: values and their types,
number formats, alignment, fills, fonts, borders, merged ranges and column
widths. With --lines-of the workbook of every claim line must hold the
summary's departments in its order and add up, per department, subject and
month, to the summary's month cells. Every difference is printed; the exit
status is 0 only when there is none.
"""

import json
import math
import re
import sys
import zipfile

import openpyxl
from openpyxl.cell.cell import MergedCell
from openpyxl.utils import get_column_letter

FONT = "微软雅黑"
TOTALS_FILL = "C0C0FF"
SUBTOTAL_FILL = "C0FFFF"
SUMMARY = "非预算报销月报"
# The cell below and right of the frozen panes, per table sheet.
FROZEN_AT = {SUMMARY: "E5", "非预算报销明细": "C5"}


def shown(value):
    """A cell's text as a spreadsheet shows it: "_xHHHH_" is character HHHH
    (openpyxl decodes it in shared strings only, not in inline ones)."""
    if not isinstance(value, str):
        return value
    return re.sub("_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)


def stored_width(width):
    # Excel keeps a column width in characters of the default font (7 pixel
    # digits plus 5 pixels of padding), truncated to 1/256 of a character.
    if width <= 0:
        return 0.0
    if width < 1:
        pixels = int(width * 12 + 0.5)
    else:
        pixels = int(width * 7 + 0.5) + 5
    return int(pixels / 7 * 256) / 256


class Checker:
    def __init__(self, path, expected):
        self.path = path
        self.e = expected
        self.errors = []
        self.wb = openpyxl.load_workbook(path)
        self.columns = len(expected["header"])
        self.rows = len(expected["rows"]) + 1  # grid rows with the header

    def fail(self, where, what, got, want):
        if len(self.errors) < 40:
            self.errors.append(f"{where}: {what} is {got!r}, expected {want!r}")
        else:
            self.errors.append(None)

    def same(self, where, what, got, want):
        if got != want:
            self.fail(where, what, got, want)

    def run(self):
        ws = self.wb.worksheets[0]
        self.ws = ws
        last_row = self.rows + 4
        self.check_sheets_and_setup(last_row)
        self.same("sheet", "max_row", ws.max_row, last_row)
        self.same("sheet", "max_column", ws.max_column, self.columns)
        letter = get_column_letter
        merges = sorted(str(r) for r in ws.merged_cells.ranges)
        want_merges = sorted([f"A1:{letter(self.columns)}1",
                              f"A3:{letter(self.e['captionColumns'])}3"])
        self.same("sheet", "merged ranges", merges, want_merges)
        for c, width in enumerate(self.e["widths"], start=1):
            got = ws.column_dimensions[letter(c)].width
            self.same(f"column {letter(c)}", "width", got, stored_width(width))
        for r in range(1, last_row + 1):
            for c in range(1, self.columns + 1):
                self.check_cell(r, c)
        for address, want in self.e.get("cells", {}).items():
            self.check_spot(address, want)
        return self.errors

    def check_sheets_and_setup(self, last_row):
        sheet, fills = self.e["sheet"], self.e["fills"]
        subtotals = [r for r, fill in enumerate(fills, start=5) if fill == SUBTOTAL_FILL]
        sheets = [sheet]
        if sheet == SUMMARY:
            sheets.append("月度趋势")
            if 2 <= len(subtotals) <= 10:
                sheets.append("部门月度趋势")
        self.same("workbook", "sheet names", self.wb.sheetnames, sheets)
        self.same("workbook", "active sheet", self.wb.active.title, sheet)
        for error in print_setup_errors(self.ws, self.e["title"], FROZEN_AT[sheet],
                                        self.columns, last_row):
            self.errors.append(error)
        for key, want in self.e.get("properties", {}).items():
            self.same("properties", key, getattr(self.wb.properties, key), want)
        with zipfile.ZipFile(self.path) as parts:
            for name in parts.namelist():
                for text in self.e.get("absent", []):
                    if text.encode() in parts.read(name):
                        self.fail(name, "content", text, "absent")
        if sheet != SUMMARY:
            return
        for r in range(1, last_row + 1):
            # Subject rows fold under their subtotal; the rest stays at level 0.
            level = 1 if 5 <= r < 4 + len(fills) and fills[r - 5] is None else 0
            self.same(f"row {r}", "outline level", self.ws.row_dimensions[r].outline_level, level)
        total = 4 + len(fills)
        series = [[(f"$B${total}", f"$E${total}:$P${total}")]]
        if len(sheets) == 3:
            series.append([(f"$B${r}", f"$E${r}:$P${r}") for r in subtotals])
        charts = [chart for chartsheet in self.wb.chartsheets for chart in chartsheet._charts]
        self.same("charts", "series", [chart_series(chart) for chart in charts],
                  [[(f"'{SUMMARY}'!{name}", f"'{SUMMARY}'!$E$4:$P$4", f"'{SUMMARY}'!{values}")
                    for name, values in chart] for chart in series])

    def expected_cell(self, r, c):
        """(value, data type, number format, horizontal alignment, fill)."""
        amount = (c - 1) in self.e["amountColumns"]
        if r == 1:
            return (self.e["title"] if c == 1 else None), "s", "General", "center", None
        if r == 3:
            return (self.e["caption"] if c == 1 else None), "s", "General", None, None
        if r == 4:
            return self.e["header"][c - 1] or None, "s", "General", "center", TOTALS_FILL
        if 5 <= r <= self.rows + 3:
            text = self.e["rows"][r - 5][c - 1]
            fill = self.e["fills"][r - 5]
            if c == 1 and text.isascii() and text.isdigit():
                return int(text), "n", "General", None, fill  # 序: a row number
            if not amount:
                return text or None, "s", "General", None, fill
            if text == "":
                return None, "n", "#0.00", "right", fill
            try:
                return float(text), "n", "#0.00", "right", fill
            except ValueError:
                return text, "s", "#0.00", "right", fill
        return None, "n", "General", None, None

    def check_cell(self, r, c):
        cell = self.ws.cell(row=r, column=c)
        where = cell.coordinate
        value, data_type, number_format, horizontal, fill = self.expected_cell(r, c)
        if isinstance(cell, MergedCell):
            # Covered by a merge: openpyxl keeps no format of its own for it.
            self.same(where, "value", cell.value, None)
            return
        if isinstance(value, float):
            if not isinstance(cell.value, (int, float)) or not math.isclose(cell.value, value):
                self.fail(where, "value", cell.value, value)
        else:
            self.same(where, "value", shown(cell.value), value)
        if value is not None:
            self.same(where, "type", cell.data_type, data_type)
        self.same(where, "number format", cell.number_format, number_format)
        self.same(where, "alignment", cell.alignment.horizontal, horizontal)
        self.check_fill(where, cell, fill)
        self.same(where, "font", (cell.font.name, bool(cell.font.b), cell.font.sz),
                  (FONT, r == 1, 11 if r == 1 else 9))
        bordered = 4 <= r <= self.rows + 3
        sides = [cell.border.left.style, cell.border.right.style,
                 cell.border.top.style, cell.border.bottom.style]
        self.same(where, "borders", sides, ["thin"] * 4 if bordered else [None] * 4)

    def check_fill(self, where, cell, fill):
        got = cell.fill.fgColor.rgb[-6:] if cell.fill.patternType == "solid" else None
        self.same(where, "fill", got, fill)

    def check_spot(self, address, want):
        cell = self.ws[address]
        checks = {"value": shown(cell.value), "type": cell.data_type,
                  "format": cell.number_format}
        for key, got in checks.items():
            if key in want:
                self.same(address, key, got, want[key])
        if "fill" in want:
            self.check_fill(address, cell, want["fill"])


def chart_series(chart):
    """Each series' name, categories and values, as references."""
    def ref(data):  # a text or a number reference, whichever was written
        return next(r.f for r in (getattr(data, "strRef", None), getattr(data, "numRef", None)) if r)
    return [(ref(s.tx), ref(s.cat), ref(s.val)) for s in chart.series]


def print_setup_errors(ws, title, frozen, columns, last_row):
    """What differs from the view and print setup of every report sheet."""
    setup, last = ws.page_setup, get_column_letter(columns)
    got = (ws.freeze_panes, setup.orientation, str(setup.paperSize), setup.fitToWidth or 1,
           setup.fitToHeight, ws.sheet_properties.pageSetUpPr.fitToPage,
           (ws.page_margins.left, ws.page_margins.right), ws.print_title_rows, ws.print_area,
           ws.oddHeader.center.text, ws.oddFooter.center.text, bool(ws.print_options.gridLines))
    want = (frozen, "landscape", "9", 1, 0, True, (0.25, 0.25), "$1:$4",
            [f"$A$1:${last}${last_row}"], title, "第 &P 页，共 &N 页", False)
    names = ("frozen at", "orientation", "paper", "pages wide", "pages tall", "fit to page",
             "side margins", "print titles", "print area", "page header", "page footer",
             "grid lines printed")
    return [f"print setup: {name} is {g!r}, expected {w!r}"
            for name, g, w in zip(names, got, want) if g != w]


def lines_errors(lines_path, summary_path):
    """The lines workbook against the summary it lists the lines of."""
    ws = openpyxl.load_workbook(lines_path).worksheets[0]
    summary = openpyxl.load_workbook(summary_path).worksheets[0]
    header = [c.value for c in ws[4]]
    errors = print_setup_errors(ws, "部门非预算报销明细", "A5", len(header), ws.max_row)
    if ws.auto_filter.ref != f"A4:{get_column_letter(len(header))}{ws.max_row - 1}":
        errors.append(f"autofilter is {ws.auto_filter.ref!r}")
    col = {name: header.index(name) for name in ("部门名称", "科目代号", "月份", "合计")}
    sums, departments = {}, []
    for row in ws.iter_rows(min_row=5, max_row=ws.max_row - 1, values_only=True):
        dept = row[col["部门名称"]]
        if not departments or departments[-1] != dept:
            departments.append(dept)
        key = (dept, row[col["科目代号"]], int(row[col["月份"]]))
        sums[key] = sums.get(key, 0) + (row[col["合计"]] or 0)
    cells, order = {}, []
    for row in summary.iter_rows(min_row=5, max_row=summary.max_row - 2, values_only=True):
        if row[2] is None:  # a subtotal row
            order.append(row[1][:-len("小计")])
            continue
        for month in range(1, 13):
            if row[3 + month] is not None:
                key = (row[1], row[2], month)
                cells[key] = cells.get(key, 0) + row[3 + month]
    if departments != order:
        errors.append(f"departments in the order {departments[:5]}..., expected {order[:5]}...")
    for key in sorted(set(sums) | set(cells)):
        if abs(sums.get(key, 0) - cells.get(key, 0)) >= 0.005:
            errors.append(f"{key}: lines add up to {sums.get(key)}, summary shows {cells.get(key)}")
    return errors


def cell_look(cell):
    """Everything of a cell that a reader of the workbook sees."""
    fill = cell.fill.fgColor.rgb if cell.fill.patternType == "solid" else None
    return (cell.value, cell.data_type, cell.number_format, cell.alignment.horizontal, fill,
            (cell.font.name, bool(cell.font.b), cell.font.sz),
            tuple(side.style for side in (cell.border.left, cell.border.right,
                                          cell.border.top, cell.border.bottom)))


def compare_workbooks(path, other_path):
    errors = []
    book, other = openpyxl.load_workbook(path), openpyxl.load_workbook(other_path)
    if book.sheetnames != other.sheetnames:
        return ["sheet names %r, expected %r" % (book.sheetnames, other.sheetnames)]
    for ws, want in zip(book.worksheets, other.worksheets):
        def note(where, got, expected):
            if got != expected:
                errors.append(f"{ws.title}!{where}: {got!r}, expected {expected!r}")
        note("size", (ws.max_row, ws.max_column), (want.max_row, want.max_column))
        note("merged ranges", sorted(map(str, ws.merged_cells.ranges)),
             sorted(map(str, want.merged_cells.ranges)))
        for c in range(1, max(ws.max_column, want.max_column) + 1):
            letter = get_column_letter(c)
            note(f"column {letter} width", ws.column_dimensions[letter].width,
                 want.column_dimensions[letter].width)
        for r in range(1, max(ws.max_row, want.max_row) + 1):
            for c in range(1, max(ws.max_column, want.max_column) + 1):
                cell = ws.cell(row=r, column=c)
                note(cell.coordinate, cell_look(cell), cell_look(want.cell(row=r, column=c)))
    return errors


def main():
    if len(sys.argv) == 4 and sys.argv[2] in ("--same-as", "--lines-of"):
        compare = compare_workbooks if sys.argv[2] == "--same-as" else lines_errors
        errors = compare(sys.argv[1], sys.argv[3])
        for line in errors[:40]:
            print(line)
        if len(errors) > 40:
            print(f"... {len(errors) - 40} more differences")
        return 1 if errors else 0
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    with open(sys.argv[2], encoding="utf-8") as f:
        expected = json.load(f)
    errors = Checker(sys.argv[1], expected).run()
    if not errors:
        return 0
    for line in errors:
        if line:
            print(line)
    if None in errors:
        print(f"... {errors.count(None)} more differences")
    return 1


if __name__ == "__main__":
    sys.exit(main())
