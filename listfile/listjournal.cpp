#include "listfile/listjournal.h"

#include "listfile/listfileerror.h"
#include "listfile/savetemporary.h"
#include "listfile/systemfile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// ---- Bytes of the format ----

constexpr std::string_view versionLinePrefix = "Quindle journal of unsaved changes, version ";
constexpr std::size_t longestVersion = 9;  // decimal digits

// No zero byte, so no marker lies in a hole of a sparse file, and unlikely in text.
constexpr std::string_view frameMarker = "\xE5QJ\x9C";
enum FrameKind : std::uint8_t { headerFrame = 0, putFrame = 1, removeFrame = 2, undoFrame = 3, redoFrame = 4 };
// marker, kind, sequence, payload length, CRC of kind to length, CRC of the payload
constexpr std::size_t frameHeadSize = 4 + 1 + 8 + 4 + 4 + 4;
constexpr std::size_t checkedHeadFrom = 4;
constexpr std::size_t checkedHeadSize = 1 + 8 + 4;
constexpr std::size_t headCrcAt = checkedHeadFrom + checkedHeadSize;
constexpr std::size_t payloadCrcAt = headCrcAt + 4;
constexpr std::uint32_t largestHeader = 1u << 20;

enum OperationFlags : std::uint8_t { hasReplaced = 1, hasInsertAt = 2, numberProposed = 4 };

constexpr std::array<std::uint32_t, 256> crcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

void putU8(std::string& out, std::uint8_t value)
{
    out += static_cast<char>(value);
}

