#pragma once
// The connection settings, provisioned outside the program and never written
// by it: application "Corvale2011", section DBConfig, keys Svr, UID, PWD and
// DBname, plus optional keys of ours: Engine ("SQLite" for an embedded
// database file named by DBname; absent or empty for SQL Server), Driver (the
// ODBC driver's name), Encrypt (off, request or require), Servername (a
// freetds.conf section to use instead of Svr) and HandOverDir (where the
// logout hand-over file goes when the program's own folder is not writable,
// as in a system install).
//
// Windows: the registry key the classic GetSetting uses. Elsewhere the file
// Corvale2011/Corvale2011.ini (SettingsFile says its form) in the user's XDG
// config directory or, when the user has none, in the first of the system's
// ($XDG_CONFIG_DIRS, /etc/xdg by default) that has one; or a file given by
// name (--settings, a test's) on every platform.

#include "db/SqlDialect.h"

#include <QString>

namespace nbr {

// How a SQL Server connection is encrypted (the Encrypt setting).
enum class Encryption {
    Off,     // never: the server's "encryption required" ends the connection
    Request, // when the server wants it (FreeTDS then encrypts at least the login)
    Require, // always: a server without encryption is refused
};

struct DbSettings {
    QString server;      // Svr
    QString serverName;  // Servername
    QString user;        // UID
    QString password;    // PWD
    QString database;    // DBname
    QString engine;      // Engine
    QString driver;      // Driver
    QString encrypt;     // Encrypt
    QString handOverDir; // HandOverDir
    QString location;    // where they were read from, for the messages

    SqlEngine engineKind() const;
    // The Encrypt setting (request when empty); throws SettingsError for
    // any other word than off, request or require.
    Encryption encryption() const;
    // Throws SettingsError naming the first key a connection needs and
    // lacks: DBname, and Svr for SQL Server unless Servername says where.
    void requireConnectionKeys() const;
};

// Reads the settings store, or this file instead when one is given; throws
// SettingsError when the settings file is missing ("找不到数据库设置文件：
// <path>"), cannot be read, or is not in its form.
DbSettings readDbSettings(const QString& file = {});

// Where readDbSettings() reads from (a path or a registry key): the file
// given, else on Linux the user's file, else the system-wide one, else
// (neither exists) the user's.
QString settingsLocation(const QString& file = {});

} // namespace nbr
