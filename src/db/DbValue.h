#pragma once
// One field value as the database layer delivers it: text, or NULL.
// Every value is fetched as text; the conversions the program needs live here.

#include <QString>

namespace nbr {

// A code as SQL Server compares it: without trailing blanks, so "0102      "
// (as a char(n) column pads it) and "0102" are the same department.
QString withoutTrailingBlanks(const QString& code);

class DbValue {
public:
    DbValue() = default; // NULL
    explicit DbValue(QString text) : m_text(std::move(text)), m_null(false) {}

    bool isNull() const { return m_null; }
    // The text; NULL reads as empty text.
    const QString& text() const { return m_text; }
    // The text of a code (department, subject) without the trailing blanks a
    // char(n) column pads it with (see withoutTrailingBlanks).
    QString code() const { return withoutTrailingBlanks(m_text); }
    // A flag column: 1, -1, true, yes (any case, blanks ignored) is true; NULL is false.
    bool toFlag() const;
    // A date or date-time (ISO "2026-03-05", "2026-03-05 14:30:00.000") as
    // "yyyy-mm-dd"; NULL or unreadable text gives empty text.
    QString toDateText() const;

private:
    QString m_text;
    bool m_null = true;
};

} // namespace nbr
