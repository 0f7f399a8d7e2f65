#include "FixtureDb.h"

#include "DemoSchema.h"
#include "db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace nbr::test {

namespace {
void check(sqlite3* db, int rc, const QString& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(
            (what + u": "_s + QString::fromUtf8(sqlite3_errmsg(db))).toStdString());
}
} // namespace

FixtureDb::FixtureDb(const QString& path) : m_path(path) {
    QFile::remove(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    check(nullptr, sqlite3_open(path.toUtf8().constData(), &m_db), u"open"_s);
    check(m_db, sqlite3_exec(m_db, demo::kSchemaSql, nullptr, nullptr, nullptr), u"schema"_s);
    check(m_db, sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr), u"begin"_s);
}

FixtureDb::~FixtureDb() {
    close();
}

void FixtureDb::close() {
    if (!m_db)
        return;
    sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(m_db);
    m_db = nullptr;
}

void FixtureDb::exec(const QString& sql, const QVariantList& values) {
    if (!m_db)
        throw std::runtime_error("fixture database already closed");
    sqlite3_stmt* stmt = nullptr;
    const QByteArray text = sql.toUtf8();
    check(m_db, sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &stmt, nullptr), sql);
    for (int i = 0; i < values.size(); ++i) {
        const QVariant& v = values[i];
        int rc;
        if (v.isNull()) {
            rc = sqlite3_bind_null(stmt, i + 1);
        } else if (v.typeId() == QMetaType::Double) {
            rc = sqlite3_bind_double(stmt, i + 1, v.toDouble());
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong ||
                   v.typeId() == QMetaType::Bool) {
            rc = sqlite3_bind_int64(stmt, i + 1, v.toLongLong());
        } else {
            const QByteArray s = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, i + 1, s.constData(), int(s.size()), SQLITE_TRANSIENT);
        }
        check(m_db, rc, sql);
    }
    const int rc = sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    check(m_db, rc, sql);
}

void FixtureDb::addDepartment(const QString& code, const QString& name, const QString& parent,
                              const QVariant& endDate) {
    exec(u"INSERT OR IGNORE INTO 职能部门类别 VALUES ('D1', '职能部门')"_s);
    exec(u"INSERT INTO 职能部门new VALUES (?, ?, 'D1', ?)"_s, {code, name, endDate});
    if (!parent.isEmpty())
        addParentLink(code, parent);
}

void FixtureDb::addParentLink(const QString& code, const QString& parent, const QVariant& endDate) {
    exec(u"INSERT INTO 上级部门new (职能部门编号, 上级部门编号, 终止日期) VALUES (?, ?, ?)"_s,
         {code, parent, endDate});
}

void FixtureDb::addEmployee(const QString& number, const QString& password, const QString& name,
                            const QVariant& leftDate) {
    exec(u"INSERT INTO 员工档案 VALUES (?, ?, ?, ?)"_s, {number, password, name, leftDate});
}

void FixtureDb::addPosition(const QString& code, const QString& name, const QString& deptCode,
                            const QString& categoryCode) {
    exec(u"INSERT OR IGNORE INTO 岗位类别 VALUES (?, ?)"_s,
         {categoryCode, QString(categoryCode + u"类岗位"_s)});
    exec(u"INSERT INTO 岗位信息new VALUES (?, ?, ?, ?)"_s, {code, name, deptCode, categoryCode});
}

void FixtureDb::assignPosition(const QString& employee, const QString& position, bool main,
                               const QVariant& endDate) {
    exec(u"INSERT INTO 岗位员工new (员工代号, 岗位代号, 主要岗位, 离岗日期) VALUES (?, ?, ?, ?)"_s,
         {employee, position, main ? 1 : 0, endDate});
}

void FixtureDb::addSubject(const QString& code, const QString& name) {
    exec(u"INSERT INTO 财务科目 VALUES (?, ?)"_s, {code, name});
}

qint64 FixtureDb::addClaim(const QString& number, const QString& deptCode, const QString& date,
                           const QString& type, const QVariant& claimant,
                           const QVariant& approvalDate, const QVariant& approved,
                           const QVariant& paymentDate) {
    exec(u"INSERT INTO 报销单表 (报销单编号, 部门代号, 报销类型, 报批日期, 报销人, 审批日期,"
         u" 审批通过, 财务支付确认日期) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"_s,
         {number, deptCode, type, date, claimant, approvalDate, approved, paymentDate});
    return sqlite3_last_insert_rowid(m_db);
}

void FixtureDb::addLine(qint64 claimId, const QString& subject, const QVariant& amount,
                        const QVariant& tax, const QVariant& summary) {
    exec(u"INSERT INTO 报销单明细 (报销单ID, 科目代号, 摘要, 金额, 税额) VALUES (?, ?, ?, ?, ?)"_s,
         {claimId, subject, summary, amount, tax});
}