void putU32(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putU64(std::string& out, std::uint64_t value)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void putString(std::string& out, std::string_view text)
{
    putU32(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

std::uint64_t getLittleEndian(std::string_view bytes, std::size_t count)
{
    std::uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

// Reads a payload front to back; any read past its end or leftover bytes
// make it bad, so a payload is taken whole or not at all.
class PayloadReader {
public:
    explicit PayloadReader(std::string_view payload) : rest_(payload) {}

    std::uint64_t number(std::size_t bytes)
    {
        if (rest_.size() < bytes) {
            good_ = false;
            return 0;
        }
        const std::uint64_t value = getLittleEndian(rest_, bytes);
        rest_.remove_prefix(bytes);
        return value;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(number(1)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(number(4)); }
    std::uint64_t u64() { return number(8); }
    std::int64_t i64() { return static_cast<std::int64_t>(number(8)); }
    std::string text()
    {
        const std::uint32_t size = u32();
        if (!good_ || rest_.size() < size) {
            good_ = false;
            return {};
        }
        std::string value(rest_.substr(0, size));
        rest_.remove_prefix(size);
        return value;
    }
    bool wholeAndGood() const { return good_ && rest_.empty(); }

private:
    std::string_view rest_;
    bool good_ = true;
};

std::string versionLine()
{
    return std::string(versionLinePrefix) + std::to_string(journalFormatVersion) + "\n";
}

std::string headerPayload(const JournalHeader& header)
{
    std::string out;
    putU32(out, journalFormatVersion);
    putString(out, header.listPath);
    putU8(out, header.base.exists ? 1 : 0);
    putU64(out, header.base.size);
    putU64(out, static_cast<std::uint64_t>(header.base.modifiedNs));
    putU64(out, header.base.linesHash);
    putU64(out, static_cast<std::uint64_t>(header.process.pid));
    putString(out, header.process.hostName);
    putString(out, header.process.bootId);
    putU64(out, header.process.startTicks);
    putU64(out, static_cast<std::uint64_t>(header.startedNs));
    return out;
}

std::optional<JournalHeader> headerFrom(std::string_view payload)
{
    PayloadReader in(payload);
    JournalHeader header;
    header.formatVersion = in.u32();
    header.listPath = in.text();
    const std::uint8_t exists = in.u8();
    header.base.exists = exists == 1;
    header.base.size = in.u64();
    header.base.modifiedNs = in.i64();
    header.base.linesHash = in.u64();
    header.process.pid = in.i64();
    header.process.hostName = in.text();
    header.process.bootId = in.text();
    header.process.startTicks = in.u64();
    header.startedNs = in.i64();
    if (!in.wholeAndGood() || exists > 1 || header.formatVersion != journalFormatVersion)
        return std::nullopt;
    return header;
}

FrameKind frameKindOf(const JournalRecord& record)
{
    switch (record.kind) {
    case JournalRecord::Kind::Undo:
        return undoFrame;
    case JournalRecord::Kind::Redo:
        return redoFrame;
    case JournalRecord::Kind::Operation:
        break;
    }
    return record.operation.kind == ListOperation::Kind::Remove ? removeFrame : putFrame;
}

std::string recordPayload(const JournalRecord& record)
{
    std::string out;
    if (record.kind != JournalRecord::Kind::Operation)
        return out;
    const ListOperation& op = record.operation;
    putU8(out, static_cast<std::uint8_t>((op.replaced ? hasReplaced : 0) | (op.insertAt ? hasInsertAt : 0)
                                         | (op.numberProposed ? numberProposed : 0)));
    putString(out, op.numberText);
    putString(out, op.line);
    if (op.replaced)
        putString(out, *op.replaced);
    if (op.insertAt)
        putU64(out, *op.insertAt);
    return out;
}

std::optional<JournalRecord> recordFrom(std::uint8_t kind, std::string_view payload)
{
    if (kind == undoFrame || kind == redoFrame) {
        if (!payload.empty())
            return std::nullopt;
        return kind == undoFrame ? JournalRecord::undo() : JournalRecord::redo();
    }
    if (kind != putFrame && kind != removeFrame)
        return std::nullopt;
    PayloadReader in(payload);
    ListOperation op;
    op.kind = kind == putFrame ? ListOperation::Kind::Put : ListOperation::Kind::Remove;
    const std::uint8_t flags = in.u8();
    op.numberProposed = (flags & numberProposed) != 0;
    op.numberText = in.text();
    op.line = in.text();
    if (flags & hasReplaced)
        op.replaced = in.text();
    if (flags & hasInsertAt)
        op.insertAt = in.u64();
    if (!in.wholeAndGood() || (flags & ~(hasReplaced | hasInsertAt | numberProposed)) != 0)
        return std::nullopt;
    return JournalRecord::of(std::move(op));
}

// A whole frame. Its CRCs continue chain, so that the header's frame ties
// every record to this one journal; the payload CRC becomes the chain of
// the records after a header.
std::string frameBytes(std::uint8_t kind, std::uint64_t sequence, std::string_view payload, std::uint32_t chain,
                       std::uint32_t* payloadCrc = nullptr)
{
    std::string out(frameMarker);
    putU8(out, kind);
    putU64(out, sequence);
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    const std::uint32_t headCrc = crc32(std::string_view(out).substr(checkedHeadFrom), chain);
    const std::uint32_t bodyCrc = crc32(payload, headCrc);
    putU32(out, headCrc);
    putU32(out, bodyCrc);
    out += payload;
    if (payloadCrc)
        *payloadCrc = bodyCrc;
    return out;
}

std::string journalStart(const JournalHeader& header, std::uint32_t& chain)
{
    return versionLine() + frameBytes(headerFrame, 0, headerPayload(header), 0, &chain);
}

struct Frame {
    std::uint8_t kind = 0;
    std::uint64_t sequence = 0;
    std::string_view payload;
    std::size_t size = 0;
    std::uint32_t payloadCrc = 0;
};

enum class FrameCheck {
    Whole,
    // The bytes end inside the head: nothing is known yet.
    NeedsHead,
    // The head checks, the bytes end inside the payload.
    NeedsPayload,
    BadHead,
    // The head checks (so the frame's end is known), the payload does not.
    BadPayload,
};

FrameCheck checkFrame(std::string_view bytes, std::uint32_t chain, std::uint32_t largestPayload, Frame& frame)
{
    const std::size_t markerBytes = std::min(bytes.size(), frameMarker.size());
    if (bytes.substr(0, markerBytes) != frameMarker.substr(0, markerBytes))
        return FrameCheck::BadHead;
    if (bytes.size() < frameHeadSize)
        return FrameCheck::NeedsHead;
    const std::uint32_t headCrc = static_cast<std::uint32_t>(getLittleEndian(bytes.substr(headCrcAt), 4));
    if (crc32(bytes.substr(checkedHeadFrom, checkedHeadSize), chain) != headCrc)
        return FrameCheck::BadHead;
    frame.kind = static_cast<std::uint8_t>(bytes[4]);
    frame.sequence = getLittleEndian(bytes.substr(5), 8);
    const std::uint64_t length = getLittleEndian(bytes.substr(13), 4);
    if (length > largestPayload)
        return FrameCheck::BadHead;
    frame.size = frameHeadSize + static_cast<std::size_t>(length);
    if (bytes.size() < frame.size)
        return FrameCheck::NeedsPayload;
    frame.payload = bytes.substr(frameHeadSize, static_cast<std::size_t>(length));
    frame.payloadCrc = static_cast<std::uint32_t>(getLittleEndian(bytes.substr(payloadCrcAt), 4));
    return crc32(frame.payload, headCrc) == frame.payloadCrc ? FrameCheck::Whole : FrameCheck::BadPayload;
}

// ---- Files ----

// Opens path for reading if it is a plain file (a link to one is followed).
// A pipe or device is never opened: opening some devices does something.
JournalStatus openPlainFile(const std::string& path, SystemFile& file)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return JournalStatus::Missing;
    const auto statusOfKind = [](FileKind kind) {
        return kind == FileKind::missing ? JournalStatus::Missing
            : kind == FileKind::unreadable ? JournalStatus::Unreadable
            : kind == FileKind::plain      ? JournalStatus::Ok
                                           : JournalStatus::NotAFile;
    };
    const JournalStatus named = statusOfKind(statusOfPath(path, true).kind);
    if (named != JournalStatus::Ok)
        return named;
    // Never waits, in case a pipe took the file's place since.
    file = openForReading(path);
    if (!file.valid())
        return statusOfPath(path, true).kind == FileKind::missing ? JournalStatus::Missing : JournalStatus::Unreadable;
    return statusOfKind(statusOf(file).kind);
}

} // namespace

std::uint32_t crc32(std::string_view bytes, std::uint32_t previous)
{
    static constexpr std::array<std::uint32_t, 256> table = crcTable();
    std::uint32_t c = ~previous;
    for (char byte : bytes)
        c = table[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
    return ~c;
}

std::string encodeJournal(const JournalHeader& header, const std::vector<JournalRecord>& records)
{
    std::uint32_t chain = 0;
    std::string out = journalStart(header, chain);
    std::uint64_t sequence = 0;
    for (const JournalRecord& record : records)
        out += frameBytes(frameKindOf(record), ++sequence, recordPayload(record), chain);
    return out;
}

// ---- Reading ----

void JournalDecoder::feed(std::string_view bytes)
{
    if (stage_ == Stage::Finished)
        return;
    held_.append(bytes);
    decodeHeld();
    held_.erase(0, at_);
    at_ = 0;
}

bool JournalDecoder::decodeVersionLine()
{
    const std::string_view held(held_);
    const std::size_t compared = std::min(held.size(), versionLinePrefix.size());
    if (held.substr(0, compared) != versionLinePrefix.substr(0, compared)) {
        contents_.status = JournalStatus::NotAJournal;
        stage_ = Stage::Finished;
        return false;
    }
    const std::size_t lineEnd = held.find('\n', versionLinePrefix.size());
    const std::size_t digits = std::min(lineEnd, held.size()) - compared;
    const std::string_view version = held.substr(compared, digits);
    const bool decimal = std::all_of(version.begin(), version.end(), [](char c) { return c >= '0' && c <= '9'; })
        && (version.size() <= 1 || version[0] != '0');
    if (!decimal || digits > longestVersion || (lineEnd != std::string_view::npos && digits == 0)) {
        contents_.status = JournalStatus::NotAJournal;
        stage_ = Stage::Finished;
        return false;
    }
    if (lineEnd == std::string_view::npos)
        return false;  // wait for the rest of the line
    if (std::stoul(std::string(version)) != journalFormatVersion) {
        contents_.status = JournalStatus::OtherVersion;
        stage_ = Stage::Finished;
        return false;
    }
    at_ = lineEnd + 1;
    stage_ = Stage::Header;
    return true;
}

// Counts the damage at at_ and goes looking for whole frames from resumeAt
// on, only to count them.
void JournalDecoder::damaged(std::size_t resumeAt)
{
    ++contents_.unreadable;
    at_ = resumeAt;
    stage_ = Stage::SkippingDamage;
}

void JournalDecoder::decodeHeld()
{
    if (stage_ == Stage::VersionLine && !decodeVersionLine())
        return;
    Frame frame;
    if (stage_ == Stage::Header) {
        const std::string_view rest = std::string_view(held_).substr(at_);
        // The whole head first, even when its first bytes are wrong already:
        // damage is counted from its payload CRC, whatever the pieces.
        if (rest.size() < frameHeadSize)
            return;
        const FrameCheck check = checkFrame(rest, 0, largestHeader, frame);
        if (check == FrameCheck::NeedsPayload)
            return;
        std::optional<JournalHeader> header;
        if (check == FrameCheck::Whole && frame.kind == headerFrame && frame.sequence == 0)
            header = headerFrom(frame.payload);
        if (!header) {
            // Records are still counted when the header's payload CRC (their
            // chain) survived.
            chain_ = static_cast<std::uint32_t>(getLittleEndian(rest.substr(payloadCrcAt), 4));
            damaged(at_ + 1);
        } else {
            contents_.header = std::move(header);
            chain_ = frame.payloadCrc;
            at_ += frame.size;
            stage_ = Stage::Records;
        }
    }
    while (stage_ == Stage::Records) {
        const FrameCheck check = checkFrame(std::string_view(held_).substr(at_), chain_, largestJournalRecord, frame);
        if (check == FrameCheck::NeedsHead || check == FrameCheck::NeedsPayload)
            return;
        if (check == FrameCheck::BadHead || frame.sequence != lastSequence_ + 1) {
            damaged(at_ + 1);
            break;
        }
        std::optional<JournalRecord> record;
        if (check == FrameCheck::Whole)
            record = recordFrom(frame.kind, frame.payload);
        lastSequence_ = frame.sequence;
        if (!record) {
            damaged(at_ + frame.size);
            break;
        }
        contents_.records.push_back(std::move(*record));
        at_ += frame.size;
    }
    while (stage_ == Stage::SkippingDamage && at_ < held_.size()) {
        const void* found = std::memchr(held_.data() + at_, frameMarker[0], held_.size() - at_);
        if (!found) {
            at_ = held_.size();
            return;
        }
        at_ = static_cast<std::size_t>(static_cast<const char*>(found) - held_.data());
        const FrameCheck check = checkFrame(std::string_view(held_).substr(at_), chain_, largestJournalRecord, frame);
        if (check == FrameCheck::NeedsHead || check == FrameCheck::NeedsPayload)
            return;
        if (check != FrameCheck::BadHead && frame.sequence > lastSequence_ && frame.kind != headerFrame) {
            ++contents_.unreadable;
            lastSequence_ = frame.sequence;
            at_ += frame.size;
        } else {
            ++at_;
        }
    }
}

JournalContents JournalDecoder::finish()
{
    Frame frame;
    switch (stage_) {
    case Stage::VersionLine:
        contents_.status = JournalStatus::NotAJournal;
        break;
    case Stage::Header:
        ++contents_.unreadable;
        break;
    case Stage::Records:
        if (at_ < held_.size())
            ++contents_.unreadable;
        break;
    case Stage::SkippingDamage:
        // A record cut short whose head checks was written as one.
        if (checkFrame(std::string_view(held_).substr(at_), chain_, largestJournalRecord, frame)
                == FrameCheck::NeedsPayload
            && frame.sequence > lastSequence_ && frame.kind != headerFrame)
            ++contents_.unreadable;
        break;
    case Stage::Finished:
        break;
    }
    if (contents_.status != JournalStatus::Ok)
        contents_ = JournalContents{contents_.status, {}, {}, 0};
    stage_ = Stage::Finished;
    held_.clear();
    at_ = 0;
    return std::move(contents_);
}

JournalContents decodeJournal(std::string_view bytes)
{
    JournalDecoder decoder;
    decoder.feed(bytes);
    return decoder.finish();
}

JournalContents readJournal(const std::string& path)
{
    SystemFile file;
    const JournalStatus opened = openPlainFile(path, file);
    if (opened != JournalStatus::Ok)
        return JournalContents{opened, {}, {}, 0};
    JournalDecoder decoder;
    std::uint64_t offset = 0;
    std::string buffer(1 << 20, '\0');
    bool readToEnd = false;
    while (decoder.wantsMore()) {
        if (decoder.passesOverZeros() && onlyHoleFrom(file, offset)) {
            readToEnd = true;  // nothing but a hole up to the end
            break;
        }
        const long long got = readSome(file, buffer.data(), buffer.size());
        if (got <= 0) {
            readToEnd = got == 0;
            break;
        }
        offset += static_cast<std::uint64_t>(got);
        decoder.feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    }
    JournalContents contents = decoder.finish();
    if (!readToEnd && contents.status == JournalStatus::Ok) {
        contents.status = JournalStatus::Unreadable;
        contents.unreadable = std::max<std::size_t>(contents.unreadable, 1);
    }
    return contents;
}

JournalReplay replayJournal(const std::vector<JournalRecord>& records)
{
    JournalReplay replay;
    for (const JournalRecord& record : records) {
        if (record.kind == JournalRecord::Kind::Operation) {
            replay.inEffect.push_back(record.operation);
            replay.undone.clear();
        } else {
            const bool undo = record.kind == JournalRecord::Kind::Undo;
            std::vector<ListOperation>& from = undo ? replay.inEffect : replay.undone;
            std::vector<ListOperation>& to = undo ? replay.undone : replay.inEffect;
            if (from.empty())
                break;
            to.push_back(std::move(from.back()));
            from.pop_back();
        }
        ++replay.replayed;
    }
    replay.unreadable = records.size() - replay.replayed;
    return replay;
}

// ---- The writing process ----

JournalProcess currentJournalProcess()
{
    JournalProcess process;
    process.pid = currentProcessId();
    process.hostName = hostName();
    process.bootId = bootId();
    process.startTicks = processStartTime(process.pid);
    return process;
}

bool journalProcessIsAlive(const JournalProcess& process)
{
    if (process.pid <= 0 || process.startTicks == 0 || process.hostName != hostName() || process.bootId != bootId())
        return false;
    return processStartTime(process.pid) == process.startTicks;
}

// ---- Journal files ----

std::string journalFileName(const std::string& absoluteListPath)
{
    // FNV-1a: stable across runs and builds, unlike std::hash.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (char c : absoluteListPath)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    std::string name(fileNameOf(absoluteListPath).substr(0, 100));
    for (char& c : name) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-' || c == '_';
        if (!safe)
            c = '_';
    }
    // Never hidden, never "." or "..".
    if (name.empty() || name[0] == '.')
        name.insert(0, "list");
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return name + "-" + hex + ".journal";
}

namespace {

[[noreturn]] void cannotWrite(const std::string& path, const std::string& why = {})
{
    throw ListFileError("Cannot write journal " + path + (why.empty() ? "" : ": " + why));
}

} // namespace

bool journalIsHeldByLiveWriter(const std::string& path)
{
    SystemFile file;
    if (openPlainFile(path, file) != JournalStatus::Ok)
        return false;
    // Another opening than the writer's, so even a writer in this process
    // makes this fail.
    return tryLock(file, false) == LockResult::heldElsewhere;
}

bool removeStaleJournal(const std::string& path)
{
    SystemFile file;
    const JournalStatus opened = openPlainFile(path, file);
    if (opened == JournalStatus::Missing)
        return true;
    if (opened != JournalStatus::Ok || tryLock(file, true) != LockResult::locked)
        return false;
    // Only the file we hold, still under its name.
    if (!isSameFile(statusOf(file), statusOfPath(path, true)) || !removeFile(path))
        return false;
    syncFolder(folderOf(path));
    return true;
}

JournalWriter::~JournalWriter()
{
    close();
}

void JournalWriter::create(const std::string& path, const JournalHeader& header)
{
    close();
    path_ = path;
    if (path.empty() || path.find('\0') != std::string::npos)
        cannotWrite(path);
    std::uint32_t chain = 0;
    const std::string start = journalStart(header, chain);
    if (start.size() > versionLine().size() + frameHeadSize + largestHeader)
        cannotWrite(path, "the list's path is too long");

    // Written whole under a hidden name, then given the real one: a journal
    // under its name always has its whole header.
    const std::string hiddenStart = pathInFolder(folderOf(path), "." + std::string(fileNameOf(path).substr(0, 200)) + ".");
    std::string temporary;
    SystemFile file;
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        temporary = hiddenStart + randomLetters(6);
        SystemFailure failure;
        file = createNewFile(temporary, true, &failure);
        if (!file.valid() && failure.kind != SystemFailure::Kind::nameTaken)
            break;
    }
    if (!file.valid())
        cannotWrite(path);
    // Locked before it has the name, so nobody ever sees it unheld.
    SystemFailure placed;
    placed.kind = SystemFailure::Kind::other;
    if (tryLock(file, true) == LockResult::locked && writeAllAt(file, start, 0) && flushToDisk(file))
        placed = moveWithoutReplacing(temporary, path);
    if (placed.failed()) {
        removeFile(temporary);
        cannotWrite(path, placed.kind == SystemFailure::Kind::nameTaken
                              ? "a journal of unsaved changes is already there"
                              : "");
    }
    syncFolder(folderOf(path));
    file_ = std::move(file);
    size_ = start.size();
    chain_ = chain;
}

void JournalWriter::append(const JournalRecord& record)
{
    append(std::vector<JournalRecord> {record});
}

void JournalWriter::append(const std::vector<JournalRecord>& records)
{
    if (!file_.valid())
        cannotWrite(path_);
    std::string bytes;
    std::uint64_t sequence = nextSequence_;
    for (const JournalRecord& record : records) {
        const std::string payload = recordPayload(record);
        if (payload.size() > largestJournalRecord)
            cannotWrite(path_, "the change is too large");
        bytes += frameBytes(frameKindOf(record), sequence++, payload, chain_);
    }
    if (!writeAllAt(file_, bytes, size_) || !flushToDisk(file_, true)) {
        // Whatever part reached the file goes again, so the journal ends
        // cleanly after the last whole record.
        (void)truncateTo(file_, size_);
        cannotWrite(path_);
    }
    size_ += bytes.size();
    nextSequence_ = sequence;
}

void JournalWriter::close()
{
    file_.close();
    size_ = 0;
    nextSequence_ = 1;
    chain_ = 0;
}

void JournalWriter::remove()
{
    if (!file_.valid())
        return;
    // Only our own file, still under its name; removed while still locked.
    if (isSameFile(statusOf(file_), statusOfPath(path_, false))) {
        if (!removeFile(path_))
            throw ListFileError("Cannot remove journal " + path_);
        syncFolder(folderOf(path_));
    }
    close();
}
