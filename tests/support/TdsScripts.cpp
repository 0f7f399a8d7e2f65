#include "TdsScripts.h"

#include "session/DatabaseConnect.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace nbr::test {

QJsonObject col(const QString& name, const QString& type) {
    return TdsTestServer::column(name, type);
}

QString withFreeTdsMarkers(const QString& sql) {
    QString out;
    bool quoted = false;
    int marker = 0;
    for (const QChar c : sql) {
        if (c == u'\'')
            quoted = !quoted;
        if (c == u'?' && !quoted)
            out += u"@P"_s + QString::number(++marker);
        else
            out += c;
    }
    return out;
}

QList<QStringList> boundValues(const TdsTestServer& server, const QString& sql) {
    QList<QStringList> calls;
    for (const QJsonObject& call : server.requests(u"rpc"_s)) {
        if (call[u"sql"_s].toString() != sql)
            continue;
        QStringList values;
        const QJsonArray params = call[u"params"_s].toArray();
        for (qsizetype i = 2; i < params.size(); ++i)
            values << params[i].toObject()[u"value"_s].toString();
        calls << values;
    }
    return calls;
}

void verifyEveryCallBindsUnicodeValues(const TdsTestServer& server) {
    const QList<QJsonObject> calls = server.requests(u"rpc"_s);
    QVERIFY(!calls.isEmpty());
    for (const QJsonObject& call : calls) {
        QCOMPARE(call[u"proc"_s].toString(), u"sp_executesql"_s);
        const QJsonArray params = call[u"params"_s].toArray();
        QVERIFY(params.size() > 2);
        QStringList declarations;
        for (qsizetype i = 2; i < params.size(); ++i) {
            const QJsonObject p = params[i].toObject();
            QCOMPARE(p[u"type"_s].toString(), u"nvarchar"_s);
            QVERIFY(p[u"value"_s].isString());
            declarations << u"@P%1 NVARCHAR(4000)"_s.arg(i - 1);
        }
        QCOMPARE(params[1].toObject()[u"value"_s].toString(), declarations.join(u','));
    }
}

bool connectTo(AppContext& context, const TdsTestServer& server) {
    ConnectionOptions options;
    options.loginTimeoutSeconds = 5;
    return openConnection(context, u"sa"_s, u"secret"_s, u"报销库"_s, server.serverAddress(),
                          options);
}

ConnectionOptions wireOptions() {
    ConnectionOptions options;
    options.loginTimeoutSeconds = kLoginTimeoutSeconds;
    return options;
}

bool connectWire(AppContext& context, const TdsTestServer& server, const QString& user,
                 const QString& password, const QString& database) {
    return openConnection(context, user, password, database, server.serverAddress(), wireOptions());
}

std::optional<DbError> failureOf(Database& db, const QString& sql, const QStringList& parameters) {
    try {
        (void)db.query(sql, parameters);
    } catch (const DbError& e) {
        return e;
    }
    return std::nullopt;
}

QJsonObject lastLogin(const TdsTestServer& server) {
    const QList<QJsonObject> logins = server.requests(u"login"_s);
    return logins.isEmpty() ? QJsonObject() : logins.last();
}

const QJsonArray kStaffColumns{col(u"工号"_s, u"nvarchar(20)"_s), col(u"姓名"_s, u"nvarchar(20)"_s),
                               col(u"帐号密码"_s, u"nvarchar(50)"_s),
                               col(u"离职日期"_s, u"datetime"_s)};
const QJsonArray kPositionColumns{
    col(u"姓名"_s, u"nvarchar(20)"_s),         col(u"部门类别代号"_s, u"nchar(4)"_s),
    col(u"部门类别名称"_s, u"nvarchar(50)"_s), col(u"岗位类别编号"_s, u"nvarchar(10)"_s),
    col(u"岗位类别名称"_s, u"nvarchar(50)"_s), col(u"职能部门编号"_s, u"nvarchar(20)"_s),
    col(u"职能部门名称"_s, u"varchar(50)"_s),  col(u"岗位代号"_s, u"nchar(6)"_s),
    col(u"岗位名称"_s, u"nvarchar(50)"_s),     col(u"主要岗位"_s, u"bit"_s)};
QJsonArray positionRow(const QString& staffName, const QString& deptCode, const QString& deptName,
                       const QString& positionCode, const QString& positionName,
                       const QString& categoryCode, const QJsonValue& categoryName, bool main) {
    return {staffName, u"D1"_s,  u"职能部门"_s, categoryCode, categoryName,
            deptCode,  deptName, positionCode,  positionName, main};
}
const QJsonArray kAuditColumns{col(u"ID"_s, u"int"_s), col(u"类型"_s, u"nvarchar(20)"_s),
                               col(u"部门代号"_s, u"nvarchar(20)"_s),
                               col(u"岗位代号"_s, u"nvarchar(20)"_s)};
const QJsonArray kTreeColumns{col(u"职能部门编号"_s, u"nvarchar(20)"_s),
                              col(u"职能部门名称"_s, u"varchar(50)"_s),
                              col(u"上级部门编号"_s, u"nvarchar(20)"_s)};
const QJsonArray kSummaryColumns{col(u"ord"_s, u"nvarchar(4000)"_s),
                                 col(u"科目代号"_s, u"nchar(8)"_s),
                                 col(u"科目名称"_s, u"nvarchar(50)"_s),
                                 col(u"年月"_s, u"char(6)"_s), col(u"月合计"_s, u"money"_s)};

QJsonObject rule(const QString& match, const QJsonArray& columns, const QList<QJsonArray>& rows,
                 const QStringList& values) {
    return TdsTestServer::boundTo(TdsTestServer::resultRule(match, columns, rows), values);
}

QStringList summaryValues(const QStringList& deptCodes) {
    QStringList values;
    for (qsizetype k = 0; k < deptCodes.size(); ++k)
        values << deptCodes[k] << QString::number(k);
    return values << u"202601"_s << u"202612"_s;
}

} // namespace nbr::test
