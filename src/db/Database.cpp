#include "db/Database.h"

#include "db/DbError.h"
#include "db/SettingsError.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The SQLSTATE class of connection failures ("08S01" communication link failure, ...).
bool isConnectionState(const QString& sqlState) {
    return sqlState.startsWith(u"08"_s);
}

} // namespace

Database::Database(Opener opener) : m_opener(std::move(opener)) {
    adopt(m_opener());
}

Database::Database(std::unique_ptr<OdbcConnection> connection) {
    adopt(std::move(connection));
}

void Database::adopt(std::unique_ptr<OdbcConnection> connection) {
    m_connection = std::move(connection);
    m_dialect = SqlDialect::forDbmsName(m_connection->dbmsName());
}

void Database::reconnect() {
    const QString failed = u"与数据库的连接已断开，且无法恢复："_s;
    if (!m_opener)
        throw DbError(0, u"08003"_s, failed + u"此连接不能重新建立，请重新启动程序"_s);
    try {
        adopt(m_opener());
    } catch (const DbError& e) {
        throw DbError(e.number(), e.sqlState().isEmpty() ? u"08001"_s : e.sqlState(),
                      failed + e.description());
    } catch (const SettingsError& e) {
        throw DbError(0, u"08001"_s, failed + e.description());
    }
}

Recordset Database::query(const QString& sql, const QStringList& parameters) {
    Recordset result;
    run([&](OdbcConnection& connection) { result = connection.query(sql, parameters); });
    return result;
}

void Database::forEachRecord(const QString& sql, const QStringList& parameters,
                             const OdbcConnection::RowHandler& onRecord) {
    run([&](OdbcConnection& connection) { connection.forEachRow(sql, parameters, onRecord); });
}

void Database::run(const std::function<void(OdbcConnection& connection)>& work) {
    if (!m_connection)
        reconnect();
    try {
        work(*m_connection);
    } catch (const DbError& e) {
        // FreeTDS's first report of a dead server is HY000 "Unknown error";
        // the driver knows by then that the connection is gone.
        if (!isConnectionState(e.sqlState()) && !m_connection->isLost())
            throw;
        m_connection.reset();
        throw DbError(e.number(), e.sqlState(),
                      u"与数据库的连接已断开："_s + e.description() +
                          u"\n下一次操作时将重新连接数据库。"_s);
    }
}

} // namespace nbr
