#include "db/OdbcConnection.h"

#include "db/DbError.h"

#ifdef _WIN32
#include <windows.h> // the Windows ODBC headers build on its types
#endif
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16");

std::u16string toWide(const QString& s) {
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

SQLWCHAR* wptr(std::u16string& s) {
    return reinterpret_cast<SQLWCHAR*>(s.data());
}

QString fromWide(const SQLWCHAR* p, qsizetype n) {
    QString s = QString::fromUtf16(reinterpret_cast<const char16_t*>(p), n);
    // Some drivers pad names with NULs: cut at the first one.
    const qsizetype nul = s.indexOf(QChar(u'\0'));
    return nul >= 0 ? s.left(nul) : s;
}

QString fromNarrow(const SQLCHAR* p, qsizetype n) {
    QString s = QString::fromUtf8(reinterpret_cast<const char*>(p), n);
    const qsizetype nul = s.indexOf(QChar(u'\0'));
    return nul >= 0 ? s.left(nul) : s;
}

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

struct DiagnosticRecord {
    int native = 0;
    QString message;
};

// Collects the diagnostic records of a handle into one DbError. The user sees
// the messages as the server wrote them; the driver's own closing summary
// ("Unable to connect to data source", native number 0) is left out when the
// server or the network layer said what went wrong.
DbError diagnostics(SQLSMALLINT type, SQLHANDLE handle, OdbcTextMode mode,
                    const QString& fallback) {
    std::vector<DiagnosticRecord> records;
    for (SQLSMALLINT rec = 1; rec <= 20; ++rec) {
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc;
        DiagnosticRecord record;
        if (mode == OdbcTextMode::Wide) {
            SQLWCHAR state[6] = {};
            std::vector<SQLWCHAR> msg(2048);
            rc = SQLGetDiagRecW(type, handle, rec, state, &native, msg.data(),
                                SQLSMALLINT(msg.size()), &length);
            if (!succeeded(rc))
                break;
            record.message =
                fromWide(msg.data(), qMin<qsizetype>(length, qsizetype(msg.size()) - 1));
        } else {
            SQLCHAR state[6] = {};
            std::vector<SQLCHAR> msg(4096);
            rc = SQLGetDiagRec(type, handle, rec, state, &native, msg.data(),
                               SQLSMALLINT(msg.size()), &length);
            if (!succeeded(rc))
                break;
            record.message =
                fromNarrow(msg.data(), qMin<qsizetype>(length, qsizetype(msg.size()) - 1));
        }
        record.native = int(native);
        record.message = withoutComponentTags(record.message);
        records.push_back(std::move(record));
    }
    const bool anyNumbered = std::any_of(records.begin(), records.end(),
                                         [](const DiagnosticRecord& r) { return r.native != 0; });
    const DiagnosticRecord* first = nullptr;
    QStringList messages;
    for (const DiagnosticRecord& record : records) {
        if (anyNumbered && record.native == 0)
            continue;
        if (!first)
            first = &record;
        if (!record.message.isEmpty() && !messages.contains(record.message))
            messages << record.message;
    }
    if (messages.isEmpty())
        messages << fallback;
    return DbError(first ? first->native : 0, messages.join(u'\n'));
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
    ~Handle() {
        if (handle != SQL_NULL_HANDLE)
            SQLFreeHandle(type, handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
};

} // namespace

struct OdbcConnection::Handles {
    Handle env;
    Handle dbc;
    bool connected = false;
    ~Handles() {
        if (connected)
            SQLDisconnect(dbc.handle);
    }
};

OdbcConnection::OdbcConnection(std::unique_ptr<Handles> handles, OdbcTextMode mode)
    : m_handles(std::move(handles)), m_mode(mode) {}

OdbcConnection::~OdbcConnection() = default;

std::unique_ptr<OdbcConnection> OdbcConnection::open(const QString& connectionString,
                                                     OdbcTextMode mode, int loginTimeoutSeconds) {
    auto h = std::make_unique<Handles>();
    if (!h->env.allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE))
        throw DbError(0, u"无法初始化 ODBC 驱动程序管理器"_s);
    SQLSetEnvAttr(h->env.handle, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    if (!h->dbc.allocate(SQL_HANDLE_DBC, h->env.handle))
        throw diagnostics(SQL_HANDLE_ENV, h->env.handle, mode, u"无法创建数据库连接"_s);

    SQLSetConnectAttr(h->dbc.handle, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0);
    SQLSetConnectAttr(h->dbc.handle, SQL_ATTR_CONNECTION_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(SQLULEN(loginTimeoutSeconds)), 0);

    SQLRETURN rc;
    if (mode == OdbcTextMode::Wide) {
        std::u16string cs = toWide(connectionString);
        cs.push_back(u'\0');
        SQLWCHAR out[1024];
        SQLSMALLINT outLength = 0;
        rc = SQLDriverConnectW(h->dbc.handle, nullptr, wptr(cs), SQL_NTS, out, 1024, &outLength,
                               SQL_DRIVER_NOPROMPT);
    } else {
        QByteArray cs = connectionString.toUtf8();
        SQLCHAR out[2048];
        SQLSMALLINT outLength = 0;
        rc = SQLDriverConnect(h->dbc.handle, nullptr, reinterpret_cast<SQLCHAR*>(cs.data()),
                              SQL_NTS, out, 2048, &outLength, SQL_DRIVER_NOPROMPT);
    }
    if (!succeeded(rc))
        throw diagnostics(SQL_HANDLE_DBC, h->dbc.handle, mode, u"连接数据库失败"_s);
    h->connected = true;

    // A hint only: drivers that do not know it keep working.
    SQLSetConnectAttr(h->dbc.handle, SQL_ATTR_ACCESS_MODE,
                      reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);

    std::unique_ptr<OdbcConnection> connection(new OdbcConnection(std::move(h), mode));
    if (mode == OdbcTextMode::Wide) {
        SQLWCHAR name[256] = {};
        SQLSMALLINT length = 0;
        if (succeeded(SQLGetInfoW(connection->m_handles->dbc.handle, SQL_DBMS_NAME, name,
                                  sizeof(name), &length)))
            connection->m_dbmsName = fromWide(name, length / 2);
    } else {
        SQLCHAR name[256] = {};
        SQLSMALLINT length = 0;
        if (succeeded(SQLGetInfo(connection->m_handles->dbc.handle, SQL_DBMS_NAME, name,
                                 sizeof(name), &length)))
            connection->m_dbmsName = fromNarrow(name, length);
    }
    return connection;
}

Recordset OdbcConnection::query(const QString& sql, const QStringList& parameters) {
    Recordset result;
    run(
        sql, parameters, [&](QStringList columns) { result = Recordset(std::move(columns)); },
        [&](std::vector<DbValue>& row) { result.appendRow(std::move(row)); });
    return result;
}

void OdbcConnection::forEachRow(const QString& sql, const QStringList& parameters,
                                const RowHandler& onRow) {
    Recordset current;
    run(
        sql, parameters, [&](QStringList columns) { current = Recordset(std::move(columns)); },
        [&](std::vector<DbValue>& row) {
            current.replaceRow(row);
            onRow(current);
        });
}

void OdbcConnection::run(const QString& sql, const QStringList& parameters,
                         const std::function<void(QStringList columns)>& onColumns,
                         const std::function<void(std::vector<DbValue>& row)>& onRow) {
    ++m_statementCount;
    Handle stmt(SQL_HANDLE_STMT, m_handles->dbc.handle);
    if (stmt.handle == SQL_NULL_HANDLE)
        throw diagnostics(SQL_HANDLE_DBC, m_handles->dbc.handle, m_mode, u"无法创建语句"_s);
    auto fail = [&](const QString& fallback) {
        return diagnostics(SQL_HANDLE_STMT, stmt.handle, m_mode, fallback);
    };

    SQLSetStmtAttr(stmt.handle, SQL_ATTR_CURSOR_TYPE,
                   reinterpret_cast<SQLPOINTER>(SQL_CURSOR_FORWARD_ONLY), 0);
    SQLSetStmtAttr(stmt.handle, SQL_ATTR_CONCURRENCY,
                   reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    // A server that stops answering must not freeze the window for ever.
    SQLSetStmtAttr(stmt.handle, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(SQLULEN(m_queryTimeoutSeconds)), 0);

    // Parameter buffers must outlive the execution.
    const int count = int(parameters.size());
    std::vector<std::u16string> wideValues(static_cast<size_t>(count));
    std::vector<QByteArray> narrowValues(static_cast<size_t>(count));
    std::vector<SQLLEN> lengths(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        SQLRETURN rc;
        if (m_mode == OdbcTextMode::Wide) {
            wideValues[i] = toWide(parameters[i]);
            wideValues[i].push_back(u'\0');
            const SQLULEN chars = SQLULEN(parameters[i].size());
            lengths[i] = SQLLEN(chars * sizeof(SQLWCHAR));
            // SQL Server's nvarchar(n) ends at 4000 characters, and FreeTDS cuts a longer
            // SQL_WVARCHAR value down to that silently: longer ones go as long text.
            // Shorter ones are all declared nvarchar(4000), so the server keeps one
            // plan per statement instead of one per length of its values.
            const bool longText = chars > 4000;
            rc = SQLBindParameter(stmt.handle, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, SQL_C_WCHAR,
                                  longText ? SQL_WLONGVARCHAR : SQL_WVARCHAR,
                                  longText ? chars : SQLULEN(4000), 0, wptr(wideValues[i]),
                                  lengths[i] + SQLLEN(sizeof(SQLWCHAR)), &lengths[i]);
        } else {
            narrowValues[i] = parameters[i].toUtf8();
            lengths[i] = SQLLEN(narrowValues[i].size());
            rc = SQLBindParameter(stmt.handle, SQLUSMALLINT(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                                  SQL_VARCHAR, qMax<SQLULEN>(SQLULEN(lengths[i]), 1), 0,
                                  narrowValues[i].data(), lengths[i] + 1, &lengths[i]);
        }
        if (!succeeded(rc))
            throw fail(u"无法绑定查询参数"_s);
    }

    SQLRETURN rc;
    if (m_mode == OdbcTextMode::Wide) {
        std::u16string text = toWide(sql);
        text.push_back(u'\0');
        rc = SQLExecDirectW(stmt.handle, wptr(text), SQL_NTS);
    } else {
        QByteArray text = sql.toUtf8();
        rc = SQLExecDirect(stmt.handle, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS);
    }
    if (!succeeded(rc) && rc != SQL_NO_DATA)
        throw fail(u"查询执行失败"_s);

    SQLSMALLINT columnCount = 0;
    if (!succeeded(SQLNumResultCols(stmt.handle, &columnCount)))
        throw fail(u"无法读取查询结果"_s);

    QStringList names;
    // Significant digits of each binary floating-point column, 0 for the others.
    std::vector<int> floatDigits;
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columnCount); ++c) {
        SQLSMALLINT nameLength = 0, dataType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        if (m_mode == OdbcTextMode::Wide) {
            SQLWCHAR name[512] = {};
            if (!succeeded(SQLDescribeColW(stmt.handle, c, name, 512, &nameLength, &dataType, &size,
                                           &digits, &nullable)))
                throw fail(u"无法读取查询结果的列"_s);
            names << fromWide(name, qMin<qsizetype>(nameLength, 511));
        } else {
            SQLCHAR name[1024] = {};
            if (!succeeded(SQLDescribeCol(stmt.handle, c, name, 1024, &nameLength, &dataType, &size,
                                          &digits, &nullable)))
                throw fail(u"无法读取查询结果的列"_s);
            names << fromNarrow(name, qMin<qsizetype>(nameLength, 1023));
        }
        floatDigits.push_back(floatColumnDigits(dataType));
    }

    onColumns(std::move(names));
    if (columnCount == 0)
        return;

    constexpr SQLLEN kChunk = 4096; // bytes per SQLGetData call
    std::vector<char> buffer(size_t(kChunk) + 4);
    std::vector<DbValue> row;
    for (;;) {
        rc = SQLFetch(stmt.handle);
        if (rc == SQL_NO_DATA)
            break;
        if (!succeeded(rc))
            throw fail(u"读取查询结果失败"_s);
        row.clear();
        row.reserve(size_t(columnCount));
        for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(columnCount); ++c) {
            QByteArray bytes;
            bool isNull = false;
            const SQLSMALLINT cType = m_mode == OdbcTextMode::Wide ? SQL_C_WCHAR : SQL_C_CHAR;
            const SQLLEN terminator = m_mode == OdbcTextMode::Wide ? 2 : 1;
            for (;;) {
                SQLLEN indicator = 0;
                rc = SQLGetData(stmt.handle, c, cType, buffer.data(), kChunk, &indicator);
                if (rc == SQL_NO_DATA)
                    break;
                if (!succeeded(rc))
                    throw fail(u"读取字段值失败"_s);
                if (indicator == SQL_NULL_DATA) {
                    isNull = true;
                    break;
                }
                const SQLLEN room = kChunk - terminator;
                const SQLLEN got =
                    (indicator == SQL_NO_TOTAL || indicator > room) ? room : indicator;
                bytes.append(buffer.data(), qsizetype(got));
                if (rc == SQL_SUCCESS)
                    break;
                if (got < room)
                    break; // SUCCESS_WITH_INFO for another reason than truncation
            }
            if (isNull) {
                row.emplace_back();
                continue;
            }
            QString text =
                m_mode == OdbcTextMode::Wide
                    ? QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                         bytes.size() / 2)
                    : QString::fromUtf8(bytes);
            if (const int digits = floatDigits[c - 1])
                text = shortestFloatText(text, digits);
            row.emplace_back(std::move(text));
        }
        onRow(row);
    }
    // Drain any further results so the connection is free for the next query.
    while (succeeded(SQLMoreResults(stmt.handle))) {
    }
}

} // namespace nbr
