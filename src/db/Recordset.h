#pragma once
// The result of one query, read to its end: the column names and every row;
// or, while a long result streams by (OdbcConnection::forEachRow), the one row
// fetched last. Read in the classic way (eof / field by name / moveNext) or by
// index.

#include "db/DbValue.h"

#include <QHash>
#include <QStringList>
#include <vector>

namespace nbr {

class Recordset {
public:
    Recordset() = default;
    explicit Recordset(QStringList columns);

    const QStringList& columns() const { return m_columns; }
    qsizetype rowCount() const;

    // Cursor over the rows.
    bool eof() const { return m_position >= rowCount(); }
    void moveNext() { ++m_position; }
    // The field of the current row by column name (exact, then case-insensitive);
    // throws DbError for an unknown name or when at the end.
    const DbValue& field(const QString& name) const;

    // Direct access.
    int columnIndex(const QString& name) const; // -1 when absent
    const DbValue& value(qsizetype row, int column) const;

    // Filling (database layer only).
    void appendRow(std::vector<DbValue> row);
    // Makes row the only row, and the current one; row gets the values it replaced.
    void replaceRow(std::vector<DbValue>& row);

private:
    QStringList m_columns;
    QHash<QString, int> m_index;
    std::vector<DbValue> m_values; // row-major
    qsizetype m_position = 0;
};

} // namespace nbr
