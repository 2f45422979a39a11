#pragma once
// What the document knows of the list file in use and of the file it last
// read (which becomes the list in use right after it is loaded): the stamp of
// each as last read or written, so that a save can tell whether someone else
// changed the file meanwhile, and where each led as a symbolic link then, so
// that a save asks before writing through a link that was not there. The hash
// of the lines last read or written is worked out later, and must be before
// those lines change.
#include <memory>
#include <string>

#include "document/listfilestamp.h"
#include "document/savecycle.h"
#include "listfile/linelist.h"
#include "listfile/listfileio.h"

class KnownListFile {
public:
    // path is the list file in use, taken as it stands.
    explicit KnownListFile(const std::string& path) : stamp_(ListFileStamp::of(path, nullptr)) {}

    // The list file in use as last read or written, or as it stood when it
    // became the list in use.
    ListFileStamp& stamp() { return stamp_; }
    // Where the list file in use led when last loaded or saved; empty: no link.
    const std::string& linkTarget() const { return linkTarget_; }

    // Reads path into into; the stamp of what was read, taken before reading
    // (a change while it is read shows as a change), without hash.
    static ListFileStamp read(const std::string& path, LineList& into, const ReadProgress& progress = {});
    // read, with the hash of the lines worked out before they change.
    static ListFileStamp readHashed(const std::string& path, LineList& into, const ReadProgress& progress = {});
    // Tells job, a save onto the list file in use, what is known of the file.
    void describeTo(SaveJob& job) const;

    // path becomes the list file in use. Unless it was the file last read,
    // it is taken as it stands now; the same file under another name (made
    // absolute, say) keeps what is known of it.
    void use(const std::string& path);
    // path was read as stamp, when it led to linkTarget; inUse: it is the
    // list file in use.
    void rememberRead(const std::string& path, const ListFileStamp& stamp, bool inUse);
    void rememberLink(const std::string& linkTarget, bool inUse);
    // The list file in use, path, was just written as stamp, whose hash is
    // worked out later.
    void rememberWritten(const std::string& path, const ListFileStamp& stamp);
    // The hash of lines, just read, worked out later.
    std::shared_ptr<LinesHash> hashLater(const LineList& lines);
    // Works out the hash of the lines last read or written while they are
    // still as they were.
    void settlePendingHash();

private:
    ListFileStamp stamp_;
    std::string lastReadPath_;
    ListFileStamp lastReadStamp_;
    std::string linkTarget_;
    std::string lastReadLinkTarget_;
    std::shared_ptr<LinesHash> pendingHash_;
};
