#include "db/SqlDialect.h"

using namespace Qt::StringLiterals;

namespace nbr {

SqlDialect SqlDialect::forDbmsName(const QString& dbmsName) {
    return SqlDialect(dbmsName.contains(u"SQLite"_s, Qt::CaseInsensitive) ? SqlEngine::SQLite
                                                                          : SqlEngine::SqlServer);
}

QString SqlDialect::yearMonth(const QString& expr) const {
    if (m_engine == SqlEngine::SQLite)
        return u"strftime('%Y%m',"_s + expr + u')';
    return u"CONVERT(char(6),"_s + expr + u",112)"_s;
}

QString SqlDialect::len(const QString& expr, const QString& keyword) const {
    if (m_engine == SqlEngine::SQLite)
        return u"length(rtrim("_s + expr + u"))"_s;
    return keyword + u'(' + expr + u')';
}

SqlDialect::BoundRows SqlDialect::boundRows(const QString& name, const QStringList& columns,
                                            int rows) const {
    const QString row = u'(' + QStringList(columns.size(), u"?"_s).join(u", "_s) + u')';
    const QString values = u"VALUES "_s + QStringList(rows, row).join(u", "_s);
    const QString table = name + u'(' + columns.join(u", "_s) + u')';
    if (m_engine == SqlEngine::SQLite)
        return {u"WITH "_s + table + u" AS ("_s + values + u") "_s, name};
    return {QString(), u'(' + values + u") AS "_s + table};
}

QString SqlDialect::nationalLiteral(const QString& text) const {
    QString quoted = text;
    quoted.replace(u'\'', u"''"_s);
    if (m_engine == SqlEngine::SQLite)
        return u'\'' + quoted + u'\'';
    return u"N'"_s + quoted + u'\'';
}

} // namespace nbr
