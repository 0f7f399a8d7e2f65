#pragma once
// The connection settings, provisioned outside the program and never written
// by it: application "Corvale2011", section DBConfig, keys Svr, UID, PWD and
// DBname, plus three optional keys of ours: Engine ("SQLite" for an embedded
// database file named by DBname; absent or empty for SQL Server), Driver
// (the ODBC driver's name) and HandOverDir (where the logout hand-over file
// goes when the program's own folder is not writable, as in a system install).
//
// Windows: the registry key the classic GetSetting uses. Elsewhere: the INI
// file Corvale2011/Corvale2011.ini under the XDG config directory, or the
// file given to setSettingsFile().

#include "db/SqlDialect.h"

#include <QString>

namespace nbr {

struct DbSettings {
    QString server;      // Svr
    QString user;        // UID
    QString password;    // PWD
    QString database;    // DBname
    QString engine;      // Engine
    QString driver;      // Driver
    QString handOverDir; // HandOverDir

    SqlEngine engineKind() const;
};

DbSettings readDbSettings();

// Where readDbSettings() reads from on this platform (a path or a registry key).
QString settingsLocation();
// Reads from this INI file instead of the user's store (empty: the user's store).
void setSettingsFile(const QString& iniPath);

} // namespace nbr
