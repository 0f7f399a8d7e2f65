#include "db/Connection.h"

#include "db/DbError.h"
#include "db/OdbcText.h"
#include "db/SharedConnection.h"
#include "platform/Prompts.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

QString& storedConnectionString() {
    static QString text;
    return text;
}

QString defaultDriver(SqlEngine engine) {
#ifdef Q_OS_WIN
    // The names the Windows installers register: the system's own SQL Server
    // driver, and the SQLite ODBC driver's 64-bit installer.
    return engine == SqlEngine::SQLite ? u"SQLite3 ODBC Driver"_s : u"SQL Server"_s;
#else
    return engine == SqlEngine::SQLite ? u"SQLite3"_s : u"FreeTDS"_s;
#endif
}

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

bool isFreeTds(const QString& driver) {
    return driver.contains(u"FreeTDS"_s, Qt::CaseInsensitive) ||
           driver.contains(u"tdsodbc"_s, Qt::CaseInsensitive);
}

// The embedded file as a read-only SQLite URI: never created when missing.
// Percent-encoding leaves no ";", "{" or "}" in it, so it never needs braces.
QString sqliteUri(const QString& path) {
    return u"file:"_s + QString::fromLatin1(QUrl::toPercentEncoding(path, "/:\\")) + u"?mode=ro"_s;
}

} // namespace

ConnectionOptions ConnectionOptions::fromSettings(const DbSettings& settings) {
    ConnectionOptions o;
    o.engine = settings.engineKind();
    o.driver = settings.driver.trimmed();
    return o;
}

const QString& connectionString() {
    return storedConnectionString();
}

QString classicConnectionString(const QString& user, const QString& password,
                                const QString& database, const QString& server) {
    return u"Provider=SQLOLEDB.1;Password="_s + password +
           u";Persist Security Info=False;User ID="_s + user + u";Initial Catalog='"_s + database +
           u"';Data Source='"_s + server + u'\'';
}

std::optional<QString> odbcValue(const QString& value, OdbcBraces braces) {
    if (value.contains(QChar(u'\0')))
        return std::nullopt;
    const bool needsBraces =
        value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
        (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!needsBraces)
        return value;
    if (braces == OdbcBraces::FreeTds) {
        if (value.contains(u"};"_s))
            return std::nullopt;
        return u'{' + value + u'}';
    }
    QString escaped = value;
    escaped.replace(u"}"_s, u"}}"_s);
    return u'{' + escaped + u'}';
}

std::optional<QString> odbcConnectionString(const QString& user, const QString& password,
                                            const QString& database, const QString& server,
                                            const ConnectionOptions& options) {
    const QString driver =
        options.driver.isEmpty() ? defaultDriver(options.engine) : options.driver;
    const OdbcBraces braces = isFreeTds(driver) ? OdbcBraces::FreeTds : OdbcBraces::Doubled;
    QStringList parts;
    auto add = [&](const QString& keyword, const QString& value) {
        const auto v = odbcValue(value, braces);
        if (!v)
            return false;
        parts << keyword + u'=' + *v;
        return true;
    };
    // The driver name is ours or the administrator's; it still goes in braced.
    if (driver.contains(u'}') || driver.contains(QChar(u'\0')))
        return std::nullopt;
    parts << u"DRIVER={"_s + driver + u'}';
    if (options.engine == SqlEngine::SQLite) {
        if (!add(u"Database"_s, sqliteUri(database)))
            return std::nullopt;
        parts << u"NoCreat=1"_s << u"Timeout=30000"_s;
    } else {
        if (!add(u"SERVER"_s, server) || !add(u"UID"_s, user) || !add(u"PWD"_s, password) ||
            !add(u"DATABASE"_s, database))
            return std::nullopt;
        if (isFreeTds(driver))
            parts << u"TDS_Version=7.4"_s << u"ClientCharset=UTF-8"_s;
    }
    return parts.join(u';');
}

bool OpenConnection(const QString& user, const QString& password, const QString& database,
                    const QString& server, const ConnectionOptions& options) {
    // The previous connection goes first, whatever happens to the new one.
    replaceSharedConnection(nullptr);
    storedConnectionString() = classicConnectionString(user, password, database, server);
    try {
        const auto odbc = odbcConnectionString(user, password, database, server, options);
        if (!odbc)
            throw DbError(0, u"连接设置中含有无法使用的字符"_s);
        std::unique_ptr<OdbcConnection> connection;
        // A server that does not answer keeps the log-in waiting up to its
        // time-out: the user sees why, and may close the program meanwhile.
        Prompts::current().whileWaiting(u"正在连接数据库……"_s, [&] {
            connection =
                OdbcConnection::open(*odbc, textModeFor(options), options.loginTimeoutSeconds);
        });
        if (options.engine == SqlEngine::SQLite) {
            // A report runs a few statements per department over the same
            // pages: keep them in memory instead of re-reading the file.
            (void)connection->query(u"PRAGMA cache_size = -65536"_s);
            (void)connection->query(u"PRAGMA mmap_size = 268435456"_s);
        }
        replaceSharedConnection(std::move(connection));
        return true;
    } catch (const DbError& e) {
        Prompts::current().message(u"错误信息："_s + e.description(), u"信息文本"_s,
                                   MessageIcon::Information);
        return false;
    }
}

bool ConnectFromSettings() {
    const DbSettings s = readDbSettings();
    if (OpenConnection(s.user, s.password, s.database, s.server,
                       ConnectionOptions::fromSettings(s)))
        return true;
    Prompts::current().message(u"数据库连接失败!"_s, u"连接提示"_s, MessageIcon::Information);
    return false;
}

} // namespace nbr
