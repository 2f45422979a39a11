// The journal of unsaved changes: whatever happened to the file (cut at any
// byte, a byte changed, garbage, something that is no file at all), reading
// gives exactly the records written up to the damage and nothing else, and
// says how many it could not read. The writer keeps the file whole and
// locked, and never replaces another journal.
#include "listfile/listfileerror.h"
#include "listfile/listjournal.h"
#include "listfile/systemfile.h"
#include "listfiletestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <vector>


namespace fs = std::filesystem;
using namespace std::string_literals;

// Readable failures.
void PrintTo(const ListOperation& op, std::ostream* out)
{
    *out << (op.kind == ListOperation::Kind::Put ? "Put " : "Remove ") << ::testing::PrintToString(op.numberText)
         << " " << ::testing::PrintToString(op.line);
}

void PrintTo(const JournalRecord& record, std::ostream* out)
{
    if (record.kind == JournalRecord::Kind::Operation)
        PrintTo(record.operation, out);
    else
        *out << (record.kind == JournalRecord::Kind::Undo ? "Undo" : "Redo");
}

namespace {

JournalHeader sampleHeader()
{
    JournalHeader header;
    header.listPath = "/home/ana/Projects.txt";
    header.base = {true, 1234, 1700000000123456789, 0x0123456789abcdefull};
    header.process = {4242, "workstation", "6f1c0c4e-2b8e-4d52-9a51-0c6a3f1d2e77", 987654};
    header.startedNs = 1700000100000000000;
    return header;
}

using Kind = ListOperation::Kind;
const ListOperation newShed{Kind::Put, "007", "007     Garden\0shed \xE9t\xE9"s, {}, 3, true};
const ListOperation newRoof{Kind::Put, "002", "002     Roof", "002     Old roof\xFF"s, {}, false};
const ListOperation fenceGone{Kind::Remove, "005", "", "005     Fence\r\0"s, {}, false};
const ListOperation newPond{Kind::Put, "010", "010     Pond", {}, 0, false};

std::vector<JournalRecord> sampleRecords()
{
    return {JournalRecord::of(newShed), JournalRecord::of(newRoof), JournalRecord::of(fenceGone),
            JournalRecord::undo(),      JournalRecord::redo(),      JournalRecord::undo(),
            JournalRecord::of(newPond)};
}

std::vector<JournalRecord> firstRecords(std::size_t count)
{
    std::vector<JournalRecord> records = sampleRecords();
    records.resize(count);
    return records;
}

// Where each record's frame ends in the sample journal; [0] is the header's end.
std::vector<std::size_t> recordEnds()
{
    std::vector<std::size_t> ends;
    for (std::size_t count = 0; count <= sampleRecords().size(); ++count)
        ends.push_back(encodeJournal(sampleHeader(), firstRecords(count)).size());
    return ends;
}

// How many records end at or before offset.
std::size_t recordsEndingBy(const std::vector<std::size_t>& ends, std::size_t offset)
{
    return static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), offset) - ends.begin()) - 1;
}

std::size_t versionLineSize(const std::string& journal)
{
    return journal.find('\n') + 1;
}

