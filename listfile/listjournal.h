#pragma once
// The journal of changes not yet saved: every operation applied to the list
// in memory, and every undo and redo of one, is appended to a file and
// flushed to the disk before the command returns, so that after a crash, a
// kill or a power cut the next start can offer the changes back.
//
// The file: a text line naming the format and its version, then a header
// frame, then one frame per record. A frame is a marker, its kind, its
// sequence number, the length of its payload, a CRC-32 of those and one of
// the payload; the record CRCs are chained to the header's, so frames of
// another journal (old blocks a file system hands back after a power cut)
// never pass for ours. A file cut at any byte, a flipped byte or garbage
// never gives a wrong record: reading stops at the first frame that is not
// whole and counts the records it could not read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "listfile/listoperation.h"
#include "listfile/systemfile.h"

constexpr std::uint32_t journalFormatVersion = 1;
// The largest payload a record may declare; a longer one is damage. The
// writer refuses a change this large rather than journal it unreadably.
constexpr std::uint32_t largestJournalRecord = 64u << 20;

// The list file as it was when the journal was started. This program writes
// it empty and never reads it: each record names the line its change
// replaced, which tells a recovery more (which projects changed on disk
// since) than a stamp of the whole file could. It stays in the format so
// that journals written with it are read as before.
struct JournalBase {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    // The caller's hash of the lines it loaded.
    std::uint64_t linesHash = 0;

    friend bool operator==(const JournalBase& a, const JournalBase& b)
    {
        return a.exists == b.exists && a.size == b.size && a.modifiedNs == b.modifiedNs && a.linesHash == b.linesHash;
    }
};

// The process writing a journal, told apart from a later one that reuses its
// id by the boot and the process's start time.
struct JournalProcess {
    std::int64_t pid = 0;
    std::string hostName;
    // The system's id of the boot (bootId()).
    std::string bootId;
    // When the process started, in the system's units (processStartTime()).
    std::uint64_t startTicks = 0;

    friend bool operator==(const JournalProcess& a, const JournalProcess& b)
    {
        return a.pid == b.pid && a.hostName == b.hostName && a.bootId == b.bootId && a.startTicks == b.startTicks;
    }
};

struct JournalHeader {
    // Written as journalFormatVersion whatever it holds; read as found.
    std::uint32_t formatVersion = journalFormatVersion;
    // The list file's absolute path.
    std::string listPath;
    JournalBase base;
    JournalProcess process;
    // Wall-clock time the journal was started, ns since the epoch.
    std::int64_t startedNs = 0;

    friend bool operator==(const JournalHeader& a, const JournalHeader& b)
    {
        return a.formatVersion == b.formatVersion && a.listPath == b.listPath && a.base == b.base
            && a.process == b.process && a.startedNs == b.startedNs;
    }
    friend bool operator!=(const JournalHeader& a, const JournalHeader& b) { return !(a == b); }
};

// One step of the journal. An operation is stored as a Put or a Remove
// record after its own kind; Undo takes back the last operation in effect,
// Redo puts back the last one taken back.
struct JournalRecord {
    enum class Kind : std::uint8_t { Operation, Undo, Redo };
    Kind kind = Kind::Operation;
    // Operation only.
    ListOperation operation;

    static JournalRecord of(ListOperation op) { return {Kind::Operation, std::move(op)}; }
    static JournalRecord undo() { return {Kind::Undo, {}}; }
    static JournalRecord redo() { return {Kind::Redo, {}}; }

    friend bool operator==(const JournalRecord& a, const JournalRecord& b)
    {
        return a.kind == b.kind && (a.kind != Kind::Operation || a.operation == b.operation);
    }
    friend bool operator!=(const JournalRecord& a, const JournalRecord& b) { return !(a == b); }
};

enum class JournalStatus {
    // A journal of this format version: header and records as far as whole.
    Ok,
    Missing,
    NotAJournal,
    OtherVersion,
    // A folder, pipe, device or socket.
    NotAFile,
    // Exists but cannot be opened or read to its end (what was read before
    // the failure is kept and the rest counted unreadable).
    Unreadable,
};

