#pragma once
// A file written under a temporary name in its target folder and renamed
// over the final name only once it is complete: an existing file of that
// name is either replaced by a whole new one or left untouched, and the
// temporary file never outlives a failed or abandoned write, nor a SIGINT,
// SIGTERM or SIGHUP (see InterruptCleanup). A final name that is a symbolic
// link keeps its link: the file it points to is replaced. On Windows the
// file is flushed and moved over the old one with the system's own call.

#include <QString>
#include <optional>

namespace nbr {

class ReplacingFile {
public:
    explicit ReplacingFile(const QString& finalPath);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the empty temporary file next to the file to replace. Throws
    // FileError (e.g. the folder is missing).
    void open();

    // The folder of the file replaced, where the temporary file is.
    const QString& folder() const { return m_folder; }
    const QString& temporaryPath() const { return m_temporaryPath; }

    // Gives the temporary file the replaced file's permissions, flushes it to
    // disk, renames it over the file to replace and flushes the folder, so
    // that success means the new file survives a power cut. Throws FileError.
    void commit();

private:
    [[noreturn]] void fail(int error) const;

    QString m_finalPath;
    QString m_targetPath; // m_finalPath with symbolic links followed
    QString m_folder;
    QString m_temporaryPath;
    std::optional<unsigned> m_keptMode; // the replaced file's permissions (POSIX)
    bool m_committed = false;
};

} // namespace nbr
