#include "db/OdbcConnection.h"

#include "db/DbError.h"
#include "db/OdbcText.h"
#include "db/QueryWatchdog.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// A float column's value is a binary fraction: FreeTDS writes all 17 digits of
// it (1.005 as "1.0049999999999999"), which would round the wrong way. Its
// shortest decimal form has 15 significant digits (7 for a single-precision
// real), as the SQLite driver writes it.
int floatColumnDigits(SQLSMALLINT dataType) {
    if (dataType == SQL_REAL)
        return 7;
    return dataType == SQL_FLOAT || dataType == SQL_DOUBLE ? 15 : 0;
}

QString shortestFloatText(const QString& text, int digits) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? QString::number(value, 'g', digits) : text;
}

// The message without the (at most three) components that passed it on: drivers
// and the driver manager put "[FreeTDS][SQL Server]" or "[unixODBC][Driver Manager]"
// in front, which the user does not need to read.
QString withoutComponentTags(QString message) {
    for (int tag = 0; tag < 3 && message.startsWith(u'['); ++tag) {
        const qsizetype end = message.indexOf(u']');
        if (end < 0)
            break;
        message.remove(0, end + 1);
    }
    return message.trimmed();
}

// Collects the diagnostic records of a handle into one DbError. The user sees
// the messages as the server wrote them; the driver's own closing summary
// ("Unable to connect to data source", native number 0) is left out when the
// server or the network layer said what went wrong. The error carries the
// number and SQLSTATE of the first record shown; the fallback stands in for
// missing messages, and the prefix, when given, goes in front of them.
DbError diagnostics(const OdbcText& text, SQLSMALLINT type, SQLHANDLE handle,
                    const QString& fallback, const QString& prefix = {}) {
    std::vector<OdbcDiagnostic> records;
    OdbcDiagnostic record;
    for (SQLSMALLINT n = 1; n <= 20 && text.diagnostic(type, handle, n, record); ++n) {
        record.message = withoutComponentTags(record.message);
        records.push_back(record);
    }
    const bool anyNumbered = std::any_of(records.begin(), records.end(),
                                         [](const OdbcDiagnostic& r) { return r.native != 0; });
    const OdbcDiagnostic* first = nullptr;
    QStringList messages;
    for (const OdbcDiagnostic& r : records) {
        if (anyNumbered && r.native == 0)
            continue;
        if (!first)
            first = &r;
        if (!r.message.isEmpty() && !messages.contains(r.message))
            messages << r.message;
    }
    if (messages.isEmpty())
        messages << fallback;
    return DbError(first ? first->native : 0, first ? first->sqlState : QString(),
                   prefix + messages.join(u'\n'));
}

