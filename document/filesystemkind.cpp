#include "document/filesystemkind.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/vfs.h>

namespace {

std::optional<std::uint32_t> magicOf(const QString& path)
{
    struct statfs info {};
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    // Type numbers are 32 bits; some platforms hold them in a signed word.
    return static_cast<std::uint32_t>(info.f_type);
}

constexpr std::uint32_t networkMagics[] = {
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x65735546,  // FUSE
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x00C36400,  // Ceph
    0x01021997,  // 9p
    0x73757245,  // Coda
};

} // namespace

std::optional<std::uint32_t> fileSystemMagic(const QString& path)
{
    if (const auto magic = magicOf(path))
        return magic;
    return errno == ENOENT ? magicOf(QFileInfo(path).absolutePath()) : std::nullopt;
}

bool isNetworkFileSystem(const QString& path)
{
    const std::optional<std::uint32_t> magic = fileSystemMagic(path);
    if (!magic)
        return false;
    for (std::uint32_t network : networkMagics)
        if (*magic == network)
            return true;
    return false;
}
