#include "db/DbSettings.h"

#include <QSettings>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {
QString& settingsFileOverride() {
    static QString path;
    return path;
}
} // namespace

SqlEngine DbSettings::engineKind() const {
    return engine.trimmed().compare(u"SQLite"_s, Qt::CaseInsensitive) == 0 ? SqlEngine::SQLite
                                                                           : SqlEngine::SqlServer;
}

void setSettingsFile(const QString& iniPath) {
    settingsFileOverride() = iniPath;
}

QString settingsLocation() {
    if (!settingsFileOverride().isEmpty())
        return settingsFileOverride();
#ifdef Q_OS_WIN
    return u"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Corvale2011"_s;
#else
    // Read every time: XDG_CONFIG_HOME decides, also when it changes at run time.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           u"/Corvale2011/Corvale2011.ini"_s;
#endif
}

DbSettings readDbSettings() {
    const QString location = settingsLocation();
#ifdef Q_OS_WIN
    const QSettings::Format format =
        settingsFileOverride().isEmpty() ? QSettings::NativeFormat : QSettings::IniFormat;
#else
    const QSettings::Format format = QSettings::IniFormat;
#endif
    QSettings store(location, format);
    store.beginGroup(u"DBConfig"_s);
    // The INI format reads an unquoted "host,1433" as a list: join it back.
    auto key = [&](const QString& name) {
        const QVariant v = store.value(name, QString());
        return v.typeId() == QMetaType::QStringList ? v.toStringList().join(u',') : v.toString();
    };
    DbSettings s;
    s.server = key(u"Svr"_s);
    s.user = key(u"UID"_s);
    s.password = key(u"PWD"_s);
    s.database = key(u"DBname"_s);
    s.engine = key(u"Engine"_s);
    s.driver = key(u"Driver"_s);
    s.handOverDir = key(u"HandOverDir"_s);
    return s;
}

} // namespace nbr
