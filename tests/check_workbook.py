#!/usr/bin/python3
"""Reads a report workbook back and compares it with what the test expects.

usage: check_workbook.py WORKBOOK.xlsx EXPECTATION.json
       check_workbook.py WORKBOOK.xlsx --same-as OTHER.xlsx

The expectation names the sheet, the title and caption lines, the grid's
header and body texts (hidden key column left out), the grid columns that
hold amounts, each body row's fill and the column widths in characters.
Row numbers in the first column (序) are read back as numbers.
Optional "cells" spot-check single cells by address. With --same-as the
workbook must equal the other one cell for cell: values and their types,
number formats, alignment, fills, fonts, borders, merged ranges and column
widths. Every difference is printed; the exit status is 0 only when there is
none.
"""

import json
import math
import re
import sys

import openpyxl
from openpyxl.cell.cell import MergedCell
from openpyxl.utils import get_column_letter

FONT = "微软雅黑"
TOTALS_FILL = "C0C0FF"


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
        self.same("workbook", "sheet names", self.wb.sheetnames, [self.e["sheet"]])
        ws = self.wb.worksheets[0]
        self.ws = ws
        last_row = self.rows + 4
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
    if len(sys.argv) == 4 and sys.argv[2] == "--same-as":
        errors = compare_workbooks(sys.argv[1], sys.argv[3])
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
