#pragma once
// Our own thin ODBC client: one connection, read-only queries with bound
// parameters, every value fetched as text in chunks until complete.
//
// Two text modes. Drivers with Unicode entry points (FreeTDS, the Windows SQL
// Server drivers) are driven through the W functions with UTF-16 text; the
// SQLite3 driver has only ANSI entry points and keeps its data in UTF-8, so
// it is driven through the narrow functions with UTF-8 bytes (the driver
// manager's own W-to-A mapping depends on the process locale and would lose
// Chinese text under the C locale).

#include "db/Recordset.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace nbr {

enum class OdbcTextMode { Wide, Utf8 };

class OdbcConnection {
public:
    // Connects with the ODBC connection string; throws DbError on failure.
    static std::unique_ptr<OdbcConnection> open(const QString& connectionString, OdbcTextMode mode,
                                                int loginTimeoutSeconds);
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // The driver's DBMS name ("Microsoft SQL Server", "SQLite", ...).
    const QString& dbmsName() const { return m_dbmsName; }

    // Runs one statement with its "?" parameters bound as text and reads its
    // whole result before returning; throws DbError on failure.
    Recordset query(const QString& sql, const QStringList& parameters = {});

    // Runs one statement and hands each row of its result to onRow as it is
    // fetched, as the current row of a one-row recordset that is valid during
    // the call only: nothing of a row is kept, so a result of any length
    // takes the memory of one row. Throws DbError; an exception thrown by
    // onRow ends the statement and passes on.
    using RowHandler = std::function<void(const Recordset& row)>;
    void forEachRow(const QString& sql, const QStringList& parameters, const RowHandler& onRow);

    // How long one statement may run before it is cancelled with an error
    // (30 seconds, the classic command time-out; 0 waits for ever).
    void setQueryTimeout(int seconds) { m_queryTimeoutSeconds = seconds; }

    // Statements run since the connection opened (for benchmarks).
    qint64 statementCount() const { return m_statementCount; }

private:
    struct Handles;
    explicit OdbcConnection(std::unique_ptr<Handles> handles, OdbcTextMode mode);
    // Executes a statement, then hands its column names to onColumns once
    // and each fetched row to onRow, which may take the values out.
    void run(const QString& sql, const QStringList& parameters,
             const std::function<void(QStringList columns)>& onColumns,
             const std::function<void(std::vector<DbValue>& row)>& onRow);

    std::unique_ptr<Handles> m_handles;
    OdbcTextMode m_mode;
    QString m_dbmsName;
    qint64 m_statementCount = 0;
    int m_queryTimeoutSeconds = 30;
};

} // namespace nbr
