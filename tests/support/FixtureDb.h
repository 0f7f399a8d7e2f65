#pragma once
// Builds a small SQLite database with the program's schema for one test
// scenario, written with the sqlite3 library (the program itself only reads,
// through ODBC). Values given as QVariant: a null QVariant stores NULL.

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantList>

struct sqlite3;

namespace nbr::test {

class FixtureDb {
public:
    // Creates (or replaces) the file and its schema.
    explicit FixtureDb(const QString& path);
    ~FixtureDb();
    FixtureDb(const FixtureDb&) = delete;
    FixtureDb& operator=(const FixtureDb&) = delete;

    const QString& path() const { return m_path; }

    // Any statement, with "?" parameters.
    void exec(const QString& sql, const QVariantList& values = {});

    // A department with an optional active parent link (empty parent: none).
    void addDepartment(const QString& code, const QString& name, const QString& parent = {},
                       const QVariant& endDate = {});
    void addParentLink(const QString& code, const QString& parent, const QVariant& endDate = {});

    void addEmployee(const QString& number, const QString& password, const QString& name,
                     const QVariant& leftDate = {});
    // A position with its category; categories and department categories are
    // created on first use.
    void addPosition(const QString& code, const QString& name, const QString& deptCode,
                     const QString& categoryCode = QStringLiteral("G1"));
    void assignPosition(const QString& employee, const QString& position, bool main,
                        const QVariant& endDate = {});

    void addSubject(const QString& code, const QString& name);
    // A claim header; returns its 报销单ID.
    qint64 addClaim(const QString& number, const QString& deptCode, const QString& date,
                    const QString& type = QStringLiteral("非预算"),
                    const QVariant& claimant = QStringLiteral("张三"),
                    const QVariant& approvalDate = {}, const QVariant& approved = 1,
                    const QVariant& paymentDate = {});
    void addLine(qint64 claimId, const QString& subject, const QVariant& amount,
                 const QVariant& tax = {}, const QVariant& summary = {});

    // Closes the file so that readers see everything.
    void close();

private:
    QString m_path;
    sqlite3* m_db = nullptr;
};

// Copies a database into a new file whose columns carry SQL Server's types:
// codes char(n) or nchar(n) (so a TDS server pads them with blanks), dates
// datetime, flags bit, amounts money and decimal(18,2), names nvarchar(n).
// Rows and indexes are copied as they are.
void copyWithSqlServerTypes(const QString& source, const QString& target);

// Writes a settings file with section DBConfig holding these keys, each value
// as it is; returns the path.
QString writeSettingsFile(const QString& path, const QList<QPair<QString, QString>>& keys);
// Writes the settings for the file under configHome/Corvale2011/ and points
// XDG_CONFIG_HOME there.
void writeSettingsFor(const QString& configHome, const QString& dbPath);
// The same for a SQL Server reached through the default driver (FreeTDS).
void writeServerSettingsFor(const QString& configHome, const QString& server, const QString& user,
                            const QString& password, const QString& database);

} // namespace nbr::test
