#pragma once
// The two queries of a login attempt: the password check and the list of the
// employee's current positions. Values are bound parameters, never spliced.

#include "session/SessionState.h"

#include <QString>
#include <vector>

namespace nbr {

class Database;

// One current position of the employee, in the SessionState field order:
// field 0 the typed employee number, fields 1..9 the copied columns.
struct PositionRecord {
    std::array<QString, SessionState::kFieldCount> fields;
    bool isMain = false;

    // The position list's line: department name, blank, position name, "(主要)"/"(兼职)".
    QString listLine() const;
};

QString passwordCheckSql();
QString positionQuerySql();

// True when the employee number (exactly as typed) and the password (without
// its edge blanks) match a row of the staff table. Throws DbError.
[[nodiscard]] bool passwordMatches(Database& db, const QString& user, const QString& password);

// The employee's positions that have not ended, provided the employee has not
// left, in database order. A NULL in a copied column reads as empty text.
// Throws DbError.
[[nodiscard]] std::vector<PositionRecord> loadPositions(Database& db, const QString& user);

} // namespace nbr
