#pragma once
// A small tmpfs mounted for one test, in the test process's own mount
// namespace: nobody else sees it, it holds exactly as much as the test
// allows, and it goes with this object. Mounting needs the privilege to
// create a mount namespace (root, as in CI); check mounted().

#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace nbr::test {

class PrivateTmpfs {
public:
    explicit PrivateTmpfs(const QString& dir, const char* size = "size=64k")
        : m_dir(QFile::encodeName(dir)) {
        static const bool ownNamespace =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        m_mounted = ownNamespace && ::mount("tmpfs", m_dir, "tmpfs", 0, size) == 0;
    }
    ~PrivateTmpfs() {
        if (m_mounted)
            ::umount2(m_dir.constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    // Writes a filler file until no more than `room` bytes are left free.
    void fill(qint64 room = 0) {
        struct statvfs fs {};
        ::statvfs(m_dir.constData(), &fs);
        const qint64 free = qint64(fs.f_bavail) * qint64(fs.f_frsize);
        const int fd = ::open((m_dir + "/filler").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray block(4096, 'x');
        for (qint64 left = free - room; left > 0; left -= block.size())
            if (::write(fd, block.constData(), size_t(std::min<qint64>(left, block.size()))) <= 0)
                break;
        while (room == 0 && ::write(fd, "x", 1) == 1) {
        }
        ::close(fd);
    }

private:
    QByteArray m_dir;
    bool m_mounted = false;
};

} // namespace nbr::test
