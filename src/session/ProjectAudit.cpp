#include "session/ProjectAudit.h"

#include "db/Database.h"
#include "session/SessionState.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString projectAuditSql(const SqlDialect& dialect) {
    return u"SELECT     ID, 类型, 部门代号, 岗位代号"_s + u" From 专项审核权限表"_s +
           u" WHERE     (部门代号 = ?) AND (岗位代号 = ?) AND (类型 = "_s +
           dialect.nationalLiteral(u"项目管理"_s) + u')';
}

bool loadProjectAuditFlag(Database& db, const SessionState& session) {
    return !db.query(projectAuditSql(db.dialect()), {session.departmentCode, session.positionCode})
                .eof();
}

} // namespace nbr
