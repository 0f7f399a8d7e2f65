#include "db/DbSettings.h"

#include "db/SettingsError.h"
#include "db/SettingsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

const QString kSection = u"DBConfig"_s;
const QString kFileName = u"Corvale2011/Corvale2011.ini"_s;

bool usesRegistry(const QString& file) {
#ifdef Q_OS_WIN
    return file.isEmpty();
#else
    Q_UNUSED(file);
    return false;
#endif
}

// The keys of DBConfig, by name, in the order DbSettings declares them.
struct Key {
    QString name;
    QString DbSettings::*field;
};
const Key kKeys[] = {
    {u"Svr"_s, &DbSettings::server},
    {u"Servername"_s, &DbSettings::serverName},
    {u"UID"_s, &DbSettings::user},
    {u"PWD"_s, &DbSettings::password},
    {u"DBname"_s, &DbSettings::database},
    {u"Engine"_s, &DbSettings::engine},
    {u"Driver"_s, &DbSettings::driver},
    {u"Encrypt"_s, &DbSettings::encrypt},
    {u"HandOverDir"_s, &DbSettings::handOverDir},
};

DbSettings fromRegistry(const QString& location) {
    QSettings store(location, QSettings::NativeFormat);
    store.beginGroup(kSection);
    DbSettings s;
    for (const Key& key : kKeys) {
        // A multi-string registry value arrives as a list: join it back.
        const QVariant v = store.value(key.name, QString());
        s.*key.field =
            v.typeId() == QMetaType::QStringList ? v.toStringList().join(u',') : v.toString();
    }
    return s;
}

DbSettings fromFile(const QString& path) {
    if (!QFileInfo::exists(path))
        throw SettingsError(u"找不到数据库设置文件："_s + QDir::toNativeSeparators(path));
    const SettingsFile file = SettingsFile::read(path);
    DbSettings s;
    for (const Key& key : kKeys)
        s.*key.field = file.value(kSection, key.name).value_or(QString());
    return s;
}

} // namespace

SqlEngine DbSettings::engineKind() const {
    return engine.trimmed().compare(u"SQLite"_s, Qt::CaseInsensitive) == 0 ? SqlEngine::SQLite
                                                                           : SqlEngine::SqlServer;
}

Encryption DbSettings::encryption() const {
    const QString word = encrypt.trimmed().toLower();
    if (word.isEmpty() || word == u"request"_s)
        return Encryption::Request;
    if (word == u"off"_s)
        return Encryption::Off;
    if (word == u"require"_s)
        return Encryption::Require;
    throw SettingsError(
        u"数据库设置 Encrypt 的值“%1”无效，应为 off、request 或 require（%2）"_s.arg(
            encrypt, QDir::toNativeSeparators(location)));
}

void DbSettings::requireConnectionKeys() const {
    QString missing;
    if (database.trimmed().isEmpty())
        missing = u"DBname"_s;
    else if (engineKind() == SqlEngine::SqlServer && server.trimmed().isEmpty() &&
             serverName.trimmed().isEmpty())
        missing = u"Svr"_s;
    if (!missing.isEmpty())
        throw SettingsError(
            u"数据库设置缺少 %1（%2）"_s.arg(missing, QDir::toNativeSeparators(location)));
}

QString settingsLocation(const QString& file) {
    if (!file.isEmpty())
        return file;
    if (usesRegistry(file))
        return u"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Corvale2011"_s;
    // Looked up every time: the environment decides, also when it changes at run time.
    const QString found = QStandardPaths::locate(QStandardPaths::GenericConfigLocation, kFileName);
    if (!found.isEmpty())
        return found;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' +
           kFileName;
}

DbSettings readDbSettings(const QString& file) {
    const QString location = settingsLocation(file);
    DbSettings settings = usesRegistry(file) ? fromRegistry(location) : fromFile(location);
    settings.location = location;
    return settings;
}

} // namespace nbr
