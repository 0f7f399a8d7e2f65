#include "platform/ReplacingFile.h"

#include "platform/FileError.h"
#include "platform/InterruptCleanup.h"
#include "platform/SystemErrorText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <string>
#include <windows.h>
#else
#include <cstdio>
#include <sys/file.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The kernel's own limit on chained links.
constexpr int kMaxLinkHops = 40;

// The file a name stands for: links are followed, chains of them too, even
// to a file that does not exist yet.
int followLinks(const QString& path, QString& target) {
    target = QFileInfo(path).absoluteFilePath();
    for (int hops = 0; QFileInfo(target).isSymLink(); ++hops) {
        if (hops == kMaxLinkHops)
            return ELOOP;
        target = QFileInfo(target).symLinkTarget();
    }
    return 0;
}

// A temporary file older than this whose writer holds no lock on it was
// left by a process that was killed.
constexpr qint64 kAbandonedAfterSeconds = 60;

// Our temporary files carry the program's own name and a fixed shape, so that
// no file a person or another program made can pass for one: the clean-up of
// a killed export removes exactly this form and nothing else.
constexpr int kRandomLength = 12;
const QString kTemporaryPrefix = u".nbreport-export-"_s;
const QString kTemporarySuffix = u".tmp"_s;

QString temporaryName() {
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QString random;
    for (int i = 0; i < kRandomLength; ++i)
        random += QLatin1Char(kDigits[QRandomGenerator::global()->bounded(36)]);
    return kTemporaryPrefix + random + kTemporarySuffix;
}

bool isTemporaryName(const QString& fileName) {
    static const QRegularExpression form(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(kTemporaryPrefix) + u"[0-9a-z]{%1}"_s.arg(kRandomLength) +
        QRegularExpression::escape(kTemporarySuffix)));
    return form.match(fileName).hasMatch();
}

#ifdef _WIN32

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// The errno value closest to a Windows error, so that both systems tell the
// user the same words.
int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY; // typically the old workbook is open in a spreadsheet program
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EIO;
    }
}

