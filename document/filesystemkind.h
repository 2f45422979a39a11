#pragma once
// What kind of file system a list lives on. On a network file system the
// program cannot count on being told of changes (the watcher sees only this
// machine's writes) and other machines may write the list at any moment.
#include <QString>
#include <cstdint>
#include <optional>

// The file system's type number (statfs f_type: 0xEF53 for ext4, 0x01021994
// for tmpfs, 0x6969 for NFS) of path, or of its folder while path does not
// exist; none when neither does.
std::optional<std::uint32_t> fileSystemMagic(const QString& path);

// Whether path, or its folder while path does not exist, lies on a network
// file system: NFS, SMB/CIFS, FUSE (sshfs, GlusterFS...), AFS, Ceph, 9p,
// Coda. False when that cannot be found out.
bool isNetworkFileSystem(const QString& path);
