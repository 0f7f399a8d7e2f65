#pragma once
// Opening the shared connection: OpenConnection builds the classic connection
// string, maps its values onto the ODBC connection string of the chosen
// driver and replaces the shared connection; ConnectFromSettings does so with
// the values of the settings store. Both report their failures to the user.

#include "db/DbSettings.h"

#include <QString>
#include <optional>

namespace nbr {

struct ConnectionOptions {
    SqlEngine engine = SqlEngine::SqlServer;
    QString driver; // empty: FreeTDS (Linux), SQL Server (Windows), SQLite3 for the file
    int loginTimeoutSeconds = 30;

    static ConnectionOptions fromSettings(const DbSettings& settings);
};

// The classic connection string last built by OpenConnection.
const QString& connectionString();

// Builds "Provider=SQLOLEDB.1;Password=...;...;Data Source='...'" exactly.
QString classicConnectionString(const QString& user, const QString& password,
                                const QString& database, const QString& server);

// How a driver reads a value in braces. The usual rule takes "}}" for one "}".
// FreeTDS ends the value at the first "};" instead and takes what comes before
// as it is: there a "}" stays single, and "};" cannot be expressed at all.
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

bool OpenConnection(const QString& user, const QString& password, const QString& database,
                    const QString& server, const ConnectionOptions& options = {});

bool ConnectFromSettings();

} // namespace nbr
