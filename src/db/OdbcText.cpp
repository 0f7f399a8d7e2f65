#include "db/OdbcText.h"

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters must be UTF-16");

SQLWCHAR* wptr(QByteArray& text) {
    return reinterpret_cast<SQLWCHAR*>(text.data());
}

SQLCHAR* nptr(QByteArray& text) {
    return reinterpret_cast<SQLCHAR*>(text.data());
}

const char* bytes(const void* data) {
    return static_cast<const char*>(data);
}

} // namespace

SQLSMALLINT OdbcText::cType() const {
    return wide() ? SQLSMALLINT(SQL_C_WCHAR) : SQLSMALLINT(SQL_C_CHAR);
}

SQLLEN OdbcText::unitBytes() const {
    return wide() ? SQLLEN(sizeof(SQLWCHAR)) : 1;
}

QByteArray OdbcText::encode(const QString& text) const {
    QByteArray out = wide() ? QByteArray(bytes(text.utf16()), text.size() * 2) : text.toUtf8();
    return out.append(QByteArray(qsizetype(unitBytes()), '\0'));
}

QString OdbcText::decode(const char* data, qsizetype size) const {
    return wide() ? QString::fromUtf16(reinterpret_cast<const char16_t*>(data), size / 2)
                  : QString::fromUtf8(data, size);
}

QString OdbcText::decodeName(const QByteArray& buffer, qsizetype size) const {
    const QString text = decode(buffer.constData(), qBound<qsizetype>(0, size, buffer.size()));
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul >= 0 ? text.left(nul) : text;
}

SQLRETURN OdbcText::driverConnect(SQLHDBC dbc, const QString& connectionString) const {
    QByteArray in = encode(connectionString);
    // Large enough for the completed string the drivers write back (not used).
    QByteArray out(4096, '\0');
    SQLSMALLINT outLength = 0;
    if (wide())
        return SQLDriverConnectW(dbc, nullptr, wptr(in), SQL_NTS, wptr(out),
                                 SQLSMALLINT(out.size() / 2), &outLength, SQL_DRIVER_NOPROMPT);
    return SQLDriverConnectA(dbc, nullptr, nptr(in), SQL_NTS, nptr(out), SQLSMALLINT(out.size()),
                             &outLength, SQL_DRIVER_NOPROMPT);
}

SQLRETURN OdbcText::execDirect(SQLHSTMT stmt, const QString& sql) const {
    QByteArray text = encode(sql);
    return wide() ? SQLExecDirectW(stmt, wptr(text), SQL_NTS)
                  : SQLExecDirectA(stmt, nptr(text), SQL_NTS);
}

SQLRETURN OdbcText::bindParameter(SQLHSTMT stmt, SQLUSMALLINT number, QByteArray& value,
                                  SQLLEN& length) const {
    length = SQLLEN(value.size()) - unitBytes();
    if (!wide())
        return SQLBindParameter(stmt, number, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR,
                                qMax<SQLULEN>(SQLULEN(length), 1), 0, value.data(),
                                SQLLEN(value.size()), &length);
    // SQL Server's nvarchar(n) ends at 4000 characters, and FreeTDS cuts a longer
    // SQL_WVARCHAR value down to that silently: longer ones go as long text.
    // Shorter ones are all declared nvarchar(4000), so the server keeps one
    // plan per statement instead of one per length of its values.
    const SQLULEN chars = SQLULEN(length) / sizeof(SQLWCHAR);
    const bool longText = chars > 4000;
    return SQLBindParameter(
        stmt, number, SQL_PARAM_INPUT, SQL_C_WCHAR, longText ? SQL_WLONGVARCHAR : SQL_WVARCHAR,
        longText ? chars : SQLULEN(4000), 0, value.data(), SQLLEN(value.size()), &length);
}

SQLRETURN OdbcText::describeColumn(SQLHSTMT stmt, SQLUSMALLINT column, QString& name,
                                   SQLSMALLINT& dataType) const {
    QByteArray buffer(1024, '\0');
    SQLSMALLINT nameLength = 0;
    // Name lengths count the mode's code units. Size, digits and nullability
    // are not asked for (mingw-w64 even declares the A form's size 32 bits wide).
    const SQLSMALLINT units = SQLSMALLINT(buffer.size() / unitBytes());
    const SQLRETURN rc = wide() ? SQLDescribeColW(stmt, column, wptr(buffer), units, &nameLength,
                                                  &dataType, nullptr, nullptr, nullptr)
                                : SQLDescribeColA(stmt, column, nptr(buffer), units, &nameLength,
                                                  &dataType, nullptr, nullptr, nullptr);
    name = decodeName(buffer, qsizetype(nameLength) * unitBytes());
    return rc;
}

bool OdbcText::diagnostic(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                          OdbcDiagnostic& out) const {
    QByteArray state(6 * unitBytes(), '\0');
    QByteArray message(4096, '\0');
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    const SQLSMALLINT units = SQLSMALLINT(message.size() / unitBytes());
    const SQLRETURN rc = wide() ? SQLGetDiagRecW(handleType, handle, record, wptr(state), &native,
                                                 wptr(message), units, &length)
                                : SQLGetDiagRecA(handleType, handle, record, nptr(state), &native,
                                                 nptr(message), units, &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
        return false;
    out.sqlState = decodeName(state, state.size());
    out.native = int(native);
    out.message = decodeName(message, qsizetype(length) * unitBytes());
    return true;
}

QString OdbcText::dbmsName(SQLHDBC dbc) const {
    QByteArray name(512, '\0');
    SQLSMALLINT length = 0; // in bytes, whatever the entry point
    const SQLRETURN rc =
        wide() ? SQLGetInfoW(dbc, SQL_DBMS_NAME, name.data(), SQLSMALLINT(name.size()), &length)
               : SQLGetInfoA(dbc, SQL_DBMS_NAME, name.data(), SQLSMALLINT(name.size()), &length);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
        return {};
    return decodeName(name, length);
}

} // namespace nbr
