#include "report/models/ReportGridModel.h"

#include "platform/WindowFont.h"
#include "report/ReportColours.h"

#include <QGuiApplication>
#include <QPalette>
#include <cmath>

namespace nbr {

namespace {

Qt::Alignment alignmentOf(ColumnKind kind) {
    switch (kind) {
    case ColumnKind::RowNumber:
        return Qt::AlignCenter;
    case ColumnKind::Amount:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ColumnKind::Text:
    case ColumnKind::Code:
    case ColumnKind::Date:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

// The heading's look, from the palette of a running GUI application.
QVariant paletteColour(QPalette::ColorRole role) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    return QGuiApplication::palette().color(role);
}

} // namespace

ReportGridModel::ReportGridModel(const ReportColumns& columns, bool colourGrandTotal,
                                 QObject* parent)
    : QAbstractTableModel(parent), m_columns(columns), m_colourGrandTotal(colourGrandTotal) {
    setMeasureFont(windowFont());
}

void ReportGridModel::setMeasureFont(const QFont& font) {
    m_measure = std::make_unique<TextMeasure>(font);
    m_widths = nbr::columnWidths(m_columns, m_rows, *m_measure);
    emit columnWidthsChanged();
    const int height = int(std::lround(m_measure->lineHeight())) + 60;
    if (height == m_rowHeight)
        return;
    m_rowHeight = height;
    emit rowHeightChanged(height);
}

void ReportGridModel::setRows(ReportRows rows) {
    beginResetModel();
    m_rows = std::move(rows);
    const std::vector<int> widths = nbr::columnWidths(m_columns, m_rows, *m_measure, m_widths);
    const bool widened = widths != m_widths;
    m_widths = widths;
    endResetModel();
    if (widened)
        emit columnWidthsChanged();
}

QString ReportGridModel::text(int row, int col) const {
    if (row < 0 || row >= rowCount())
        return {};
    return m_rows[size_t(row)].cells.value(col);
}

RowKind ReportGridModel::rowKind(int row) const {
    return row >= 0 && row < rowCount() ? m_rows[size_t(row)].kind : RowKind::Data;
}

int ReportGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ReportGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ReportGridModel::rowColour(int row) const {
    switch (rowKind(row)) {
    case RowKind::Subtotal:
        return ReportColour::kSubtotal;
    case RowKind::GrandTotal:
        return m_colourGrandTotal ? QVariant(ReportColour::kGrandTotal) : QVariant();
    case RowKind::Data:
        break;
    }
    return {};
}

QVariant ReportGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(alignmentOf(m_columns.at(size_t(index.column())).kind));
    case Qt::BackgroundRole:
        return rowColour(index.row());
    default:
        return {};
    }
}

QVariant ReportGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const bool horizontal = orientation == Qt::Horizontal;
    switch (role) {
    case Qt::DisplayRole:
        return horizontal ? m_columns.at(size_t(section)).heading : text(section, 0);
    case Qt::TextAlignmentRole:
        return int(horizontal ? Qt::AlignCenter : alignmentOf(m_columns.front().kind));
    case Qt::BackgroundRole:
        if (!horizontal)
            if (QVariant colour = rowColour(section); colour.isValid())
                return colour;
        return paletteColour(QPalette::Button);
    case Qt::ForegroundRole:
        return paletteColour(QPalette::ButtonText);
    default:
        return {};
    }
}

} // namespace nbr
