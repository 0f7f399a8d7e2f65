#pragma once
// Opening an ODBC connection to the program's database from the classic
// values (user, password, database, server) and the connection options.

#include "db/ConnectionString.h"
#include "db/OdbcConnection.h"

#include <QString>
#include <memory>

namespace nbr {

class Prompts;

// Opens a connection with these values while the user is told to wait (a
// silent server keeps the log-in waiting up to its time-out); throws DbError.
[[nodiscard]] std::unique_ptr<OdbcConnection>
openOdbcConnection(const QString& user, const QString& password, const QString& database,
                   const QString& server, const ConnectionOptions& options, Prompts& prompts);

} // namespace nbr