// Owns one ODBC handle and frees it.
struct Handle {
    SQLSMALLINT type = 0;
    SQLHANDLE handle = SQL_NULL_HANDLE;
    Handle() = default;
    Handle(SQLSMALLINT t, SQLHANDLE parent) { allocate(t, parent); }
    bool allocate(SQLSMALLINT t, SQLHANDLE parent) {
        type = t;
        if (!succeeded(SQLAllocHandle(t, parent, &handle)))
            handle = SQL_NULL_HANDLE;
        return handle != SQL_NULL_HANDLE;
    }
    void release() {
        if (handle != SQL_NULL_HANDLE)
            SQLFreeHandle(type, handle);
        handle = SQL_NULL_HANDLE;
    }
    ~Handle() { release(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

} // namespace

struct OdbcConnection::Handles {
    Handle env;
    Handle dbc;
    bool connected = false;
    // An idle statement to cancel through, and the watchdog that does, for a
    // driver that does not keep the query time-out (made on first need).
    Handle cancel;
    std::unique_ptr<QueryWatchdog> watchdog;
    ~Handles() {
        watchdog.reset();
        cancel.release();
        if (connected)
            SQLDisconnect(dbc.handle);
    }
};

// One statement being run: its handle, the parameter buffers that must
// outlive its execution, and what its columns need when fetched.
class OdbcConnection::Statement {
public:
    Statement(SQLHDBC dbc, const OdbcText& text) : handle(SQL_HANDLE_STMT, dbc), text(text) {}

    DbError failure(const QString& fallback, const QString& prefix = {}) const {
        return diagnostics(text, SQL_HANDLE_STMT, handle.handle, fallback, prefix);
    }

    Handle handle;
    const OdbcText& text;
    std::vector<QByteArray> values;
    std::vector<SQLLEN> lengths;
    // Significant digits of each binary floating-point column, 0 for the others.
    std::vector<int> floatDigits;
};

OdbcConnection::OdbcConnection(std::unique_ptr<Handles> handles, OdbcTextMode mode)
    : m_handles(std::move(handles)), m_mode(mode) {}

OdbcConnection::~OdbcConnection() = default;

std::unique_ptr<OdbcConnection> OdbcConnection::open(const QString& connectionString,
                                                     OdbcTextMode mode, int loginTimeoutSeconds) {
    const OdbcText text(mode);
    auto h = std::make_unique<Handles>();
    if (!h->env.allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE))
        throw DbError(0, u"无法初始化 ODBC 驱动程序管理器"_s);
    SQLSetEnvAttr(h->env.handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    if (!h->dbc.allocate(SQL_HANDLE_DBC, h->env.handle))
        throw diagnostics(text, SQL_HANDLE_ENV, h->env.handle, u"无法创建数据库连接"_s);

    SQLSetConnectAttr(h->dbc.handle, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0);
    SQLSetConnectAttr(h->dbc.handle, SQL_ATTR_CONNECTION_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0);
    if (!succeeded(text.driverConnect(h->dbc.handle, connectionString)))
        throw diagnostics(text, SQL_HANDLE_DBC, h->dbc.handle, u"连接数据库失败"_s);
    h->connected = true;

    // A hint only: drivers that do not know it keep working.
    SQLSetConnectAttr(h->dbc.handle, SQL_ATTR_ACCESS_MODE,
                      reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);

    const QString dbms = text.dbmsName(h->dbc.handle);
    std::unique_ptr<OdbcConnection> connection(new OdbcConnection(std::move(h), mode));
    connection->m_dbmsName = dbms;
    return connection;
}

bool OdbcConnection::isLost() const {
    SQLUINTEGER dead = SQL_CD_FALSE;
    return succeeded(SQLGetConnectAttr(m_handles->dbc.handle, SQL_ATTR_CONNECTION_DEAD, &dead, 0,
                                       nullptr)) &&
           dead == SQL_CD_TRUE;
}

Recordset OdbcConnection::query(const QString& sql, const QStringList& parameters) {
    Recordset result;
    run(
        sql, parameters, false, [&](Recordset columns) { result = std::move(columns); },
        [&](std::vector<DbValue>& row) { result.appendRow(std::move(row)); });
    return result;
}

void OdbcConnection::forEachRow(const QString& sql, const QStringList& parameters,
                                const RowHandler& onRow) {
    Recordset current;
    run(
        sql, parameters, true, [&](Recordset columns) { current = std::move(columns); },
        [&](std::vector<DbValue>& row) {
            current.replaceRow(row);
            onRow(current);
        });
}

void OdbcConnection::run(const QString& sql, const QStringList& parameters, bool streamed,
                         const std::function<void(Recordset columns)>& onColumns,
                         const std::function<void(std::vector<DbValue>& row)>& onRow) {
    ++m_statementCount;
    const OdbcText text(m_mode);
    Statement stmt(m_handles->dbc.handle, text);
    if (stmt.handle.handle == SQL_NULL_HANDLE)
        throw diagnostics(text, SQL_HANDLE_DBC, m_handles->dbc.handle, u"无法创建语句"_s);
    SQLSetStmtAttr(stmt.handle.handle, SQL_ATTR_CURSOR_TYPE,
                   reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), 0);
    SQLSetStmtAttr(stmt.handle.handle, SQL_ATTR_CONCURRENCY,
                   reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    const bool watched = !applyQueryTimeout(stmt);
    bindParameters(stmt, parameters);

    const auto timedOut = [this] {
        return DbError(0, u"HYT00"_s, u"查询超过 %1 秒未完成，已取消"_s.arg(m_queryTimeoutSeconds));
    };
    if (watched)
        startWatchdog();
    bool watching = watched;
    try {
        const SQLRETURN rc = text.execDirect(stmt.handle.handle, sql);
        if (!succeeded(rc) && rc != SQL_NO_DATA)
            throw stmt.failure(u"查询执行失败"_s);
        Recordset columns = describeColumns(stmt);
        const int count = int(columns.columns().size());
        onColumns(std::move(columns));
        fetchRows(stmt, count, [&](std::vector<DbValue>& row) {
            // Streamed rows are fetched at the pace they are written out:
            // only the way to the first one is the database's time.
            if (watching && streamed) {
                watching = false;
                if (stopWatchdog()) // a cancel now would cut the rows short
                    throw timedOut();
            }
            onRow(row);
        });
        if (watching)
            (void)stopWatchdog(); // complete: a cancel that came too late changed nothing
    } catch (const DbError&) {
        if (watching && stopWatchdog())
            throw timedOut();
        throw;
    }
}

bool OdbcConnection::applyQueryTimeout(Statement& stmt) const {
    // A server that stops answering must not freeze the window for ever.
    const SQLULEN wanted = SQLULEN(m_queryTimeoutSeconds);
    // An error, or "option value changed" (01S02) with success: either way
    // the limit would not be the one asked for.
    if (SQLSetStmtAttr(stmt.handle.handle, SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(wanted), 0) != SQL_SUCCESS)
        throw stmt.failure(u"未知原因"_s,
                           u"数据库驱动程序不接受 %1 秒的查询超时设置："_s.arg(wanted));
    SQLULEN kept = 0;
    return succeeded(
               SQLGetStmtAttr(stmt.handle.handle, SQL_ATTR_QUERY_TIMEOUT, &kept, 0, nullptr)) &&
           kept == wanted;
}

void OdbcConnection::startWatchdog() {
    Handles& h = *m_handles;
    if (!h.watchdog) {
        if (!h.cancel.allocate(SQL_HANDLE_STMT, h.dbc.handle))
            throw diagnostics(OdbcText(m_mode), SQL_HANDLE_DBC, h.dbc.handle, u"无法创建语句"_s);
        // Cancelling an idle statement interrupts the connection's running
        // one in the SQLite3 driver (sqlite3_interrupt), and touches nothing
        // the running statement uses; cancelling that one itself from
        // another thread would free its result under it.
        h.watchdog = std::make_unique<QueryWatchdog>([&h] { SQLCancel(h.cancel.handle); });
    }
    h.watchdog->start(m_queryTimeoutSeconds);
}

bool OdbcConnection::stopWatchdog() {
    return m_handles->watchdog->stop();
}

void OdbcConnection::bindParameters(Statement& stmt, const QStringList& parameters) const {
    stmt.values.reserve(size_t(parameters.size()));
    stmt.lengths.resize(size_t(parameters.size()));
    for (qsizetype i = 0; i < parameters.size(); ++i) {
        stmt.values.push_back(stmt.text.encode(parameters[i]));
        if (!succeeded(stmt.text.bindParameter(stmt.handle.handle, SQLUSMALLINT(i + 1),
                                               stmt.values.back(), stmt.lengths[size_t(i)])))
            throw stmt.failure(u"无法绑定查询参数"_s);
    }
}

Recordset OdbcConnection::describeColumns(Statement& stmt) const {
    SQLSMALLINT columnCount = 0;
    if (!succeeded(SQLNumResultCols(stmt.handle.handle, &columnCount)))
        throw stmt.failure(u"无法读取查询结果"_s);
    QStringList names;
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columnCount); ++c) {
        QString name;
        SQLSMALLINT dataType = 0;
        if (!succeeded(stmt.text.describeColumn(stmt.handle.handle, c, name, dataType)))
            throw stmt.failure(u"无法读取查询结果的列"_s);
        names << name;
        stmt.floatDigits.push_back(floatColumnDigits(dataType));
    }
    return Recordset(names);
}

