#pragma once
// The ODBC connection string of a connection: the driver's keywords with the
// values of the settings, each value written so that the driver reads it back
// exactly and no value can add a keyword of its own.

#include "db/DbSettings.h"

#include <QString>
#include <optional>

namespace nbr {

struct ConnectionOptions {
    SqlEngine engine = SqlEngine::SqlServer;
    QString driver;     // empty: FreeTDS (Linux), SQL Server (Windows), SQLite3 for the file
    QString serverName; // a freetds.conf section instead of the server (FreeTDS only)
    Encryption encryption = Encryption::Request;
    int loginTimeoutSeconds = 30;

    // The options of the settings; throws SettingsError for an Encrypt value
    // it does not know, or a Servername for a driver other than FreeTDS.
    static ConnectionOptions fromSettings(const DbSettings& settings);
    // The driver these options name or imply.
    QString driverName() const;
    bool usesFreeTds() const;
};

// How a driver reads a value in braces. The usual rule takes "}}" for one "}".
// FreeTDS 1.3 (Debian 12's) ends the value at the first "};" instead and takes
// what comes before as it is: there a "}" stays single, and "};" cannot be
// expressed at all. (FreeTDS 1.4 took up the usual rule; a value that needs
// no braces reads the same in both.)
enum class OdbcBraces { Doubled, FreeTds };

// One value in an ODBC connection string that goes on with further keywords:
// bare when harmless, else wrapped in braces as the driver reads them.
// Nothing when it cannot be expressed (a NUL; "};" for FreeTDS).
std::optional<QString> odbcValue(const QString& value, OdbcBraces braces = OdbcBraces::Doubled);

// The ODBC connection string for the given values and options; nothing when
// a value cannot be expressed safely.
std::optional<QString> odbcConnectionString(const QString& user, const QString& password,
                                            const QString& database, const QString& server,
                                            const ConnectionOptions& options);

} // namespace nbr
