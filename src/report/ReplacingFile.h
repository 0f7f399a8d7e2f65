#pragma once
// A file written under a temporary name in its target folder and renamed
// over the final name only once it is complete: an existing file of that
// name is either replaced by a whole new one or left untouched, and the
// temporary file never outlives a failed or abandoned write.

#include <QString>

namespace nbr {

class ReplacingFile {
public:
    explicit ReplacingFile(const QString& finalPath);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    const QString& finalPath() const { return m_finalPath; }
    // Next to the final name, so the rename never crosses file systems.
    const QString& temporaryPath() const { return m_temporaryPath; }

    // Renames the temporary file over the final name; 0 on success, else errno.
    int commit();

private:
    QString m_finalPath;
    QString m_temporaryPath;
    bool m_committed = false;
};

} // namespace nbr