struct JournalContents {
    JournalStatus status = JournalStatus::Missing;
    // Only when the header frame is whole.
    std::optional<JournalHeader> header;
    // The records in order up to the first damage; nothing after it.
    std::vector<JournalRecord> records;
    // Records that could not be read: 0 when the journal ends cleanly after
    // a record; else 1 for the first damage plus each whole record found
    // after it.
    std::size_t unreadable = 0;
};

// The operations in effect after replaying the records' undos and redos.
struct JournalReplay {
    // In the order they were applied.
    std::vector<ListOperation> inEffect;
    // Taken back and not yet put back; the next Redo takes the last.
    std::vector<ListOperation> undone;
    // Records replayed, and those not: an Undo or Redo with nothing to act on
    // is damage, and neither it nor anything after it is replayed.
    std::size_t replayed = 0;
    std::size_t unreadable = 0;
};

// The journal file's bytes: the version line, the header and the records.
std::string encodeJournal(const JournalHeader& header, const std::vector<JournalRecord>& records);

// Decodes a journal from pieces of its bytes, as they are read. The result
// does not depend on where the pieces break, and the bytes held between
// pieces stay below one record, whatever the input.
class JournalDecoder {
public:
    void feed(std::string_view bytes);
    // False once more bytes can change nothing (not a journal of ours).
    bool wantsMore() const { return stage_ != Stage::Finished; }
    // Whether zero bytes fed now would change nothing: past damage, with no
    // frame begun. A reader may then skip the holes of a sparse file.
    bool passesOverZeros() const { return stage_ == Stage::SkippingDamage && held_.empty(); }
    // The result, counting a cut frame at the end as unreadable.
    JournalContents finish();

private:
    enum class Stage { VersionLine, Header, Records, SkippingDamage, Finished };
    void decodeHeld();
    bool decodeVersionLine();
    void damaged(std::size_t resumeAt);

    Stage stage_ = Stage::VersionLine;
    std::string held_;
    std::size_t at_ = 0;
    std::uint32_t chain_ = 0;
    std::uint64_t lastSequence_ = 0;
    JournalContents contents_{JournalStatus::Ok, {}, {}, 0};
};

JournalContents decodeJournal(std::string_view bytes);

// Reads the journal at path. Only a plain file is read (a symbolic link to
// one is followed); a pipe never blocks, and a file of any size is read in
// pieces with bounded memory.
JournalContents readJournal(const std::string& path);

JournalReplay replayJournal(const std::vector<JournalRecord>& records);

// CRC-32 (the one of zlib and PNG); previous continues a running CRC.
std::uint32_t crc32(std::string_view bytes, std::uint32_t previous = 0);

JournalProcess currentJournalProcess();
// Whether the process is running now: same host and boot, and a process of
// that pid started at that moment.
bool journalProcessIsAlive(const JournalProcess& process);

// The journal's file name for a list: its base name made safe, a hash of the
// whole path in 16 hex digits, ".journal" ("Projects.txt-0123456789abcdef.journal").
std::string journalFileName(const std::string& absoluteListPath);

// Whether a running writer holds the journal at path (its lock).
bool journalIsHeldByLiveWriter(const std::string& path);
// Removes the journal at path unless a running writer holds it; true when
// no journal is left there.
bool removeStaleJournal(const std::string& path);

// Writes a journal: created whole under its name, locked while open, each
// record on the disk before append returns. Failures throw ListFileError
// "Cannot write journal <path>".
class JournalWriter {
public:
    JournalWriter() = default;
    // Closes; the file stays for the next start.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Creates the journal (mode 0600) with header and no records. A journal
    // already at path is never replaced: its changes may be all that is left
    // of the user's work, so the caller recovers or removes it first.
    void create(const std::string& path, const JournalHeader& header);
    // On the disk before it returns. After a failure the journal still ends
    // cleanly after the last record that was written.
    void append(const JournalRecord& record);
    // Many records with one flush to the disk.
    void append(const std::vector<JournalRecord>& records);
    // Releases the lock; the file stays.
    void close();
    // Removes the file (the changes are saved or dropped) and closes.
    void remove();

    bool isOpen() const { return file_.valid(); }
    // The journal last created (or tried).
    const std::string& path() const { return path_; }

private:
    SystemFile file_;
    std::string path_;
    std::uint64_t size_ = 0;
    std::uint64_t nextSequence_ = 1;
    std::uint32_t chain_ = 0;
};
