#pragma once
// The one database connection of the process and the query convention:
// every query is forward-only and read-only, has its values bound as
// parameters ("?"), and is read to its end before the next one runs.

#include "db/OdbcConnection.h"
#include "db/SqlDialect.h"

#include <memory>

namespace nbr {

// The current connection, or nullptr when none is open.
OdbcConnection* sharedConnection();
// Replaces (and so closes) the current connection.
void replaceSharedConnection(std::unique_ptr<OdbcConnection> connection);

// The dialect of the current connection (SQL Server when none is open).
SqlDialect sharedDialect();

// Runs a query on the shared connection; throws DbError on failure or when
// no connection is open.
Recordset openRecordset(const QString& sql, const QStringList& parameters = {});

// Runs a query on the shared connection and hands its rows to onRecord one
// at a time, keeping none (a result too long to hold, written out as it
// comes); throws as openRecordset does.
void forEachRecord(const QString& sql, const QStringList& parameters,
                   const OdbcConnection::RowHandler& onRecord);

} // namespace nbr
