#include "db/Connection.h"

#include "db/DbError.h"
#include "db/OdbcText.h"
#include "platform/Prompts.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// Debian's SQLite3 driver has ANSI entry points only; its Windows build, like
// every SQL Server driver, has Unicode ones, which the Windows driver manager
// would otherwise feed from the ANSI code page.
OdbcTextMode textModeFor(const ConnectionOptions& options) {
#ifdef Q_OS_WIN
    Q_UNUSED(options);
    return OdbcTextMode::Wide;
#else
    return options.engine == SqlEngine::SQLite ? OdbcTextMode::Utf8 : OdbcTextMode::Wide;
#endif
}

} // namespace

std::unique_ptr<OdbcConnection> openOdbcConnection(const QString& user, const QString& password,
                                                   const QString& database, const QString& server,
                                                   const ConnectionOptions& options,
                                                   Prompts& prompts) {
    const auto odbc = odbcConnectionString(user, password, database, server, options);
    if (!odbc)
        throw DbError(0, u"连接设置中含有无法使用的字符"_s);
    std::unique_ptr<OdbcConnection> connection;
    try {
        // A server that does not answer keeps the log-in waiting up to its
        // time-out: the user sees why, and may close the program meanwhile.
        prompts.whileWaiting(u"正在连接数据库……"_s, [&] {
            connection =
                OdbcConnection::open(*odbc, textModeFor(options), options.loginTimeoutSeconds);
        });
    } catch (const DbError& e) {
        // FreeTDS says no more than "connection failed" when the server has
        // no encryption to offer.
        if (options.encryption != Encryption::Require)
            throw;
        throw DbError(e.number(), e.sqlState(),
                      u"未能建立加密连接（设置 Encrypt=require）：服务器可能不支持加密，"_s
                      u"或者无法访问。"_s +
                          e.description());
    }
    if (options.engine == SqlEngine::SQLite) {
        // A report runs a few statements per department over the same
        // pages: keep them in memory instead of re-reading the file.
        (void)connection->query(u"PRAGMA cache_size = -65536"_s);
        (void)connection->query(u"PRAGMA mmap_size = 268435456"_s);
    }
    return connection;
}

} // namespace nbr
