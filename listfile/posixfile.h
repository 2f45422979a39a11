#pragma once
// Small POSIX pieces that the list file's readers and writers share.
#include <string>
#include <string_view>
#include <utility>

#include <unistd.h>

// Closes a descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// The folder part of path: "." for a bare name, "/" for a file in the root.
std::string folderOf(const std::string& path);
std::string_view fileNameOf(std::string_view path);

// Makes a rename or removal in folder survive a crash. Failing changes
// nothing about the files, so it is not reported.
void syncFolder(const std::string& folder);
