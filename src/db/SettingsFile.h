#pragma once
// One settings file in the plain form administrators write by hand:
//
//     ; a comment            # also a comment
//     [DBConfig]
//     Svr = db01\SQLEXPRESS
//     PWD = p@ss;word"x
//
// A value is everything after the first "=" up to the end of the line, with
// the blanks around it trimmed and one pair of double quotes around the whole
// of it removed (a quoted value keeps its blanks). Nothing else is special:
// no escapes, no lists, no comments after a value. Sections and keys compare
// without regard to case, as the Windows registry does; a key given twice
// takes its last value.

#include <QHash>
#include <QString>
#include <optional>

namespace nbr {

class SettingsFile {
public:
    // Reads the file (UTF-8, with or without a byte order mark). Throws
    // SettingsError naming the file, and the line where there is one, when it
    // cannot be read, is not UTF-8 or holds a line that is none of the above.
    static SettingsFile read(const QString& path);

    // The value of the key in the section; nothing when the file lacks it.
    std::optional<QString> value(const QString& section, const QString& key) const;

private:
    QHash<QString, QString> m_values; // "section\nkey" in lower case -> value
};

} // namespace nbr
