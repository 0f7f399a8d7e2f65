#pragma once
// Talking to the scripted SQL Server: connecting, the program's result
// columns typed as in the real schema, script rules bound to the values a
// statement must carry, and checks on what the driver sent.

#include "TdsTestServer.h"
#include "db/ConnectionString.h"
#include "db/DbError.h"
#include "db/SqlDialect.h"
#include "session/AppContext.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <optional>

namespace nbr::test {

inline const SqlDialect kSqlServer(SqlEngine::SqlServer);

inline const QJsonValue kNull; // a NULL in a script row

QJsonObject col(const QString& name, const QString& type);

// The statement as FreeTDS sends it: every "?" outside a quoted literal
// becomes @P1, @P2, ... in order.
QString withFreeTdsMarkers(const QString& sql);

// The values bound to each call of this statement text, in the order of the calls.
QList<QStringList> boundValues(const TdsTestServer& server, const QString& sql);

// Every call the program made went through sp_executesql with each value
// declared and sent as NVARCHAR of its own length: no value reached the
// server as part of a statement text.
void verifyEveryCallBindsUnicodeValues(const TdsTestServer& server);

// Opens the context's database on the server as the program would.
bool connectTo(AppContext& context, const TdsTestServer& server);

// The database layer's own wire tests log in with a short time-out, so that
// waiting for it is quick.
inline constexpr int kLoginTimeoutSeconds = 2;
ConnectionOptions wireOptions();
bool connectWire(AppContext& context, const TdsTestServer& server,
                 const QString& user = QStringLiteral("sa"),
                 const QString& password = QStringLiteral("secret"),
                 const QString& database = QStringLiteral("报销库"));
// How the statement fails on the database; nothing when it does not.
std::optional<DbError> failureOf(Database& db, const QString& sql, const QStringList& parameters);
// The last log-in request the server saw.
QJsonObject lastLogin(const TdsTestServer& server);

// The result columns of the program's queries, typed as in the database.
extern const QJsonArray kStaffColumns;
extern const QJsonArray kPositionColumns;
// A row of the position query in its column order, department category D1 职能部门.
QJsonArray positionRow(const QString& staffName, const QString& deptCode, const QString& deptName,
                       const QString& positionCode, const QString& positionName,
                       const QString& categoryCode, const QJsonValue& categoryName, bool main);
extern const QJsonArray kAuditColumns;
extern const QJsonArray kTreeColumns;
// The department's place in the bound list comes back as the nvarchar it was
// bound as; CONVERT(char(6), ..., 112) gives char(6); the sum of money
// columns is money.
extern const QJsonArray kSummaryColumns;

// A rule answering a statement matched by this text and bound to exactly these values.
QJsonObject rule(const QString& match, const QJsonArray& columns, const QList<QJsonArray>& rows,
                 const QStringList& values);

// Texts that pick out each of the program's statements.
inline const QString kPasswordMatch = QStringLiteral("From 员工档案 Where 工号");
inline const QString kPositionMatch = QStringLiteral("From 岗位员工new");
inline const QString kAuditMatch = QStringLiteral("From 专项审核权限表");
inline const QString kTreeMatch = QStringLiteral("from 职能部门new left join 上级部门new");
inline const QString kSummaryMatch = QStringLiteral("As 月合计");
inline const QString kDetailMatch = QStringLiteral("order by 报销单表.报批日期");

// The values of a summary statement: code and place of each department, then
// the year's range.
QStringList summaryValues(const QStringList& deptCodes);

} // namespace nbr::test
