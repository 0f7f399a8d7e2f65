#pragma once
// The session's special-audit flag: true when the user's department and
// position have a "项目管理" entry in 专项审核权限表. The department tree
// shows every department whatever it says.

#include <QString>

namespace nbr {

bool& hasProjectAudit();

QString projectAuditSql();

// Runs the query for the current session; throws DbError (the flag is then false).
void LoadProjectAuditFlag();

} // namespace nbr
