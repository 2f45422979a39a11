#pragma once
// What the program knows of a list file as it last read or wrote it: which
// file it was (device and inode), its size and modification time, and a hash
// of its lines. Comparing a stamp with the file as it is now tells whether
// someone else changed or deleted the file meanwhile.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "listfile/linelist.h"

struct stat;

struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool sameFileAs(const FileIdentity& other) const
    {
        return exists && other.exists && device == other.device && inode == other.inode;
    }
    friend bool operator==(const FileIdentity& a, const FileIdentity& b)
    {
        return a.exists == b.exists && a.device == b.device && a.inode == b.inode && a.size == b.size
            && a.modifiedNs == b.modifiedNs;
    }
    friend bool operator!=(const FileIdentity& a, const FileIdentity& b) { return !(a == b); }
};

// The file at path as the file system reports it now (symbolic links
// followed); exists is false when there is none.
FileIdentity identityOf(const std::string& path);
// Where path leads when it is a symbolic link: the file at the end of the
// links (absolute), or the link's own text when that file is missing; empty
// when path is no link.
std::string linkTargetOf(const std::string& path);
// The file that info, from stat or fstat, describes.
FileIdentity identityOf(const struct stat& info);

// A fast hash of the lines' bytes and of where each line ends, so that lines
// joined or split differently hash differently.
std::uint64_t hashOfLines(const LineList& lines);

// The hash of a list's lines, worked out the first time it is asked for:
// until then it keeps a copy of the lines, which shares them with the list in
// memory, so that reading a file costs no extra pass. Ask for the value before
// the lines are changed, or the copy would hold a second table of lines.
class LinesHash {
public:
    explicit LinesHash(LineList lines) : lines_(std::move(lines)) {}
    std::uint64_t value()
    {
        if (lines_) {
            value_ = hashOfLines(*lines_);
            lines_.reset();
        }
        return value_;
    }

private:
    std::optional<LineList> lines_;
    std::uint64_t value_ = 0;
};

enum class DiskState {
    Unchanged,  // the file is as it was read or written
    Changed,    // someone else wrote it, replaced it or put a file where none was
    Deleted,    // it was there and is gone
};

struct ListFileStamp {
    FileIdentity identity;
    // Hash of the lines as read or written; none when the file was not read
    // (a file named as the list in use without being loaded). Copies of a
    // stamp share it.
    std::shared_ptr<LinesHash> linesHash;
    // When the stamp was taken, on the clock file times use.
    std::int64_t takenNs = 0;

    // The stamp of the file at path just before it is read or just after it
    // was written, with the hash of the lines read or written.
    static ListFileStamp of(const std::string& path, std::shared_ptr<LinesHash> linesHash);

    // Compares the file at path with the stamp. The file's size and time
    // settle it when both are unchanged and the file was not written within
    // the timestamp resolution of the stamp's taking; otherwise its lines are
    // read and hashed. A stamp that proved right again later becomes the
    // stamp of the file as it is now, so that the next check needs no read.
    DiskState compareWithDisk(const std::string& path);
    // Whether a file now as identified is known unchanged without reading
    // it: the same file, size and time, and its time can tell.
    bool settledByTime(const FileIdentity& now) const;
};
