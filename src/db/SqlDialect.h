#pragma once
// The few SQL Server functions the queries use, and their SQLite equivalents,
// so that one query builder serves both engines. The SQL Server spelling is
// the reference text the tests assert.

#include <QStringList>

namespace nbr {

enum class SqlEngine { SqlServer, SQLite };

class SqlDialect {
public:
    explicit SqlDialect(SqlEngine engine = SqlEngine::SqlServer) : m_engine(engine) {}
    // The engine behind a driver's DBMS name ("SQLite" or anything else).
    static SqlDialect forDbmsName(const QString& dbmsName);

    SqlEngine engine() const { return m_engine; }

    // The year and month of a date as six characters yyyymm:
    // "CONVERT(char(6),expr,112)".
    QString yearMonth(const QString& expr) const;
    // Length without trailing blanks: "LEN(expr)", spelled with the given keyword.
    QString len(const QString& expr, const QString& keyword = QStringLiteral("LEN")) const;
    // A national-character literal of fixed text: N'text'.
    QString nationalLiteral(const QString& text) const;

    // A table of bound rows to join in a statement: name(columns) with one
    // "(?, ?)" per row. SQL Server takes it where it is joined, in source:
    // "(VALUES (?, ?), (?, ?)) AS t(code, ord)". SQLite refuses the column
    // list there: it gets a common table expression in prefix, put in front
    // of the statement ("WITH t(code, ord) AS (VALUES (?, ?), (?, ?)) "),
    // and is joined by its name. Either way its values come before those of
    // the clauses that follow the join.
    struct BoundRows {
        QString prefix;
        QString source;
    };
    BoundRows boundRows(const QString& name, const QStringList& columns, int rows) const;

private:
    SqlEngine m_engine;
};

} // namespace nbr