std::uint32_t littleEndian32(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

void setLittleEndian32(std::string& bytes, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

TEST(JournalFormat, WholeJournalReadsBackAndReplays)
{
    // The common CRC-32, so other tools can check a journal.
    EXPECT_EQ(crc32("6789", crc32("12345")), 0xCBF43926u);
    const JournalContents read = decodeJournal(encodeJournal(sampleHeader(), sampleRecords()));
    EXPECT_EQ(read.status, JournalStatus::Ok);
    EXPECT_EQ(read.header, sampleHeader());
    EXPECT_EQ(read.records, sampleRecords());
    EXPECT_EQ(read.unreadable, 0u);
    const JournalReplay replay = replayJournal(read.records);
    EXPECT_EQ(replay.inEffect, (std::vector<ListOperation>{newShed, newRoof, newPond}));
    EXPECT_TRUE(replay.undone.empty());
    EXPECT_EQ(replay.replayed, 7u);
    EXPECT_EQ(replay.unreadable, 0u);
}

// A kill mid-write leaves a journal cut anywhere: what is read is always the
// records whole before the cut, and a cut inside a record counts it.
TEST(JournalFormat, CutAtEveryByte)
{
    const std::string journal = encodeJournal(sampleHeader(), sampleRecords());
    const std::vector<std::size_t> ends = recordEnds();
    for (std::size_t cut = 0; cut <= journal.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const JournalContents read = decodeJournal(std::string_view(journal).substr(0, cut));
        if (cut < versionLineSize(journal)) {
            EXPECT_EQ(read.status, JournalStatus::NotAJournal);
            EXPECT_TRUE(read.records.empty());
            continue;
        }
        EXPECT_EQ(read.status, JournalStatus::Ok);
        if (cut < ends[0]) {
            EXPECT_FALSE(read.header);
            EXPECT_TRUE(read.records.empty());
            EXPECT_EQ(read.unreadable, 1u);
            continue;
        }
        const std::size_t whole = recordsEndingBy(ends, cut);
        EXPECT_EQ(read.header, sampleHeader());
        EXPECT_EQ(read.records, firstRecords(whole));
        EXPECT_EQ(read.unreadable, cut == ends[whole] ? 0u : 1u);
        EXPECT_EQ(replayJournal(read.records).unreadable, 0u);
    }
}

// A byte changed anywhere: never a record that was not written, nothing
// after the damage, and every whole record after it counted.
TEST(JournalFormat, ChangedByteAnywhere)
{
    const std::string journal = encodeJournal(sampleHeader(), sampleRecords());
    const std::vector<std::size_t> ends = recordEnds();
    const std::size_t recordCount = sampleRecords().size();
    for (std::size_t at = 0; at < journal.size(); ++at) {
        for (unsigned char flip : {0x01, 0x80, 0xFF}) {
            SCOPED_TRACE("byte " + std::to_string(at) + " flipped by " + std::to_string(flip));
            std::string damaged = journal;
            damaged[at] = static_cast<char>(damaged[at] ^ flip);
            const JournalContents read = decodeJournal(damaged);
            if (at < versionLineSize(journal)) {
                EXPECT_TRUE(read.status == JournalStatus::NotAJournal || read.status == JournalStatus::OtherVersion);
                EXPECT_TRUE(read.records.empty());
            } else if (at < ends[0]) {
                EXPECT_EQ(read.status, JournalStatus::Ok);
                EXPECT_FALSE(read.header);
                EXPECT_TRUE(read.records.empty());
                EXPECT_GE(read.unreadable, 1u);
                EXPECT_LE(read.unreadable, recordCount + 1);
            } else {
                const std::size_t hit = recordsEndingBy(ends, at);
                EXPECT_EQ(read.header, sampleHeader());
                EXPECT_EQ(read.records, firstRecords(hit));
                EXPECT_EQ(read.unreadable, recordCount - hit);
            }
        }
    }
}

TEST(JournalFormat, WhatFollowsTheLastRecord)
{
    const std::string journal = encodeJournal(sampleHeader(), sampleRecords());
    // Another journal of as many records and then two more, numbered on
    // from ours: the same frames but for the header they are tied to.
    JournalHeader otherHeader = sampleHeader();
    otherHeader.startedNs += 1;
    std::vector<JournalRecord> otherRecords = sampleRecords();
    otherRecords.insert(otherRecords.end(), {JournalRecord::undo(), JournalRecord::redo()});
    const std::string otherJournal = encodeJournal(otherHeader, otherRecords);
    const std::string lastFrame = journal.substr(recordEnds()[sampleRecords().size() - 1]);
    const std::string nextFrame = encodeJournal(sampleHeader(), firstRecords(3)).substr(recordEnds()[2]);
    const struct {
        const char* what;
        std::string tail;
        std::size_t unreadable;
    } cases[] = {
        {"nothing", "", 0},
        {"zeros, as a file system may leave after a power cut", std::string(4096, '\0'), 1},
        {"garbage", "\xE5QJ\x9C garbage \x01\x02", 1},
        {"the next records of another journal", otherJournal.substr(journal.size()), 1},
        {"the last record again", lastFrame, 1},
        // Its number is one of the records already read: damage, not a record.
        {"zeros, then a record numbered as one already read", std::string(50, '\0') + nextFrame, 1},
        {"zeros, then the last record again", std::string(50, '\0') + lastFrame, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const JournalContents read = decodeJournal(journal + c.tail);
        EXPECT_EQ(read.records, sampleRecords());
        EXPECT_EQ(read.unreadable, c.unreadable);
    }
    // After damage the whole records are counted, never read; the damage
    // itself counts as one.
    std::string lost = encodeJournal(sampleHeader(), firstRecords(3));
    lost.insert(recordEnds()[1], "\x01\x02\x03");
    const JournalContents read = decodeJournal(lost);
    EXPECT_EQ(read.records, firstRecords(1));
    EXPECT_EQ(read.unreadable, 3u);
}

// A record whose head checks but that declares a payload beyond any record
// is damage: reading does not wait for a gigabyte, and finds the next record.
TEST(JournalFormat, AbsurdDeclaredLengthIsDamage)
{
    const std::string journal = encodeJournal(sampleHeader(), firstRecords(3));
    const std::vector<std::size_t> ends = recordEnds();
    // The records' CRCs continue the header's payload CRC.
    const std::uint32_t chain = littleEndian32(journal, versionLineSize(journal) + 21);
    // The second record's length becomes 3 GiB, its head CRC made to match.
    std::string absurd = journal;
    const std::size_t frame = ends[1];
    setLittleEndian32(absurd, frame + 13, 3u << 30);
    setLittleEndian32(absurd, frame + 17, crc32(std::string_view(absurd).substr(frame + 4, 13), chain));
    const JournalContents read = decodeJournal(absurd);
    EXPECT_EQ(read.records, firstRecords(1));
    EXPECT_EQ(read.unreadable, 2u);
}

TEST(JournalFormat, NotAJournalOrAnotherVersion)
{
    const std::string journal = encodeJournal(sampleHeader(), sampleRecords());
    const std::string afterVersion = journal.substr(versionLineSize(journal) - 2);
    const std::string before = journal.substr(0, versionLineSize(journal) - 2);
    const struct {
        std::string bytes;
        JournalStatus status;
    } cases[] = {
        {"", JournalStatus::NotAJournal},
        {"001     Alpha\r\n002     Beta\r\n", JournalStatus::NotAJournal},
        {journal.substr(1), JournalStatus::NotAJournal},
        {before + "x" + afterVersion.substr(1), JournalStatus::NotAJournal},
        {before + "01" + afterVersion.substr(1), JournalStatus::NotAJournal},
        {before + afterVersion.substr(1), JournalStatus::NotAJournal},
        {before + "12345678901" + afterVersion.substr(1), JournalStatus::NotAJournal},
        {before + "2" + afterVersion.substr(1), JournalStatus::OtherVersion},
        {before + "10" + afterVersion.substr(1), JournalStatus::OtherVersion},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 60));
        const JournalContents read = decodeJournal(c.bytes);
        EXPECT_EQ(read.status, c.status);
        EXPECT_FALSE(read.header);
        EXPECT_TRUE(read.records.empty());
    }
}

TEST(JournalReplay, UndoOrRedoWithNothingToActOnStopsTheReplay)
{
    const JournalRecord shed = JournalRecord::of(newShed);
    const JournalRecord roof = JournalRecord::of(newRoof);
    const JournalRecord undo = JournalRecord::undo();
    const JournalRecord redo = JournalRecord::redo();
    const struct {
        std::vector<JournalRecord> records;
        std::vector<ListOperation> inEffect;
        std::vector<ListOperation> undone;
        std::size_t replayed;
    } cases[] = {
        {{undo, shed}, {}, {}, 0},
        {{shed, redo, roof}, {newShed}, {}, 1},
        {{shed, roof, undo, undo, undo, shed}, {}, {newRoof, newShed}, 4},
        {{shed, roof, undo, undo, redo}, {newShed}, {newRoof}, 5},
        // A new operation drops what could have been put back.
        {{shed, undo, roof, redo}, {newRoof}, {}, 3},
    };
    for (const auto& c : cases) {
        const JournalReplay replay = replayJournal(c.records);
        EXPECT_EQ(replay.inEffect, c.inEffect);
        EXPECT_EQ(replay.undone, c.undone);
        EXPECT_EQ(replay.replayed, c.replayed);
        EXPECT_EQ(replay.unreadable, c.records.size() - c.replayed);
    }
}

TEST(JournalFileName, ReadableSafeAndTiedToTheWholePath)
{
    EXPECT_EQ(journalFileName("/home/ana/Projects.txt"), "Projects.txt-43cd179aabb34f5d.journal");
    EXPECT_NE(journalFileName("/home/bob/Projects.txt"), journalFileName("/home/ana/Projects.txt"));
    const struct {
        const char* path;
        const char* start;
    } cases[] = {
        {"/x/My list \xC3\xBC.txt", "My_list___.txt-"},
        // A backslash ends a folder's name on Windows, and is no character of a file's.
        {"/x/a\\b:c*?.txt", pathSeparators().find('\\') == std::string_view::npos ? "a_b_c__.txt-" : "b_c__.txt-"},
        {"/x/..", "list..-"},
        {"/x/.hidden", "list.hidden-"},
        {"/", "list-"},
    };
    for (const auto& c : cases) {
        const std::string name = journalFileName(c.path);
        EXPECT_EQ(name.substr(0, std::string(c.start).size()), c.start) << name;
        EXPECT_EQ(name.size(), std::string(c.start).size() + 16 + 8) << name;
    }
    EXPECT_EQ(journalFileName("/x/" + std::string(300, 'L')).size(), 100 + 1 + 16 + 8);
}

TEST(JournalProcess, OnlyTheRunningProcessItselfIsAlive)
{
    const JournalProcess self = currentJournalProcess();
    EXPECT_EQ(self.pid, thisProcessId());
    EXPECT_FALSE(self.bootId.empty());
    EXPECT_GT(self.startTicks, 0u);
    EXPECT_TRUE(journalProcessIsAlive(self));
    const std::vector<std::function<void(JournalProcess&)>> changes = {
        [](JournalProcess& p) { p.startTicks += 1; },
        [](JournalProcess& p) { p.pid = 0x3FFFFFFF; },
        [](JournalProcess& p) { p.pid = 0; },
        [](JournalProcess& p) { p.bootId[0] = p.bootId[0] == 'a' ? 'b' : 'a'; },
        [](JournalProcess& p) { p.hostName += "-elsewhere"; },
    };
    for (const auto& change : changes) {
        JournalProcess other = self;
        change(other);
        EXPECT_FALSE(journalProcessIsAlive(other));
    }
}

class JournalFile : public ListFileIo {};

TEST_F(JournalFile, WriterAppendsLocksAndRemoves)
{
    const std::string path = pathOf("Projects.txt-0000000000000001.journal");
    {
        JournalWriter writer;
        writer.create(path, sampleHeader());
        for (const JournalRecord& record : sampleRecords())
            writer.append(record);
        const JournalContents read = readJournal(path);
        EXPECT_EQ(read.status, JournalStatus::Ok);
        EXPECT_EQ(read.header, sampleHeader());
        EXPECT_EQ(read.records, sampleRecords());
        EXPECT_EQ(read.unreadable, 0u);
        if (hasUnixPermissions())
            EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(entriesOf(folder), std::vector<std::string>{fs::path(path).filename().string()});

        EXPECT_TRUE(journalIsHeldByLiveWriter(path));
        EXPECT_FALSE(removeStaleJournal(path));
        // Another journal is never replaced, not even by its own writer.
        JournalWriter second;
        const std::string alreadyThere = "Cannot write journal " + path + ": a journal of unsaved changes is already there";
        EXPECT_EQ(expectListFileError(alreadyThere, [&] { second.create(path, sampleHeader()); }),
                  childThrewExpected);
        writer.create(pathOf("other.journal"), sampleHeader());
        EXPECT_FALSE(journalIsHeldByLiveWriter(path));
        EXPECT_TRUE(journalIsHeldByLiveWriter(pathOf("other.journal")));
        writer.remove();
        EXPECT_FALSE(fs::exists(pathOf("other.journal")));
    }
    EXPECT_EQ(readJournal(path).records, sampleRecords());
    EXPECT_TRUE(removeStaleJournal(path));
    EXPECT_TRUE(entriesOf(folder).empty());
    EXPECT_TRUE(removeStaleJournal(path));

    JournalWriter writer;
    EXPECT_EQ(expectListFileError("Cannot write journal " + pathOf("none/x.journal"),
                                  [&] { writer.create(pathOf("none/x.journal"), sampleHeader()); }),
              childThrewExpected);
    EXPECT_EQ(expectListFileError("Cannot write journal " + pathOf("none/x.journal"),
                                  [&] { writer.append(JournalRecord::undo()); }),
              childThrewExpected);
}

// A record that does not fit on the disk is not half written: the journal
// still ends cleanly after the last record, and takes the next one once
// there is room.
TEST_F(JournalFile, FullDiskLeavesTheJournalWhole)
{
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    const int result = onSmallFileSystem(disk, "64k", [&] {
        const std::string path = (disk / "list.journal").string();
        const std::string filler = (disk / "filler").string();
        JournalWriter writer;
        writer.create(path, sampleHeader());
        writer.append(JournalRecord::of(newShed));
        fill(filler);
        const ListOperation big{Kind::Put, "003", "003     " + std::string(20000, 'b'), {}, {}, false};
        if (expectListFileError("Cannot write journal " + path, [&] { writer.append(JournalRecord::of(big)); })
            != childThrewExpected)
            return 1;
        JournalContents read = readJournal(path);
        if (read.records != firstRecords(1) || read.unreadable != 0)
            return 2;
        fs::remove(filler);
        writer.append(JournalRecord::of(big));
        read = readJournal(path);
        return read.records == std::vector<JournalRecord>{JournalRecord::of(newShed), JournalRecord::of(big)}
                && read.unreadable == 0
            ? 0
            : 3;
    });
    if (result == cannotMount)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    EXPECT_EQ(result, 0);
}

TEST_F(JournalFile, OnlyPlainFilesAreRead)
{
    writeBytes(pathOf("valid.journal"), encodeJournal(sampleHeader(), sampleRecords()));
    fs::create_directory(pathOf("folder"));
    struct Case {
        std::string path;
        JournalStatus status;
    };
    std::vector<Case> cases = {
        {pathOf("missing"), JournalStatus::Missing},
        {pathOf("folder"), JournalStatus::NotAFile},
        {pathOf("missing/below"), JournalStatus::Missing},
        {pathOf("valid.journal/below"), JournalStatus::Missing},
    };
    for (const std::string& device : deviceFiles())
        cases.push_back({device, JournalStatus::NotAFile});
    if (makeNamedPipe(pathOf("pipe")))
        cases.push_back({pathOf("pipe"), JournalStatus::NotAFile});
    const std::vector<std::pair<std::string, std::string>> links = {
        {"to-null", "/dev/null"}, {"to-zero", "/dev/zero"}, {"to-pipe", pathOf("pipe")}};
    for (const auto& [name, target] : links)
        if (fs::exists(fs::symlink_status(target)) && makeSymbolicLink(target, pathOf(name)))
            cases.push_back({pathOf(name), JournalStatus::NotAFile});
    if (makeSymbolicLink(pathOf("valid.journal"), pathOf("to-valid")))
        cases.push_back({pathOf("to-valid"), JournalStatus::Ok});
    if (makeSymbolicLink(pathOf("to-loop"), pathOf("to-loop")))
        cases.push_back({pathOf("to-loop"), JournalStatus::Unreadable});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(readJournal(c.path).status, c.status);
        EXPECT_FALSE(journalIsHeldByLiveWriter(c.path));
    }
    EXPECT_FALSE(removeStaleJournal(pathOf("folder")));
    EXPECT_TRUE(fs::is_directory(pathOf("folder")));

    fs::permissions(pathOf("valid.journal"), fs::perms::owner_write);
    const int result = inUnprivilegedChild([&] {
        return readJournal(pathOf("valid.journal")).status == JournalStatus::Unreadable ? 0 : 1;
    });
    if (result != childCannotDropRoot)
        EXPECT_EQ(result, 0);
}

