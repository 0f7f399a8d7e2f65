#pragma once
// Our own thin ODBC client: one connection, read-only queries with bound
// parameters, every value fetched as text in chunks until complete. How text
// crosses the boundary (UTF-16 or UTF-8) is OdbcText's business.

#include "db/Recordset.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace nbr {

enum class OdbcTextMode;

class OdbcConnection {
public:
    // Connects with the ODBC connection string; throws DbError on failure.
    [[nodiscard]] static std::unique_ptr<OdbcConnection>
    open(const QString& connectionString, OdbcTextMode mode, int loginTimeoutSeconds);
    ~OdbcConnection();
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    // The driver's DBMS name ("Microsoft SQL Server", "SQLite", ...).
    const QString& dbmsName() const { return m_dbmsName; }

    // Runs one statement with its "?" parameters bound as text and reads its
    // whole result before returning; throws DbError on failure, also when the
    // driver refuses or changes the query time-out.
    [[nodiscard]] Recordset query(const QString& sql, const QStringList& parameters = {});

    // Runs one statement and hands each row of its result to onRow as it is
    // fetched, as the current row of a one-row recordset that is valid during
    // the call only: nothing of a row is kept, so a result of any length
    // takes the memory of one row. The time-out ends with the first row: it
    // covers the database's work, not what onRow does. Throws DbError; an
    // exception thrown by onRow ends the statement and passes on.
    using RowHandler = std::function<void(const Recordset& row)>;
    void forEachRow(const QString& sql, const QStringList& parameters, const RowHandler& onRow);

    // How long one statement may run before it is cancelled with an error
    // (30 seconds, the classic command time-out; 0 waits for ever). Drivers
    // that accept the time-out without keeping it get it kept for them.
    void setQueryTimeout(int seconds) { m_queryTimeoutSeconds = seconds; }

    // Whether the driver knows the connection to the server is gone.
    bool isLost() const;

    // Statements run since the connection opened (for benchmarks).
    qint64 statementCount() const { return m_statementCount; }

private:
    struct Handles;
    class Statement;
    OdbcConnection(std::unique_ptr<Handles> handles, OdbcTextMode mode);

    // Runs the statement under the query time-out, hands its columns to
    // onColumns and each fetched row to onRow, which may take its values;
    // the time-out ends with the last row, or with the first when streamed.
    void run(const QString& sql, const QStringList& parameters, bool streamed,
             const std::function<void(Recordset columns)>& onColumns,
             const std::function<void(std::vector<DbValue>& row)>& onRow);
    void bindParameters(Statement& stmt, const QStringList& parameters) const;
    Recordset describeColumns(Statement& stmt) const;
    // Hands each fetched row to onRow, which may take its values.
    void fetchRows(Statement& stmt, int columns,
                   const std::function<void(std::vector<DbValue>& row)>& onRow) const;
    // Sets the statement's time-out; false when the driver took it without
    // keeping it, so that the watchdog must keep it.
    bool applyQueryTimeout(Statement& stmt) const;
    void startWatchdog();
    [[nodiscard]] bool stopWatchdog();

    std::unique_ptr<Handles> m_handles;
    OdbcTextMode m_mode;
    QString m_dbmsName;
    qint64 m_statementCount = 0;
    int m_queryTimeoutSeconds = 30;
};

} // namespace nbr
