#pragma once
// The program's database: an open ODBC connection with the SQL dialect of its
// engine. When the connection to the server is lost, the failing query says
// so ("与数据库的连接已断开") and the next query first reconnects once,
// through the opener it was made with; when that fails too, the query says
// that the connection could not be restored. Nothing here keeps a password:
// the opener of the settings store reads the store again each time.

#include "db/OdbcConnection.h"
#include "db/SqlDialect.h"

#include <functional>
#include <memory>

namespace nbr {

class Database {
public:
    // Opens a new connection; throws DbError or SettingsError when it cannot.
    using Opener = std::function<std::unique_ptr<OdbcConnection>()>;

    // Opens the first connection with the opener; throws as it does.
    explicit Database(Opener opener);
    // Takes a connection that cannot be reopened (one opened with values
    // given in code, which are not kept): once lost it stays lost.
    explicit Database(std::unique_ptr<OdbcConnection> connection);

    const SqlDialect& dialect() const { return m_dialect; }

    // Runs one query; throws DbError. A lost connection is reconnected first.
    [[nodiscard]] Recordset query(const QString& sql, const QStringList& parameters = {});
    // Runs one query and hands its rows to onRecord one at a time, keeping
    // none (a result too long to hold, written out as it comes); throws as
    // query does.
    void forEachRecord(const QString& sql, const QStringList& parameters,
                       const OdbcConnection::RowHandler& onRecord);

    // The open connection; nullptr while it is lost.
    OdbcConnection* connection() const { return m_connection.get(); }

private:
    void adopt(std::unique_ptr<OdbcConnection> connection);
    void reconnect();
    // Runs work on the connection, reconnecting first when it was lost, and
    // tells a connection lost meanwhile from another failure.
    void run(const std::function<void(OdbcConnection& connection)>& work);

    Opener m_opener;
    std::unique_ptr<OdbcConnection> m_connection;
    SqlDialect m_dialect;
};

} // namespace nbr