// Zeros after the records, a gigabyte of them in a sparse file, are read
// through with bounded memory, and a record beyond them is still counted.
TEST_F(JournalFile, ZerosAfterTheRecords)
{
    const std::string path = pathOf("zeros.journal");
    const std::string journal = encodeJournal(sampleHeader(), sampleRecords());
    const std::string withOneMore = encodeJournal(sampleHeader(), [] {
        std::vector<JournalRecord> records = sampleRecords();
        records.push_back(JournalRecord::undo());
        return records;
    }());
    const std::string oneMore = withOneMore.substr(journal.size());
    const struct {
        const char* what;
        std::size_t zeros;
        bool sparse;
    } cases[] = {
        {"a sparse gigabyte", std::size_t(1) << 30, true},
        // The file is read a mebibyte at a time.
        {"written zeros, the record across two reads", (std::size_t(3) << 20) - journal.size() - 5, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path, c.sparse ? journal : journal + std::string(c.zeros, '\0') + oneMore);
        if (c.sparse) {
            const std::uint64_t end = journal.size() + c.zeros;
            fs::resize_file(path, end);
            std::fstream file(fs::path(path), std::ios::binary | std::ios::in | std::ios::out);
            file.seekp(static_cast<std::streamoff>(end));
            ASSERT_TRUE(file.write(oneMore.data(), static_cast<std::streamsize>(oneMore.size())).flush());
        }
        const JournalContents read = readJournal(path);
        EXPECT_EQ(read.status, JournalStatus::Ok);
        EXPECT_EQ(read.records, sampleRecords());
        EXPECT_EQ(read.unreadable, 2u);
    }
}
