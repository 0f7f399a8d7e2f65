#include "db/SharedConnection.h"

#include "db/DbError.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {
std::unique_ptr<Database>& holder() {
    static std::unique_ptr<Database> database;
    return database;
}
} // namespace

void replaceSharedDatabase(std::unique_ptr<Database> database) {
    holder() = std::move(database);
}

void replaceSharedConnection(std::unique_ptr<OdbcConnection> connection) {
    holder() = connection ? std::make_unique<Database>(std::move(connection)) : nullptr;
}

OdbcConnection* sharedConnection() {
    return holder() ? holder()->connection() : nullptr;
}

SqlDialect sharedDialect() {
    return holder() ? holder()->dialect() : SqlDialect(SqlEngine::SqlServer);
}

Recordset openRecordset(const QString& sql, const QStringList& parameters) {
    if (!holder())
        throw DbError(3709, u"连接无法用于执行此操作。在此上下文中它可能已被关闭或无效。"_s);
    return holder()->query(sql, parameters);
}

} // namespace nbr
