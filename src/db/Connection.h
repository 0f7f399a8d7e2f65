#pragma once
// Opening the shared database: with values given in code (OpenConnection),
// or from the settings store (ConnectFromSettings), which is read again for
// every reconnect so that no password stays in memory. Both tell the user
// why a connection failed.

#include "db/ConnectionString.h"
#include "db/OdbcConnection.h"

#include <QString>
#include <memory>

namespace nbr {

enum class ConnectResult {
    Connected,
    Failed,           // the settings were read, the connection failed
    SettingsUnusable, // missing, unreadable or incomplete settings
};

// Opens a connection with these values; throws DbError.
[[nodiscard]] std::unique_ptr<OdbcConnection>
openOdbcConnection(const QString& user, const QString& password, const QString& database,
                   const QString& server, const ConnectionOptions& options);

// Replaces the shared database with a connection made with these values;
// once lost, such a connection is not reopened.
bool OpenConnection(const QString& user, const QString& password, const QString& database,
                    const QString& server, const ConnectionOptions& options = {});

// Replaces the shared database with one opened from the settings store.
[[nodiscard]] ConnectResult ConnectFromSettings();

} // namespace nbr
