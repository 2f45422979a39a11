#pragma once
// A small tmpfs mounted on a folder for one test, to fill a disk for real.
// The mount is made in a mount table of the calling thread's own, so the
// rest of the system never sees it, and it goes when the object does.
// Needs root (or CAP_SYS_ADMIN); mounted() says whether it worked.
#include <QString>

class SmallFileSystem {
public:
    SmallFileSystem(const QString& folder, const QString& size);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    // Writes a file that takes all the room left.
    void fill(const QString& fileName) const;

private:
    QString folder_;
    bool mounted_ = false;
};
