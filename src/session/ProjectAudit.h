#pragma once
// The session's special-audit flag: true when the user's department and
// position have a "项目管理" entry in 专项审核权限表. The department tree
// shows every department whatever it says.

#include <QString>

namespace nbr {

class Database;
class SqlDialect;
struct SessionState;

QString projectAuditSql(const SqlDialect& dialect);

// LoadProjectAuditFlag: runs the query for the session; throws DbError.
[[nodiscard]] bool loadProjectAuditFlag(Database& db, const SessionState& session);

} // namespace nbr
