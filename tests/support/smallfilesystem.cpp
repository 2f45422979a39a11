#include "smallfilesystem.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

SmallFileSystem::SmallFileSystem(const QString& folder, const QString& size) : folder_(folder)
{
    const QByteArray path = QFile::encodeName(folder);
    const QByteArray options = "size=" + size.toLatin1() + ",mode=0777";
    // Private to this thread: once unshared, mounts made here do not spread.
    mounted_ = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
        && ::mount("quindle-test", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) == 0;
}

SmallFileSystem::~SmallFileSystem()
{
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

void SmallFileSystem::fill(const QString& fileName) const
{
    const QByteArray path = QFile::encodeName(QDir(folder_).filePath(fileName));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const QByteArray block(4096, 'f');
    while (fd >= 0 && ::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    if (fd >= 0) {
        // Single bytes fill what a whole block could not.
        while (::write(fd, "f", 1) > 0) {
        }
        ::close(fd);
    }
}