int createExclusive(const QString& path, unsigned) {
    return ::_wopen(native(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                    _S_IREAD | _S_IWRITE);
}

void closeFile(int fd) {
    ::_close(fd);
}

int writeAll(int fd, const QByteArray& content) {
    for (qsizetype done = 0; done < content.size();) {
        const int n = ::_write(fd, content.constData() + done, unsigned(content.size() - done));
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

void removeFile(const QString& path) {
    ::_wunlink(native(path).c_str());
}

bool readOnly(const QString& path) {
    const DWORD attributes = ::GetFileAttributesW(native(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Something other than a file at the name: a folder, a device.
bool existsAsNonFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

// Windows keeps another process's open files from being removed; what a
// killed export left is simply left.
void removeAbandoned(const QString&) {}

// Flushes the new file, then moves it over the old one in one step.
int flushAndReplace(int fd, const QString& temporary, const QString& target) {
    if (::_commit(fd) != 0)
        return errno;
    if (!::MoveFileExW(native(temporary).c_str(), native(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return errnoOf(::GetLastError());
    return 0;
}

// MOVEFILE_WRITE_THROUGH has already waited for the move to reach the disk.
int syncFolder(const QString&) {
    return 0;
}

QString identity(const QString& path) {
    const QFileInfo info(path);
    return (info.exists() ? info.canonicalFilePath() : info.absoluteFilePath()).toLower();
}

#else

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Created with the replaced file's permissions already (plus the owner's
// writing, the workbook writer opens it by name), so that a private file's
// data is never readable by others on its way. The lock tells a later
// writer's clean-up that the file is in use.
int createExclusive(const QString& path, unsigned mode) {
    const int fd = ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0)
        ::flock(fd, LOCK_EX | LOCK_NB);
    return fd;
}

void closeFile(int fd) {
    ::close(fd);
}

int writeAll(int fd, const QByteArray& content) {
    for (qsizetype done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : EIO;
        done += n;
    }
    return 0;
}

void removeFile(const QString& path) {
    ::unlink(native(path).constData());
}

// No write permission at all, or none for this user: the file is meant to
// stay as it is (root may write anything, so the bits decide for it).
bool readOnly(const QString& path) {
    struct stat st {};
    if (::stat(native(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return (st.st_mode & 0222) == 0 ||
           (::access(native(path).constData(), W_OK) != 0 && errno == EACCES);
}

// A device, a named pipe, a socket or a folder at the name (links followed):
// only a regular file is ever replaced.
bool existsAsNonFile(const QString& path) {
    struct stat st {};
    return ::stat(native(path).constData(), &st) == 0 && !S_ISREG(st.st_mode);
}

// Removes the temporary files that a killed export left in the folder: the
// exact name form of ours, a regular file of this user's, unchanged for over
// a minute, and held by no running export (each holds a lock on its own).
void removeAbandoned(const QString& folder) {
    const time_t before = ::time(nullptr) - kAbandonedAfterSeconds;
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!isTemporaryName(name))
            continue;
        const QByteArray path = native(folder + u'/' + name);
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            st.st_mtime < before && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

// Keeps the replaced file's owner and group where the process may (root; a
// group the user belongs to), then its permissions exactly (the creation
// mode went through the umask, and a change of owner clears set-id bits),
// flushes the data and renames the file over the old one, which rename(2)
// does in one step, unlike QFile::rename.
int flushAndReplace(int fd, const QString& temporary, const QString& target,
                    const std::optional<ReplacingFile::Kept>& kept) {
    if (kept) {
        // Otherwise the new file stays the exporting user's, which is no failure.
        const bool ownerKept = ::fchown(fd, uid_t(kept->owner), gid_t(kept->group)) == 0 ||
                               ::fchown(fd, uid_t(-1), gid_t(kept->group)) == 0;
        Q_UNUSED(ownerKept);
        if (::fchmod(fd, mode_t(kept->mode)) != 0)
            return errno;
    }
    if (::fsync(fd) != 0)
        return errno;
    return std::rename(native(temporary).constData(), native(target).constData()) == 0 ? 0 : errno;
}

int syncFolder(const QString& folder) {
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // EINVAL: a file system that cannot sync folders, nothing to wait for.
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
}

// An existing file by its device and inode (hard links too), else the
// absolute name with the links of the name and of its folders followed.
QString identity(const QString& path) {
    struct stat st {};
    if (::stat(native(path).constData(), &st) == 0)
        return u"%1:%2"_s.arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
    QString target;
    if (followLinks(path, target) != 0)
        return QFileInfo(path).absoluteFilePath();
    const QFileInfo info(target);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

#endif

} // namespace

ReplacingFile::ReplacingFile(const QString& finalPath) : m_finalPath(finalPath) {}

ReplacingFile::~ReplacingFile() {
    if (m_fd >= 0)
        closeFile(m_fd);
    if (m_temporaryPath.isEmpty() || m_committed)
        return;
    removeFile(m_temporaryPath);
    InterruptCleanup::untrack();
}

QString ReplacingFile::identityOf(const QString& path) {
    return identity(path);
}

bool ReplacingFile::isReadOnly(const QString& path) {
    return readOnly(path);
}

void ReplacingFile::open() {
    if (const int error = followLinks(m_finalPath, m_targetPath))
        fail(error);
    const QFileInfo target(m_targetPath);
    m_folder = target.absolutePath();
    if (existsAsNonFile(m_targetPath))
        throw FileError(EINVAL, u"不是普通文件："_s + QDir::toNativeSeparators(m_finalPath));
    if (readOnly(m_targetPath))
        throw FileError(EACCES, u"文件只读："_s + QDir::toNativeSeparators(m_finalPath));
    removeAbandoned(m_folder);
#ifndef _WIN32
    struct stat replaced {};
    if (::stat(native(m_targetPath).constData(), &replaced) == 0 && S_ISREG(replaced.st_mode))
        m_kept = Kept{replaced.st_mode & 07777u, replaced.st_uid, replaced.st_gid};
#endif
    const unsigned mode = m_kept ? m_kept->mode | 0600 : 0666;
    for (;;) {
        const QString path = m_folder + u'/' + temporaryName();
        const int fd = createExclusive(path, mode);
        if (fd >= 0) {
            m_fd = fd;
            InterruptCleanup::track(path);
            m_temporaryPath = path;
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
}

void ReplacingFile::write(const QByteArray& content) {
    if (const int error = writeAll(m_fd, content))
        fail(error);
}

std::optional<QString> ReplacingFile::commit() {
    // What took the name while the workbook was written is not replaced either.
    if (existsAsNonFile(m_targetPath))
        throw FileError(EINVAL, u"不是普通文件："_s + QDir::toNativeSeparators(m_finalPath));
#ifdef _WIN32
    const int error = flushAndReplace(m_fd, m_temporaryPath, m_targetPath);
#else
    const int error = flushAndReplace(m_fd, m_temporaryPath, m_targetPath, m_kept);
#endif
    if (error != 0)
        fail(error);
    m_committed = true;
    InterruptCleanup::untrack();
    if (const int folderError = syncFolder(m_folder))
        return u"注意：无法确认文件夹已写入磁盘（"_s + systemErrorText(folderError) +
               u"），断电后新文件可能丢失"_s;
    return std::nullopt;
}

void ReplacingFile::fail(int error) const {
    throw FileError(error, u"无法保存文件“"_s + m_finalPath + u"”："_s + systemErrorText(error));
}

} // namespace nbr