namespace {
// The program's tables with the column types of a real SQL Server schema, in
// the column order of the demo schema.
constexpr const char* kSqlServerTypedSchema = R"SQL(
CREATE TABLE 员工档案 (工号 CHAR(10) PRIMARY KEY, 帐号密码 NVARCHAR(50), 姓名 NVARCHAR(20),
                       离职日期 DATETIME);
CREATE TABLE 岗位类别 (岗位类别编号 NCHAR(6) PRIMARY KEY, 岗位类别名称 NVARCHAR(50));
CREATE TABLE 职能部门类别 (部门类别代号 CHAR(4) PRIMARY KEY, 部门类别名称 NVARCHAR(50));
CREATE TABLE 职能部门new (职能部门编号 CHAR(10) PRIMARY KEY, 职能部门名称 NVARCHAR(50),
                          职能部门类别代号 CHAR(4), 终止日期 DATETIME);
CREATE TABLE 上级部门new (ID INT PRIMARY KEY, 职能部门编号 CHAR(10), 上级部门编号 NCHAR(10),
                          终止日期 DATETIME);
CREATE TABLE 岗位信息new (岗位代号 NCHAR(12) PRIMARY KEY, 岗位名称 NVARCHAR(50),
                          职能部门代号 CHAR(10), 岗位类别代号 NCHAR(6));
CREATE TABLE 岗位员工new (ID INT PRIMARY KEY, 员工代号 CHAR(10), 岗位代号 NCHAR(12), 主要岗位 BIT,
                          离岗日期 DATETIME);
CREATE TABLE 专项审核权限表 (ID INT PRIMARY KEY, 类型 NVARCHAR(20), 部门代号 CHAR(10),
                             岗位代号 NCHAR(12));
CREATE TABLE 财务科目 (科目代号 NCHAR(12) PRIMARY KEY, 科目名称 NVARCHAR(50));
CREATE TABLE 报销单表 (报销单ID INT PRIMARY KEY, 报销单编号 NVARCHAR(30), 部门代号 CHAR(10),
                       报销类型 NVARCHAR(10), 报批日期 DATETIME, 报销人 NVARCHAR(20),
                       审批日期 DATETIME, 审批通过 BIT, 财务支付确认日期 DATETIME);
CREATE TABLE 报销单明细 (明细ID INT PRIMARY KEY, 报销单ID INT, 科目代号 CHAR(12),
                         摘要 NVARCHAR(500), 金额 MONEY, 税额 DECIMAL(18,2));
)SQL";
} // namespace

void copyWithSqlServerTypes(const QString& source, const QString& target) {
    QFile::remove(target);
    sqlite3* db = nullptr;
    check(nullptr, sqlite3_open(target.toUtf8().constData(), &db), u"open"_s);
    const auto run = [db](const QString& sql) {
        check(db, sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), sql);
    };
    const auto text = [](sqlite3_stmt* stmt, int column) {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)));
    };
    try {
        run(QString::fromUtf8(kSqlServerTypedSchema));
        run(u"ATTACH '"_s + QString(source).replace(u'\'', u"''"_s) + u"' AS src"_s);
        run(u"BEGIN"_s);
        // The tables' rows first, then the source's indexes.
        sqlite3_stmt* stmt = nullptr;
        check(db,
              sqlite3_prepare_v2(db,
                                 "SELECT type, name, sql FROM src.sqlite_master"
                                 " WHERE sql IS NOT NULL ORDER BY type DESC",
                                 -1, &stmt, nullptr),
              u"source schema"_s);
        QStringList statements;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            statements << (text(stmt, 0) == u"table"_s
                               ? u"INSERT INTO main.\""_s + text(stmt, 1) +
                                     u"\" SELECT * FROM src.\""_s + text(stmt, 1) + u'"'
                               : text(stmt, 2));
        sqlite3_finalize(stmt);
        for (const QString& statement : statements)
            run(statement);
        run(u"COMMIT"_s);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_close(db);
}

QString writeSettingsFile(const QString& path, const QList<QPair<QString, QString>>& keys) {
    QDir().mkpath(QFileInfo(path).path());
    QByteArray text = "[DBConfig]\n";
    for (const auto& [key, value] : keys)
        text += (key + u'=' + value + u'\n').toUtf8();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size())
        throw std::runtime_error("cannot write the settings file");
    return path;
}

namespace {
// Writes the settings under configHome/Corvale2011/ and points XDG_CONFIG_HOME there.
void writeDbConfig(const QString& configHome, const QList<QPair<QString, QString>>& keys) {
    writeSettingsFile(configHome + u"/Corvale2011/Corvale2011.ini"_s, keys);
    qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
}
} // namespace

void writeSettingsFor(const QString& configHome, const QString& dbPath) {
    writeDbConfig(configHome, {{u"Engine"_s, u"SQLite"_s}, {u"DBname"_s, dbPath}});
}

void writeServerSettingsFor(const QString& configHome, const QString& server, const QString& user,
                            const QString& password, const QString& database) {
    writeDbConfig(configHome, {{u"Svr"_s, server},
                               {u"UID"_s, user},
                               {u"PWD"_s, password},
                               {u"DBname"_s, database},
                               {u"Driver"_s, QString()}});
}

} // namespace nbr::test
