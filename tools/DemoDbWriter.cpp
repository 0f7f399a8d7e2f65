#include "DemoDbWriter.h"

#include "DemoSchema.h"

#include <filesystem>
#include <sqlite3.h>

namespace nbr::demo {

namespace {

using Data = DemoDataset;

class Database {
public:
    explicit Database(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            fail("无法创建文件 " + path);
    }
    ~Database() { sqlite3_close(m_db); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    sqlite3* handle() const { return m_db; }

    void exec(const char* sql) {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail("写入数据库失败");
    }

    // Closes now so that every failure shows before the file is renamed.
    void close() {
        if (sqlite3_close(m_db) != SQLITE_OK)
            fail("关闭数据库失败");
        m_db = nullptr;
    }

    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error(what + "：" + (m_db ? sqlite3_errmsg(m_db) : "内存不足"));
    }

private:
    sqlite3* m_db = nullptr;
};

// One prepared INSERT, bound and stepped once per row.
class Insert {
public:
    Insert(Database& db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db.handle(), sql, -1, &m_stmt, nullptr) != SQLITE_OK)
            db.fail("写入数据库失败");
    }
    ~Insert() { sqlite3_finalize(m_stmt); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    template <typename... Values> void row(const Values&... values) {
        int column = 0;
        (bind(++column, values), ...);
        if (sqlite3_step(m_stmt) != SQLITE_DONE)
            m_db.fail("写入数据库失败");
        sqlite3_reset(m_stmt);
    }

private:
    // Only the exact types below bind; no silent conversions between them.
    template <typename T> void bind(int column, const T& value) = delete;
    void bind(int column, const std::string& text) {
        check(sqlite3_bind_text(m_stmt, column, text.data(), int(text.size()), SQLITE_STATIC));
    }
    void bind(int column, const OptText& text) {
        if (text)
            bind(column, *text);
        else
            check(sqlite3_bind_null(m_stmt, column));
    }
    void bind(int column, std::int64_t value) { check(sqlite3_bind_int64(m_stmt, column, value)); }
    void bind(int column, bool flag) { bind(column, std::int64_t(flag ? 1 : 0)); }
    void bind(int column, double value) { check(sqlite3_bind_double(m_stmt, column, value)); }
    void bind(int column, const std::optional<double>& value) {
        if (value)
            bind(column, *value);
        else
            check(sqlite3_bind_null(m_stmt, column));
    }
    void check(int rc) {
        if (rc != SQLITE_OK)
            m_db.fail("写入数据库失败");
    }

    Database& m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Money is kept in fen and stored as REAL yuan.
double yuan(std::int64_t fen) {
    return double(fen) / 100.0;
}
std::optional<double> yuan(const std::optional<std::int64_t>& fen) {
    return fen ? std::optional<double>(yuan(*fen)) : std::nullopt;
}

void writeTables(Database& db, const Data& data) {
    // A fresh file nobody reads before the rename: no journal, no syncs
    // until the end.
    db.exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
    db.exec(kSchemaSql);
    db.exec("BEGIN");
    {
        Insert category(db, "INSERT INTO 岗位类别 VALUES (?, ?)");
        for (const auto& c : data.positionCategories)
            category.row(c.code, c.name);
        Insert deptCategory(db, "INSERT INTO 职能部门类别 VALUES (?, ?)");
        for (const auto& c : data.departmentCategories)
            deptCategory.row(c.code, c.name);
        Insert dept(db, "INSERT INTO 职能部门new VALUES (?, ?, ?, ?)");
        for (const auto& d : data.departments)
            dept.row(d.code, d.name, d.categoryCode, d.endDate);
        Insert link(db, "INSERT INTO 上级部门new (职能部门编号, 上级部门编号, 终止日期)"
                        " VALUES (?, ?, ?)");
        for (const auto& l : data.parentLinks)
            link.row(l.code, l.parentCode, l.endDate);
        Insert position(db, "INSERT INTO 岗位信息new VALUES (?, ?, ?, ?)");
        for (const auto& p : data.positions)
            position.row(p.code, p.name, p.deptCode, p.categoryCode);
        Insert employee(db, "INSERT INTO 员工档案 VALUES (?, ?, ?, ?)");
        for (const auto& e : data.employees)
            employee.row(e.number, e.password, e.name, e.leftDate);
        Insert assignment(db, "INSERT INTO 岗位员工new (员工代号, 岗位代号, 主要岗位, 离岗日期)"
                              " VALUES (?, ?, ?, ?)");
        for (const auto& a : data.assignments)
            assignment.row(a.employee, a.position, a.main, a.endDate);
        Insert audit(db, "INSERT INTO 专项审核权限表 (类型, 部门代号, 岗位代号) VALUES (?, ?, ?)");
        for (const auto& a : data.auditRights)
            audit.row(a.type, a.deptCode, a.positionCode);
        Insert subject(db, "INSERT INTO 财务科目 VALUES (?, ?)");
        for (const auto& s : data.subjects)
            subject.row(s.code, s.name);
        Insert claim(db, "INSERT INTO 报销单表 VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        std::int64_t id = 0;
        for (const auto& c : data.claims)
            claim.row(++id, c.number, c.deptCode, c.type, c.submitDate, c.claimant, c.approvalDate,
                      c.approved, c.paymentDate);
        Insert line(db, "INSERT INTO 报销单明细 (报销单ID, 科目代号, 摘要, 金额, 税额)"
                        " VALUES (?, ?, ?, ?, ?)");
        for (const auto& l : data.claimLines)
            line.row(l.claimId, l.subjectCode, l.summary, yuan(l.amountFen), yuan(l.taxFen));
    }
    db.exec("COMMIT");
}

} // namespace

void DemoDbWriter::write(const Data& data, const std::string& path) {
    namespace fs = std::filesystem;
    const std::string tmp = path + ".tmp";
    std::error_code ignored;
    fs::remove(tmp, ignored);
    try {
        Database db(tmp);
        writeTables(db, data);
        db.close();
        std::error_code ec;
        fs::rename(tmp, path, ec);
        if (ec)
            throw std::runtime_error("无法替换 " + path + "：" + ec.message());
    } catch (...) {
        fs::remove(tmp, ignored);
        throw;
    }
}

} // namespace nbr::demo