void OdbcConnection::fetchRows(Statement& stmt, int columns,
                               const std::function<void(std::vector<DbValue>& row)>& onRow) const {
    const SQLHSTMT h = stmt.handle.handle;
    if (columns == 0)
        return;
    // Bytes per SQLGetData call, of which the driver fills all but a final NUL.
    constexpr SQLLEN kChunk = 4096;
    const SQLLEN room = kChunk - stmt.text.unitBytes();
    std::vector<char> buffer(size_t(kChunk) + 4);
    std::vector<DbValue> row;
    for (;;) {
        SQLRETURN rc = SQLFetch(h);
        if (rc == SQL_NO_DATA)
            break;
        if (!succeeded(rc))
            throw stmt.failure(u"读取查询结果失败"_s);
        row.clear();
        row.reserve(size_t(columns));
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columns); ++c) {
            QByteArray bytes;
            bool isNull = false;
            for (;;) {
                SQLLEN indicator = 0;
                rc = SQLGetData(h, c, stmt.text.cType(), buffer.data(), kChunk, &indicator);
                if (rc == SQL_NO_DATA)
                    break;
                if (!succeeded(rc))
                    throw stmt.failure(u"读取字段值失败"_s);
                if (indicator == SQL_NULL_DATA) {
                    isNull = true;
                    break;
                }
                const SQLLEN got =
                    (indicator == SQL_NO_TOTAL || indicator > room) ? room : indicator;
                bytes.append(buffer.data(), qsizetype(got));
                // SUCCESS_WITH_INFO for another reason than truncation ends it too.
                if (rc == SQL_SUCCESS || got < room)
                    break;
            }
            if (isNull) {
                row.emplace_back();
                continue;
            }
            QString value = stmt.text.decode(bytes.constData(), bytes.size());
            if (const int digits = stmt.floatDigits[c - 1])
                value = shortestFloatText(value, digits);
            row.emplace_back(std::move(value));
        }
        onRow(row);
    }
    // Drain any further results so the connection is free for the next query.
    while (succeeded(SQLMoreResults(h))) {
    }
}

} // namespace nbr
