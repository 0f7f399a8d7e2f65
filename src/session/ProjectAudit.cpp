#include "session/ProjectAudit.h"

#include "db/SharedConnection.h"
#include "session/SessionState.h"

using namespace Qt::StringLiterals;

namespace nbr {

bool& hasProjectAudit() {
    static bool flag = false;
    return flag;
}

QString projectAuditSql() {
    return u"SELECT     ID, 类型, 部门代号, 岗位代号"_s + u" From 专项审核权限表"_s +
           u" WHERE     (部门代号 = ?) AND (岗位代号 = ?) AND (类型 = "_s +
           sharedDialect().nationalLiteral(u"项目管理"_s) + u')';
}

void LoadProjectAuditFlag() {
    hasProjectAudit() = false;
    const SessionState& s = sessionState();
    hasProjectAudit() = !openRecordset(projectAuditSql(), {s.departmentCode, s.positionCode}).eof();
}

} // namespace nbr
