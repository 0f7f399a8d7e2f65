#include "session/LoginQueries.h"

#include "db/Database.h"
#include "db/DbSchema.h"

using namespace Qt::StringLiterals;

namespace nbr {

QString PositionRecord::listLine() const {
    return fields[3] + u' ' + fields[5] + (isMain ? u"(主要)"_s : u"(兼职)"_s);
}

QString passwordCheckSql() {
    return u"Select * From 员工档案 Where 工号 =? and 帐号密码=?"_s;
}

QString positionQuerySql() {
    return u"Select "
           u"员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别."
           u"岗位类别编号,岗位类别名称,"
           u" 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, "
           u"岗位信息new.岗位名称,"
           u" 岗位员工new.主要岗位 From 岗位员工new"
           u" Inner joIn 岗位信息new on 岗位员工new.岗位代号 = 岗位信息new.岗位代号"
           u" Inner joIn 职能部门new on 岗位信息new.职能部门代号 = 职能部门new.职能部门编号"
           u" Inner joIn 岗位类别 on 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号"
           u" Inner joIn 职能部门类别 on 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号"
           u" Inner joIn 员工档案 on 岗位员工new.员工代号 = 员工档案.工号"
           u" Where 岗位员工new.员工代号=?"
           u" and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)"_s;
}

bool passwordMatches(Database& db, const QString& user, const QString& password) {
    return !db.query(passwordCheckSql(), {user, password.trimmed()}).eof();
}

std::vector<PositionRecord> loadPositions(Database& db, const QString& user) {
    // Columns 1..9 of a position record, in SessionState order.
    static const QString columns[] = {schema::StaffName,
                                      schema::DeptCode,
                                      schema::DeptName,
                                      schema::PositionCode,
                                      schema::PositionName,
                                      schema::DeptCategoryCode,
                                      schema::DeptCategoryName,
                                      schema::PositionCategoryCode,
                                      schema::PositionCategoryName};
    std::vector<PositionRecord> records;
    for (Recordset rs = db.query(positionQuerySql(), {user}); !rs.eof(); rs.moveNext()) {
        PositionRecord r;
        r.fields[0] = user;
        for (int i = 0; i < 9; ++i)
            r.fields[size_t(i) + 1] = rs.field(columns[i]).text();
        r.isMain = rs.field(schema::MainPosition).toFlag();
        records.push_back(std::move(r));
    }
    return records;
}

} // namespace nbr
