#include "db/Connection.h"

#include "db/DbError.h"
#include "db/OdbcText.h"
#include "db/SettingsError.h"
#include "db/SharedConnection.h"
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

std::unique_ptr<OdbcConnection> openFromSettings() {
    const DbSettings settings = readDbSettings();
    settings.requireConnectionKeys();
    return openOdbcConnection(settings.user, settings.password, settings.database, settings.server,
                              ConnectionOptions::fromSettings(settings));
}

} // namespace

std::unique_ptr<OdbcConnection> openOdbcConnection(const QString& user, const QString& password,
                                                   const QString& database, const QString& server,
                                                   const ConnectionOptions& options) {
    const auto odbc = odbcConnectionString(user, password, database, server, options);
    if (!odbc)
        throw DbError(0, u"连接设置中含有无法使用的字符"_s);
    std::unique_ptr<OdbcConnection> connection;
    try {
        // A server that does not answer keeps the log-in waiting up to its
        // time-out: the user sees why, and may close the program meanwhile.
        Prompts::current().whileWaiting(u"正在连接数据库……"_s, [&] {
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

bool OpenConnection(const QString& user, const QString& password, const QString& database,
                    const QString& server, const ConnectionOptions& options) {
    // The previous connection goes first, whatever happens to the new one.
    replaceSharedDatabase(nullptr);
    try {
        replaceSharedConnection(openOdbcConnection(user, password, database, server, options));
        return true;
    } catch (const DbError& e) {
        Prompts::current().message(u"错误信息："_s + e.description(), u"信息文本"_s,
                                   MessageIcon::Information);
        return false;
    }
}

ConnectResult ConnectFromSettings() {
    replaceSharedDatabase(nullptr);
    try {
        replaceSharedDatabase(std::make_unique<Database>(&openFromSettings));
        return ConnectResult::Connected;
    } catch (const SettingsError& e) {
        Prompts::current().message(e.description(), u"连接提示"_s, MessageIcon::Information);
        return ConnectResult::SettingsUnusable;
    } catch (const DbError& e) {
        Prompts::current().message(u"错误信息："_s + e.description(), u"信息文本"_s,
                                   MessageIcon::Information);
        Prompts::current().message(u"数据库连接失败!"_s, u"连接提示"_s, MessageIcon::Information);
        return ConnectResult::Failed;
    }
}

} // namespace nbr
