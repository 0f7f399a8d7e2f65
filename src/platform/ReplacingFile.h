#pragma once
// A file written under a temporary name in its target folder and renamed
// over the final name only once it is complete: an existing file of that
// name is either replaced by a whole new one or left untouched, and the
// temporary file never outlives a failed or abandoned write, nor a SIGINT,
// SIGTERM or SIGHUP (see InterruptCleanup). A final name that is a symbolic
// link keeps its link: the file it points to is replaced. Only a regular
// file is replaced: a device, a named pipe, a socket or a folder at the name
// (or at the end of its link) is refused before anything is written, for
// root too. A read-only file is never replaced. On Windows the file is flushed and moved over the old
// one with the system's own call.
//
// A process killed outright (SIGKILL, a power cut) cannot remove its
// temporary file: the next replacement in that folder removes such files of
// ours (".nbreport-export-<12 letters or digits>.tmp", the user's own) that
// are over a minute old and that no running process holds (each writer
// keeps a lock on its own until it is done). No other file is ever removed.

#include <QByteArray>
#include <QString>
#include <optional>

namespace nbr {

class ReplacingFile {
public:
    // What the new file takes over from the one it replaces (POSIX).
    struct Kept {
        unsigned mode;
        unsigned owner;
        unsigned group;
    };

    explicit ReplacingFile(const QString& finalPath);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // What a name stands for: the same text for two names exactly when
    // writing to either changes the same file (links followed, an existing
    // file by its device and inode).
    static QString identityOf(const QString& path);
    // A file the user (or an administrator) marked as not to be changed:
    // open() refuses to replace it.
    static bool isReadOnly(const QString& path);

    // Creates the empty temporary file next to the file to replace. Throws
    // FileError (the folder is missing, the file is read-only ...).
    void open();

    // The folder of the file replaced, where the temporary file is.
    const QString& folder() const { return m_folder; }
    const QString& temporaryPath() const { return m_temporaryPath; }

    // Writes the whole content into the temporary file (for writers that do
    // not open it by name themselves). Throws FileError.
    void write(const QByteArray& content);

    // Gives the temporary file the replaced file's permissions (and its
    // owner and group where the process may), flushes it to disk and renames
    // it over the file to replace. Throws FileError when the file could not
    // take its place. Once it has, the replacement has succeeded; the folder
    // is flushed then too, and a failure of that flush comes back as a
    // warning for the user (the new file is in place, but a power cut might
    // still undo the rename).
    [[nodiscard]] std::optional<QString> commit();

private:
    [[noreturn]] void fail(int error) const;

    QString m_finalPath;
    QString m_targetPath; // m_finalPath with symbolic links followed
    QString m_folder;
    QString m_temporaryPath;
    int m_fd = -1;              // the temporary file, locked while it is ours
    std::optional<Kept> m_kept; // of the replaced file (POSIX)
    bool m_committed = false;
};

} // namespace nbr
