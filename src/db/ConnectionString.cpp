#include "db/ConnectionString.h"

#include "db/SettingsError.h"

#include <QStringList>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The embedded file as a read-only SQLite URI: never created when missing.
// Percent-encoding leaves no ";", "{" or "}" in it, so it goes in bare, which
// is as well: the SQLite3 driver knows no braces.
QString sqliteUri(const QString& path) {
    return u"file:"_s + QString::fromLatin1(QUrl::toPercentEncoding(path, "/:\\")) + u"?mode=ro"_s;
}

bool hasEdgeBlanks(const QString& value) {
    return !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
}

// The encryption keyword the driver knows: FreeTDS's own Encryption, or the
// Encrypt of Microsoft's drivers, whose default already encrypts the login
// when the server can.
QString encryptionKeyword(const ConnectionOptions& options) {
    if (options.usesFreeTds()) {
        static const QString words[] = {u"off"_s, u"request"_s, u"require"_s};
        return u"Encryption="_s + words[int(options.encryption)];
    }
    switch (options.encryption) {
    case Encryption::Off:
        return u"Encrypt=no"_s;
    case Encryption::Require:
        return u"Encrypt=yes"_s;
    case Encryption::Request:
        break;
    }
    return {};
}

} // namespace

ConnectionOptions ConnectionOptions::fromSettings(const DbSettings& settings) {
    ConnectionOptions o;
    o.engine = settings.engineKind();
    o.driver = settings.driver.trimmed();
    o.encryption = settings.encryption();
    o.serverName = settings.serverName.trimmed();
    if (!o.serverName.isEmpty() && !o.usesFreeTds())
        throw SettingsError(
            u"数据库设置 Servername 只适用于 FreeTDS 驱动，驱动“%1”请用 Svr"_s.arg(o.driverName()));
    return o;
}

QString ConnectionOptions::driverName() const {
    if (!driver.isEmpty())
        return driver;
#ifdef Q_OS_WIN
    // The names the Windows installers register: the system's own SQL Server
    // driver, and the SQLite ODBC driver's 64-bit installer.
    return engine == SqlEngine::SQLite ? u"SQLite3 ODBC Driver"_s : u"SQL Server"_s;
#else
    return engine == SqlEngine::SQLite ? u"SQLite3"_s : u"FreeTDS"_s;
#endif
}

bool ConnectionOptions::usesFreeTds() const {
    const QString name = driverName();
    return engine == SqlEngine::SqlServer && (name.contains(u"FreeTDS"_s, Qt::CaseInsensitive) ||
                                              name.contains(u"tdsodbc"_s, Qt::CaseInsensitive));
}

std::optional<QString> odbcValue(const QString& value, OdbcBraces braces) {
    if (value.contains(QChar(u'\0')))
        return std::nullopt;
    if (braces == OdbcBraces::FreeTds) {
        // FreeTDS reads a bare value up to the next ";" and takes "{", "}" and
        // "=" inside it as they are.
        if (!value.contains(u';') && !value.startsWith(u'{') && !hasEdgeBlanks(value))
            return value;
        if (value.contains(u"};"_s))
            return std::nullopt;
        return u'{' + value + u'}';
    }
    if (!value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') &&
        !value.contains(u'=') && !hasEdgeBlanks(value))
        return value;
    QString escaped = value;
    escaped.replace(u"}"_s, u"}}"_s);
    return u'{' + escaped + u'}';
}

std::optional<QString> odbcConnectionString(const QString& user, const QString& password,
                                            const QString& database, const QString& server,
                                            const ConnectionOptions& options) {
    const QString driver = options.driverName();
    const OdbcBraces braces = options.usesFreeTds() ? OdbcBraces::FreeTds : OdbcBraces::Doubled;
    QStringList parts;
    auto add = [&](const QString& keyword, const QString& value) {
        const auto v = odbcValue(value, braces);
        if (v)
            parts << keyword + u'=' + *v;
        return v.has_value();
    };
    // The driver name is ours or the administrator's; it still goes in braced.
    if (driver.contains(u'}') || driver.contains(QChar(u'\0')))
        return std::nullopt;
    parts << u"DRIVER={"_s + driver + u'}';
    if (options.engine == SqlEngine::SQLite) {
        parts << u"Database="_s + sqliteUri(database) << u"NoCreat=1"_s << u"Timeout=30000"_s;
        return parts.join(u';');
    }
    // A freetds.conf section says where the server is and how to check its
    // certificate; SERVER reads no freetds.conf at all.
    const bool located = options.serverName.isEmpty() ? add(u"SERVER"_s, server)
                                                      : add(u"SERVERNAME"_s, options.serverName);
    if (!located || !add(u"UID"_s, user) || !add(u"PWD"_s, password) ||
        !add(u"DATABASE"_s, database))
        return std::nullopt;
    if (options.usesFreeTds())
        parts << u"TDS_Version=7.4"_s << u"ClientCharset=UTF-8"_s;
    if (const QString keyword = encryptionKeyword(options); !keyword.isEmpty())
        parts << keyword;
    return parts.join(u';');
}

} // namespace nbr
