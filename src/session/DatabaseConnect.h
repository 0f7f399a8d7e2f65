#pragma once
// Opening the program's database and telling the user why it failed:
// OpenConnection with values given in code, ConnectFromSettings with the
// settings store, which is read again for every reconnect so that no
// password stays in memory. Either replaces the context's database.

#include "db/ConnectionString.h"
#include "session/AppContext.h"

#include <QString>

namespace nbr {

enum class ConnectResult {
    Connected,
    Failed,           // the settings were read, the connection failed
    SettingsUnusable, // missing, unreadable or incomplete settings
};

// OpenConnection: once lost, such a connection is not reopened.
bool openConnection(AppContext& context, const QString& user, const QString& password,
                    const QString& database, const QString& server,
                    const ConnectionOptions& options = {});

// ConnectFromSettings.
[[nodiscard]] ConnectResult connectFromSettings(AppContext& context);

} // namespace nbr
