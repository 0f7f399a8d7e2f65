#include "db/SharedConnection.h"

#include "db/DbError.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {
std::unique_ptr<OdbcConnection>& holder() {
    static std::unique_ptr<OdbcConnection> connection;
    return connection;
}
} // namespace

OdbcConnection* sharedConnection() {
    return holder().get();
}

void replaceSharedConnection(std::unique_ptr<OdbcConnection> connection) {
    holder() = std::move(connection);
}

SqlDialect sharedDialect() {
    if (!holder())
        return SqlDialect(SqlEngine::SqlServer);
    return SqlDialect::forDbmsName(holder()->dbmsName());
}

namespace {
OdbcConnection& openConnection() {
    if (!holder())
        throw DbError(3709, u"连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"_s);
    return *holder();
}
} // namespace

Recordset openRecordset(const QString& sql, const QStringList& parameters) {
    return openConnection().query(sql, parameters);
}

void forEachRecord(const QString& sql, const QStringList& parameters,
                   const OdbcConnection::RowHandler& onRecord) {
    openConnection().forEachRow(sql, parameters, onRecord);
}

} // namespace nbr
