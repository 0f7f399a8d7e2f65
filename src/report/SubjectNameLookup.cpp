#include "report/SubjectNameLookup.h"

#include "db/Database.h"
#include "db/DbSchema.h"

using namespace Qt::StringLiterals;

namespace nbr {

std::optional<QString> lookUpSubjectName(Database& db, const QString& subjectCode) {
    const Recordset rs =
        db.query(u"select 科目名称 from 财务科目 where 科目代号 = ?"_s, {subjectCode});
    if (rs.eof())
        return std::nullopt;
    return rs.field(schema::SubjectName).text();
}

} // namespace nbr
