#pragma once
// The one database of the process and the query convention: every query is
// forward-only and read-only, has its values bound as parameters ("?"), and
// is read to its end before the next one runs.

#include "db/Database.h"

#include <memory>

namespace nbr {

// Replaces (and so closes) the current database.
void replaceSharedDatabase(std::unique_ptr<Database> database);
// The same for a connection that cannot be reopened once lost.
void replaceSharedConnection(std::unique_ptr<OdbcConnection> connection);
// The open connection of the current database, or nullptr.
OdbcConnection* sharedConnection();

// The dialect of the current database (SQL Server when none is open).
SqlDialect sharedDialect();

// Runs a query on the shared database; throws DbError on failure or when
// none is open.
Recordset openRecordset(const QString& sql, const QStringList& parameters = {});

} // namespace nbr
