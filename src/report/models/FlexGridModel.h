#pragma once
// A report grid in the classic flex-grid manner: a text matrix with one fixed
// header row (row 0) and one fixed column (column 0), a current cell, column
// widths in twips and per-cell back colours, with the classic properties
// (Rows, Cols, Row, Col, TextMatrix, ColWidth, Redraw ...); FlexGridView
// shows it. The report fills its body from a result in one pass (setBody);
// each row also carries its kind (data, subtotal, grand total), so no reader
// has to guess a row's role from its text.
//
// Out-of-range arguments are ignored by the setters (the old value stays)
// and answered with empty values by the getters; nothing is clamped silently.

#include "platform/TextMeasure.h"
#include "report/SummaryTable.h"
#include "report/models/GridCell.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace nbr {

class FlexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The classic alignment values 0–8: left, centre or right, each at the
    // top, vertically centred or at the bottom. Any other value reads as
    // kAlignLeft.
    enum Alignment : int {
        kAlignLeftTop = 0,
        kAlignLeft = 1, // vertically centred, as are kAlignCentre and kAlignRight
        kAlignLeftBottom = 2,
        kAlignCentreTop = 3,
        kAlignCentre = 4,
        kAlignCentreBottom = 5,
        kAlignRightTop = 6,
        kAlignRight = 7,
        kAlignRightBottom = 8,
    };
    // Width given to columns added through setCols (about eight characters).
    static constexpr int kDefaultColWidth = 960;
    // Padding added to a header text's width by setFormatString.
    static constexpr int kHeaderPadding = 90;

    // What a row is to the report. Rows start as data rows; a dropped row
    // takes its kind with it, so rows appended later start afresh.
    using RowKind = nbr::RowKind;

    // One body row of a result: its cell texts (missing ones empty), a back
    // colour across the whole row (invalid: none), its kind.
    struct BodyRow {
        QStringList cells;
        QColor fill;
        RowKind kind = RowKind::Data;
    };

    explicit FlexGridModel(QObject* parent = nullptr);

    // The window font the texts are measured with.
    void setMeasureFont(const QFont& font);
    const QFont& measureFont() const { return m_measure->font(); }
    double textWidth(const QString& text) const { return m_measure->width(text); }

    // "|"-separated fields, one per column: an optional alignment character
    // ("^" centre, "<" left, ">" right) followed by the header text, kept
    // exactly (trailing blanks too). Each column starts
    // round(textWidth(header)) + kHeaderPadding twips wide, so an empty header
    // gives a kHeaderPadding wide column. A trailing "|" adds an empty column.
    // Body rows are kept; every column's alignment and width start afresh.
    void setFormatString(const QString& format);

    int rows() const { return static_cast<int>(m_rows.size()); }
    // At least 1 (the header row); smaller values are ignored. Growing appends
    // empty rows at the bottom, shrinking drops rows from the bottom.
    void setRows(int rows);
    int cols() const { return static_cast<int>(m_columns.size()); }
    void setCols(int cols); // at least 1; new columns are kDefaultColWidth wide

    // The current cell (Row, Col) and the cell the selection extends to
    // (RowSel, ColSel): the selection is the rectangle between the two.
    // Setting Row collapses RowSel onto it and keeps ColSel; setting Col
    // collapses ColSel onto it and keeps RowSel.
    int row() const { return m_row; }
    void setRow(int row);
    int col() const { return m_col; }
    void setCol(int col);
    int rowSel() const { return m_rowSel; }
    void setRowSel(int row);
    int colSel() const { return m_colSel; }
    void setColSel(int col);
    // All four at once; a cell outside the grid changes nothing.
    void setSelection(GridCell current, GridCell extent);
    CellRange selection() const;

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    QString text() const { return textMatrix(m_row, m_col); }
    void setText(const QString& text) { setTextMatrix(m_row, m_col, text); }

    RowKind rowKind(int row) const;
    void setRowKind(int row, RowKind kind);

    int colWidth(int col) const; // twips; 0 = hidden
    void setColWidth(int col, int twips);
    std::vector<int> colWidths() const;

    // Replaces every body row at once (one model reset): the header row and
    // the columns stay. Each shown column then grows to its widest text plus
    // 90 twips where that is wider; columns never shrink, hidden ones stay
    // hidden. The current cell ends on the last row's last column, where
    // writing the rows cell by cell would have left it.
    void setBody(std::vector<BodyRow> rows);

    int colAlignment(int col) const;
    // Alignment of the header cell of a column; until set it follows
    // colAlignment.
    int fixedAlignment(int col) const;
    void setFixedAlignment(int col, int alignment);

    // Back colour of the current cell only.
    QColor cellBackColor() const { return backColor(m_row, m_col); }
    void setCellBackColor(const QColor& color);
    QColor backColor(int row, int col) const; // invalid = not set

    // Every row is as high as the measure font's line height in twips plus
    // 60 twips (two pixels of padding above and below at 96 DPI).
    int rowHeight(int row) const;

    // Geometry of the current cell in twips from the grid's top-left corner,
    // ignoring scrolling (the sum of the widths/heights before it).
    int cellLeft() const;
    int cellTop() const;
    int cellWidth() const { return colWidth(m_col); }

    // While false, views see one model reset (begun at the first change,
    // ended by setRedraw(true)) instead of individual change signals.
    void setRedraw(bool redraw);
    bool redraw() const { return m_redraw; }

    // A user click on a cell: it becomes the current cell, the selection
    // collapsed onto it, then click().
    void userClick(int row, int col);

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Views show the fixed row and column as their headers: horizontal
    // section c is cell (0, c), vertical section r is cell (r, 0). Header
    // texts lose the blanks around them, which only set the column's width.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void click();
    void colWidthChanged(int col, int twips);
    // Row, Col, RowSel or ColSel changed.
    void currentCellChanged();
    // A new measure font changed the height of every row.
    void rowHeightChanged(int twips);

private:
    struct Column {
        int width = kDefaultColWidth;
        int alignment = kAlignLeft;
        int fixedAlignment = -1; // -1 = follow alignment
    };
    // Cells are created on first write, so appending a row costs next to nothing.
    struct Row {
        std::vector<QString> texts;
        std::vector<QColor> backColors;
        RowKind kind = RowKind::Data;
    };

    bool validCell(int row, int col) const;
    // Starts the pending reset when redraw is off; true when the caller must
    // not emit fine-grained signals.
    bool quiet();
    void resizeColumns(int cols);
    void truncateCells(int cols);
    void setCurrent(int row, int col, int rowSel, int colSel);
    void cellChanged(int row, int col, int role);

    std::unique_ptr<TextMeasure> m_measure;
    std::vector<Column> m_columns;
    std::vector<Row> m_rows;
    int m_row = 0;
    int m_col = 0;
    int m_rowSel = 0;
    int m_colSel = 0;
    int m_rowHeight = 0;
    bool m_redraw = true;
    bool m_resetPending = false;
};

} // namespace nbr
