#include "workbook/ReplacingFile.h"

#include "platform/FileError.h"
#include "platform/InterruptCleanup.h"
#include "platform/SystemErrorText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The kernel's own limit on chained links.
constexpr int kMaxLinkHops = 40;
// The longest file name most file systems take, in bytes (ext4, XFS) or in
// UTF-16 units (NTFS); counting UTF-8 bytes is safe for both.
constexpr qsizetype kMaxNameBytes = 255;

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

// "<name>.tmp-<random>", the name cut at a character boundary where needed
// so that the whole stays within the length a file name may have: a target
// name of legal length always gets a temporary name.
QString temporaryName(const QString& fileName) {
    const QByteArray name = fileName.toUtf8();
    const QByteArray suffix =
        ".tmp-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    qsizetype keep = std::min(name.size(), kMaxNameBytes - suffix.size());
    while (keep > 0 && keep < name.size() && (uchar(name[keep]) & 0xC0) == 0x80) // inside a character
        --keep;
    return QString::fromUtf8(name.left(keep) + suffix);
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

void removeFile(const QString& path) {
    ::_wunlink(native(path).c_str());
}

// Flushes the new file, then moves it over the old one in one step.
int flushAndReplace(const QString& temporary, const QString& target, std::optional<unsigned>) {
    const int fd = ::_wopen(native(temporary).c_str(), _O_RDWR | _O_BINARY);
    if (fd < 0)
        return errno;
    const int error = ::_commit(fd) == 0 ? 0 : errno;
    ::_close(fd);
    if (error != 0)
        return error;
    if (!::MoveFileExW(native(temporary).c_str(), native(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return errnoOf(::GetLastError());
    return 0;
}

// MOVEFILE_WRITE_THROUGH has already waited for the move to reach the disk.
int syncFolder(const QString&) {
    return 0;
}

#else

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Created with the replaced file's permissions already (plus the owner's
// writing, the workbook writer opens it by name), so that a private file's
// data is never readable by others on its way.
int createExclusive(const QString& path, unsigned mode) {
    return ::open(native(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

void removeFile(const QString& path) {
    ::unlink(native(path).constData());
}

// Sets the kept permissions exactly (the creation mode went through the
// umask), flushes the data and renames the file over the old one, which
// rename(2) does in one step, unlike QFile::rename.
int flushAndReplace(const QString& temporary, const QString& target,
                    std::optional<unsigned> keptMode) {
    const int fd = ::open(native(temporary).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    if (keptMode && ::fchmod(fd, mode_t(*keptMode)) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    ::close(fd);
    if (error != 0)
        return error;
    return std::rename(native(temporary).constData(), native(target).constData()) == 0 ? 0
                                                                                     : errno;
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

#endif

} // namespace

ReplacingFile::ReplacingFile(const QString& finalPath) : m_finalPath(finalPath) {}

ReplacingFile::~ReplacingFile() {
    if (m_temporaryPath.isEmpty() || m_committed)
        return;
    removeFile(m_temporaryPath);
    InterruptCleanup::untrack();
}

void ReplacingFile::open() {
    if (const int error = followLinks(m_finalPath, m_targetPath))
        fail(error);
    const QFileInfo target(m_targetPath);
    m_folder = target.absolutePath();
#ifndef _WIN32
    struct stat replaced {};
    if (::stat(native(m_targetPath).constData(), &replaced) == 0 && S_ISREG(replaced.st_mode))
        m_keptMode = replaced.st_mode & 07777;
#endif
    const unsigned mode = m_keptMode ? *m_keptMode | 0600 : 0666;
    for (;;) {
        const QString path = m_folder + u'/' + temporaryName(target.fileName());
        const int fd = createExclusive(path, mode);
        if (fd >= 0) {
#ifdef _WIN32
            ::_close(fd);
#else
            ::close(fd);
#endif
            InterruptCleanup::track(path);
            m_temporaryPath = path;
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
}

void ReplacingFile::commit() {
    if (const int error = flushAndReplace(m_temporaryPath, m_targetPath, m_keptMode))
        fail(error);
    m_committed = true;
    InterruptCleanup::untrack();
    if (const int error = syncFolder(m_folder))
        fail(error);
}

void ReplacingFile::fail(int error) const {
    throw FileError(error, u"无法保存文件“"_s + m_finalPath + u"”："_s + systemErrorText(error));
}

} // namespace nbr
