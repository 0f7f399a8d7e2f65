#pragma once
// The name of an accounting subject (财务科目) by its code, for listings
// opened without a summary row to take it from.

#include <QString>
#include <optional>

namespace nbr {

class Database;

// Nothing when no subject has the code. Throws DbError when the query fails.
[[nodiscard]] std::optional<QString> lookUpSubjectName(Database& db, const QString& subjectCode);

} // namespace nbr
