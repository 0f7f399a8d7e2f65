#include "workbook/ReplacingFile.h"

#include "platform/FileError.h"
#include "platform/InterruptCleanup.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace nbr {

namespace {

// The kernel's own limit on chained links.
constexpr int kMaxLinkHops = 40;

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

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
// so that the whole stays within the bytes a file name may have: a target
// name of legal length always gets a temporary name.
QByteArray temporaryName(const QByteArray& fileName) {
    const QByteArray suffix =
        ".tmp-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
    qsizetype keep = std::min(fileName.size(), qsizetype(NAME_MAX) - suffix.size());
    while (keep > 0 && keep < fileName.size() &&
           (uchar(fileName[keep]) & 0xC0) == 0x80) // inside a UTF-8 sequence
        --keep;
    return fileName.left(keep) + suffix;
}

int syncFolder(const QString& folder) {
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // EINVAL: a file system that cannot sync folders, nothing to wait for.
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
}

} // namespace

ReplacingFile::ReplacingFile(const QString& finalPath) : m_finalPath(finalPath) {}

ReplacingFile::~ReplacingFile() {
    if (m_temporaryPath.isEmpty() || m_committed)
        return;
    ::unlink(encoded(m_temporaryPath).constData());
    InterruptCleanup::untrack();
}

void ReplacingFile::open() {
    if (const int error = followLinks(m_finalPath, m_targetPath))
        fail(error);
    const QFileInfo target(m_targetPath);
    m_folder = target.absolutePath();
    struct stat replaced {};
    if (::stat(encoded(m_targetPath).constData(), &replaced) == 0 && S_ISREG(replaced.st_mode))
        m_keptMode = replaced.st_mode & 07777;
    // Created with those permissions already (plus the owner's writing, the
    // workbook writer opens it by name), so that a private file's data is
    // never readable by others on its way.
    const QByteArray name = encoded(target.fileName());
    for (;;) {
        const QByteArray path = encoded(m_folder) + '/' + temporaryName(name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              m_keptMode ? *m_keptMode | S_IRUSR | S_IWUSR : 0666);
        if (fd >= 0) {
            ::close(fd);
            InterruptCleanup::track(path);
            m_temporaryPath = QFile::decodeName(path);
            return;
        }
        if (errno != EEXIST)
            fail(errno);
    }
}

void ReplacingFile::commit() {
    const QByteArray temporary = encoded(m_temporaryPath);
    const QByteArray target = encoded(m_targetPath);
    const int fd = ::open(temporary.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fail(errno);
    int error = 0;
    // The creation mode went through the umask; this sets it exactly.
    if (m_keptMode && ::fchmod(fd, *m_keptMode) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    ::close(fd);
    if (error != 0)
        fail(error);
    // rename(2) replaces an existing file in one step, unlike QFile::rename.
    if (std::rename(temporary.constData(), target.constData()) != 0)
        fail(errno);
    m_committed = true;
    InterruptCleanup::untrack();
    error = syncFolder(m_folder);
    if (error != 0)
        fail(error);
}

void ReplacingFile::fail(int error) const {
    throw FileError(error, u"无法保存文件“"_s + m_finalPath + u"”："_s +
                               QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace nbr
