#pragma once
// How a connection's text crosses the ODBC boundary, in one place. Drivers
// with Unicode entry points (FreeTDS, the Windows drivers) are called through
// the W functions with UTF-16; Debian's SQLite3 driver has only ANSI entry
// points and keeps its data in UTF-8, so it is called through the A functions
// with UTF-8 bytes (the driver manager's own W-to-A mapping depends on the
// process locale and would lose Chinese text under the C locale).
//
// Every text-bearing call names its A or W entry point explicitly: Windows
// builds define UNICODE, which would turn the plain names into W ones.

#ifdef _WIN32
#include <windows.h> // the Windows ODBC headers build on its types
#endif
#include <sql.h>
#include <sqlext.h>

#include <QByteArray>
#include <QString>

namespace nbr {

enum class OdbcTextMode { Wide, Utf8 };

// One diagnostic record of a handle.
struct OdbcDiagnostic {
    QString sqlState;
    int native = 0;
    QString message;
};

class OdbcText {
public:
    explicit OdbcText(OdbcTextMode mode) : m_mode(mode) {}

    // The C type of text values (SQL_C_WCHAR or SQL_C_CHAR) and the bytes of
    // one code unit, which is also the size of a terminating NUL.
    SQLSMALLINT cType() const;
    SQLLEN unitBytes() const;
    // Text in the mode's encoding with a terminating NUL, and back.
    QByteArray encode(const QString& text) const;
    QString decode(const char* data, qsizetype bytes) const;

    [[nodiscard]] SQLRETURN driverConnect(SQLHDBC dbc, const QString& connectionString) const;
    [[nodiscard]] SQLRETURN execDirect(SQLHSTMT stmt, const QString& sql) const;
    // Binds an encoded value (encode()) as text parameter number; both the
    // value and its length must live until the statement has run.
    [[nodiscard]] SQLRETURN bindParameter(SQLHSTMT stmt, SQLUSMALLINT number, QByteArray& value,
                                          SQLLEN& length) const;
    [[nodiscard]] SQLRETURN describeColumn(SQLHSTMT stmt, SQLUSMALLINT column, QString& name,
                                           SQLSMALLINT& dataType) const;
    // Record number of the handle's diagnostics; false when there is none.
    [[nodiscard]] bool diagnostic(SQLSMALLINT handleType, SQLHANDLE handle, SQLSMALLINT record,
                                  OdbcDiagnostic& out) const;
    // The driver's DBMS name ("Microsoft SQL Server", "SQLite"); empty when unknown.
    QString dbmsName(SQLHDBC dbc) const;

private:
    bool wide() const { return m_mode == OdbcTextMode::Wide; }
    // A name or message the driver wrote: cut at the first NUL, as some
    // drivers pad names with them.
    QString decodeName(const QByteArray& buffer, qsizetype bytes) const;

    OdbcTextMode m_mode;
};

} // namespace nbr
