#include "report/models/FlexGridModel.h"

#include "platform/Twips.h"
#include "platform/WindowFont.h"

#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>

namespace nbr {

namespace {

Qt::Alignment toQtAlignment(int alignment) {
    switch (alignment) {
    case FlexGridModel::kAlignLeftTop:
        return Qt::AlignLeft | Qt::AlignTop;
    case FlexGridModel::kAlignLeftBottom:
        return Qt::AlignLeft | Qt::AlignBottom;
    case FlexGridModel::kAlignCentreTop:
        return Qt::AlignHCenter | Qt::AlignTop;
    case FlexGridModel::kAlignCentre:
        return Qt::AlignCenter;
    case FlexGridModel::kAlignCentreBottom:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case FlexGridModel::kAlignRightTop:
        return Qt::AlignRight | Qt::AlignTop;
    case FlexGridModel::kAlignRight:
        return Qt::AlignRight | Qt::AlignVCenter;
    case FlexGridModel::kAlignRightBottom:
        return Qt::AlignRight | Qt::AlignBottom;
    default: // kAlignLeft and values outside 0–8
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

FlexGridModel::FlexGridModel(QObject* parent)
    : QAbstractTableModel(parent), m_columns(1), m_rows(1) {
    setMeasureFont(windowFont());
}

void FlexGridModel::setMeasureFont(const QFont& font) {
    m_measure = std::make_unique<TextMeasure>(font);
    const int height = static_cast<int>(std::lround(m_measure->lineHeight())) + 60;
    if (height == m_rowHeight)
        return;
    m_rowHeight = height;
    emit rowHeightChanged(height);
}

void FlexGridModel::setFormatString(const QString& format) {
    const QStringList fields = format.split(u'|');
    resizeColumns(static_cast<int>(fields.size()));
    const bool silent = quiet();
    Row& headerRow = m_rows.front();
    headerRow.texts.resize(m_columns.size());
    for (int c = 0; c < cols(); ++c) {
        QString header = fields[c];
        Column& column = m_columns[c];
        column = Column();
        const QChar lead = header.isEmpty() ? QChar() : header.front();
        if (lead == u'^' || lead == u'<' || lead == u'>') {
            column.alignment = lead == u'^'   ? kAlignCentre
                               : lead == u'>' ? kAlignRight
                                              : kAlignLeft;
            header.remove(0, 1);
        }
        column.width = static_cast<int>(std::lround(textWidth(header))) + kHeaderPadding;
        headerRow.texts[c] = header;
        emit colWidthChanged(c, column.width);
    }
    if (!silent) {
        emit dataChanged(index(0, 0), index(rows() - 1, cols() - 1),
                         {Qt::DisplayRole, Qt::TextAlignmentRole});
        emit headerDataChanged(Qt::Horizontal, 0, cols() - 1);
    }
}

void FlexGridModel::setRows(int rows) {
    if (rows < 1 || rows == this->rows())
        return;
    const bool silent = quiet();
    const int old = this->rows();
    if (rows > old) {
        if (!silent)
            beginInsertRows({}, old, rows - 1);
        m_rows.resize(rows);
        if (!silent)
            endInsertRows();
    } else {
        if (!silent)
            beginRemoveRows({}, rows, old - 1);
        m_rows.resize(rows);
        if (!silent)
            endRemoveRows();
        if (m_row >= rows || m_rowSel >= rows)
            setCurrent(std::min(m_row, rows - 1), m_col, std::min(m_rowSel, rows - 1), m_colSel);
    }
}

void FlexGridModel::setCols(int cols) {
    if (cols < 1)
        return;
    resizeColumns(cols);
}

// Adds or removes columns at the right, with the matching signals.
void FlexGridModel::resizeColumns(int cols) {
    const int old = this->cols();
    if (cols == old)
        return;
    const bool silent = quiet();
    if (cols > old) {
        if (!silent)
            beginInsertColumns({}, old, cols - 1);
        m_columns.resize(cols);
        if (!silent)
            endInsertColumns();
    } else {
        if (!silent)
            beginRemoveColumns({}, cols, old - 1);
        m_columns.resize(cols);
        truncateCells(cols);
        if (!silent)
            endRemoveColumns();
        if (m_col >= cols || m_colSel >= cols)
            setCurrent(m_row, std::min(m_col, cols - 1), m_rowSel, std::min(m_colSel, cols - 1));
    }
}

void FlexGridModel::truncateCells(int cols) {
    const auto width = static_cast<std::size_t>(cols);
    for (Row& row : m_rows) {
        if (row.texts.size() > width)
            row.texts.resize(width);
        if (row.backColors.size() > width)
            row.backColors.resize(width);
    }
}

void FlexGridModel::setRow(int row) {
    if (row >= 0 && row < rows())
        setCurrent(row, m_col, row, m_colSel);
}

void FlexGridModel::setCol(int col) {
    if (col >= 0 && col < cols())
        setCurrent(m_row, col, m_rowSel, col);
}

void FlexGridModel::setRowSel(int row) {
    if (row >= 0 && row < rows())
        setCurrent(m_row, m_col, row, m_colSel);
}

void FlexGridModel::setColSel(int col) {
    if (col >= 0 && col < cols())
        setCurrent(m_row, m_col, m_rowSel, col);
}

void FlexGridModel::setSelection(GridCell current, GridCell extent) {
    if (validCell(current.row, current.col) && validCell(extent.row, extent.col))
        setCurrent(current.row, current.col, extent.row, extent.col);
}

CellRange FlexGridModel::selection() const {
    return {std::min(m_row, m_rowSel), std::min(m_col, m_colSel), std::max(m_row, m_rowSel),
            std::max(m_col, m_colSel)};
}

void FlexGridModel::setCurrent(int row, int col, int rowSel, int colSel) {
    if (row == m_row && col == m_col && rowSel == m_rowSel && colSel == m_colSel)
        return;
    m_row = row;
    m_col = col;
    m_rowSel = rowSel;
    m_colSel = colSel;
    emit currentCellChanged();
}

bool FlexGridModel::validCell(int row, int col) const {
    return row >= 0 && row < rows() && col >= 0 && col < cols();
}

QString FlexGridModel::textMatrix(int row, int col) const {
    if (!validCell(row, col))
        return {};
    const auto& texts = m_rows[row].texts;
    return static_cast<std::size_t>(col) < texts.size() ? texts[col] : QString();
}

void FlexGridModel::setTextMatrix(int row, int col, const QString& text) {
    if (!validCell(row, col))
        return;
    auto& texts = m_rows[row].texts;
    if (static_cast<std::size_t>(col) >= texts.size()) {
        if (text.isEmpty())
            return;
        texts.resize(m_columns.size());
    }
    texts[col] = text;
    cellChanged(row, col, Qt::DisplayRole);
}

FlexGridModel::RowKind FlexGridModel::rowKind(int row) const {
    return row >= 0 && row < rows() ? m_rows[row].kind : RowKind::Data;
}

void FlexGridModel::setRowKind(int row, RowKind kind) {
    if (row >= 0 && row < rows())
        m_rows[row].kind = kind;
}

int FlexGridModel::colWidth(int col) const {
    return col >= 0 && col < cols() ? m_columns[col].width : 0;
}

void FlexGridModel::setColWidth(int col, int twips) {
    if (col < 0 || col >= cols() || twips < 0 || m_columns[col].width == twips)
        return;
    m_columns[col].width = twips;
    emit colWidthChanged(col, twips);
}

std::vector<int> FlexGridModel::colWidths() const {
    std::vector<int> widths;
    widths.reserve(m_columns.size());
    for (const Column& column : m_columns)
        widths.push_back(column.width);
    return widths;
}

void FlexGridModel::setBody(std::vector<BodyRow> body) {
    const bool silent = quiet();
    if (!silent)
        beginResetModel();
    m_rows.resize(1);
    m_rows.reserve(body.size() + 1);
    const size_t columns = m_columns.size();
    for (BodyRow& source : body) {
        Row row;
        row.kind = source.kind;
        row.texts.reserve(columns);
        for (size_t c = 0; c < columns; ++c)
            row.texts.push_back(c < size_t(source.cells.size()) ? std::move(source.cells[c])
                                                                : QString());
        if (source.fill.isValid())
            row.backColors.assign(columns, source.fill);
        m_rows.push_back(std::move(row));
    }
    // Each shown column measured once, for its widest text.
    std::vector<int> widened;
    std::vector<const QString*> texts;
    texts.reserve(body.size());
    for (size_t c = 0; c < columns; ++c) {
        if (m_columns[c].width == 0)
            continue;
        texts.clear();
        for (size_t r = 1; r < m_rows.size(); ++r)
            texts.push_back(&m_rows[r].texts[c]);
        const double width = m_measure->widest(texts) + 90;
        if (width > m_columns[c].width) {
            m_columns[c].width = static_cast<int>(std::lround(width));
            widened.push_back(int(c));
        }
    }
    if (!body.empty()) {
        m_row = m_rowSel = rows() - 1;
        m_col = m_colSel = cols() - 1;
    } else {
        m_row = m_rowSel = 0;
    }
    if (!silent)
        endResetModel();
    for (int c : widened)
        emit colWidthChanged(c, m_columns[size_t(c)].width);
    emit currentCellChanged();
}

int FlexGridModel::colAlignment(int col) const {
    return col >= 0 && col < cols() ? m_columns[col].alignment : 0;
}

int FlexGridModel::fixedAlignment(int col) const {
    if (col < 0 || col >= cols())
        return 0;
    const Column& column = m_columns[col];
    return column.fixedAlignment >= 0 ? column.fixedAlignment : column.alignment;
}

void FlexGridModel::setFixedAlignment(int col, int alignment) {
    if (col < 0 || col >= cols())
        return;
    m_columns[col].fixedAlignment = alignment;
    cellChanged(0, col, Qt::TextAlignmentRole);
}

void FlexGridModel::setCellBackColor(const QColor& color) {
    auto& colors = m_rows[m_row].backColors;
    if (static_cast<std::size_t>(m_col) >= colors.size())
        colors.resize(m_columns.size());
    colors[m_col] = color;
    cellChanged(m_row, m_col, Qt::BackgroundRole);
}

QColor FlexGridModel::backColor(int row, int col) const {
    if (!validCell(row, col))
        return {};
    const auto& colors = m_rows[row].backColors;
    return static_cast<std::size_t>(col) < colors.size() ? colors[col] : QColor();
}

int FlexGridModel::rowHeight(int row) const {
    return row >= 0 && row < rows() ? m_rowHeight : 0;
}

int FlexGridModel::cellLeft() const {
    int left = 0;
    for (int c = 0; c < m_col; ++c)
        left += m_columns[c].width;
    return left;
}

int FlexGridModel::cellTop() const {
    return m_row * m_rowHeight;
}

bool FlexGridModel::quiet() {
    if (m_redraw)
        return false;
    if (!m_resetPending) {
        beginResetModel();
        m_resetPending = true;
    }
    return true;
}

void FlexGridModel::setRedraw(bool redraw) {
    m_redraw = redraw;
    if (redraw && m_resetPending) {
        m_resetPending = false;
        endResetModel();
    }
}

void FlexGridModel::cellChanged(int row, int col, int role) {
    if (quiet())
        return;
    emit dataChanged(index(row, col), index(row, col), {role});
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, col, col);
    if (col == 0)
        emit headerDataChanged(Qt::Vertical, row, row);
}

void FlexGridModel::userClick(int row, int col) {
    if (!validCell(row, col))
        return;
    setCurrent(row, col, row, col);
    emit click();
}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows();
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols();
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !validCell(index.row(), index.column()))
        return {};
    const int r = index.row();
    const int c = index.column();
    const bool fixed = r == 0 || c == 0;
    switch (role) {
    case Qt::DisplayRole:
        return textMatrix(r, c);
    case Qt::TextAlignmentRole:
        return toQtAlignment(r == 0 ? fixedAlignment(c) : colAlignment(c)).toInt();
    case Qt::BackgroundRole:
        if (const QColor color = backColor(r, c); color.isValid())
            return color;
        if (fixed && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return QGuiApplication::palette().color(QPalette::Button);
        return {};
    case Qt::ForegroundRole:
        if (fixed && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return QGuiApplication::palette().color(QPalette::ButtonText);
        return {};
    default:
        return {};
    }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const QModelIndex cell = orientation == Qt::Horizontal ? index(0, section) : index(section, 0);
    const QVariant value = data(cell, role);
    return role == Qt::DisplayRole ? QVariant(value.toString().trimmed()) : value;
}

} // namespace nbr
