#pragma once
// A report grid's table model: the rows of a result (ReportRows.h) under its
// column definition, for ReportGridView. Headings are the columns' own; each
// column's width in twips grows to the widest text it has shown plus 90
// twips and never shrinks while the window is open; amounts are aligned
// right, 序 centred; subtotal rows carry their colour, and so does the grand
// total where it is the summary's (a listing's totals row looks like its
// lines).

#include "platform/TextMeasure.h"
#include "report/ReportColumns.h"
#include "report/ReportRows.h"

#include <QAbstractTableModel>
#include <memory>
#include <vector>

namespace nbr {

class ReportGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    ReportGridModel(const ReportColumns& columns, bool colourGrandTotal, QObject* parent = nullptr);

    // The window font the texts are measured with.
    void setMeasureFont(const QFont& font);
    const TextMeasure& measure() const { return *m_measure; }

    const ReportColumns& columns() const { return m_columns; }
    // Shows these rows instead (one model reset); the columns widen to them.
    void setRows(ReportRows rows);
    const ReportRows& rows() const { return m_rows; }
    QString text(int row, int col) const;
    RowKind rowKind(int row) const;

    // Column widths in twips; every row is as high as the measure font's
    // line height plus 60 twips.
    int columnWidth(int col) const { return m_widths.at(size_t(col)); }
    const std::vector<int>& columnWidths() const { return m_widths; }
    int rowHeight() const { return m_rowHeight; }

    // QAbstractItemModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Horizontal: the headings, centred. Vertical: the row's 序, in the
    // row's colour or the heading's.
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void columnWidthsChanged();
    void rowHeightChanged(int twips);

private:
    QVariant rowColour(int row) const;

    ReportColumns m_columns;
    ReportRows m_rows;
    std::unique_ptr<TextMeasure> m_measure;
    std::vector<int> m_widths;
    int m_rowHeight = 0;
    bool m_colourGrandTotal;
};

} // namespace nbr
