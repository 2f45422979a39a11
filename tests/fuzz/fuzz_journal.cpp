// Reading the journal of unsaved changes from any bytes: it never fails, what
// it reads is written back the same, a shorter file reads as a prefix of the
// records, and where the bytes arrive in pieces makes no difference.
#include "fuzzcheck.h"

#include "listfile/listjournal.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool isPrefix(const std::vector<JournalRecord>& shorter, const std::vector<JournalRecord>& longer)
{
    return shorter.size() <= longer.size() && std::equal(shorter.begin(), shorter.end(), longer.begin());
}

bool same(const JournalContents& a, const JournalContents& b)
{
    return a.status == b.status && a.header == b.header && a.records == b.records && a.unreadable == b.unreadable;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const JournalContents read = decodeJournal(bytes);
    if (read.status != JournalStatus::Ok)
        FUZZ_CHECK(!read.header && read.records.empty() && read.unreadable == 0);
    FUZZ_CHECK(read.header || read.records.empty());

    // Written back and read again: the same header and records, whole.
    if (read.header) {
        const JournalContents again = decodeJournal(encodeJournal(*read.header, read.records));
        FUZZ_CHECK(again.status == JournalStatus::Ok && again.header == read.header);
        FUZZ_CHECK(again.records == read.records && again.unreadable == 0);
    }

    // A prefix, as a kill mid-write leaves: a prefix of the records.
    const std::size_t cuts[] = {size == 0 ? 0 : data[0] % (size + 1), size / 2, size == 0 ? 0 : size - 1};
    for (std::size_t cut : cuts) {
        const JournalContents prefix = decodeJournal(bytes.substr(0, cut));
        if (read.status == JournalStatus::Ok) {
            FUZZ_CHECK(prefix.status == JournalStatus::Ok || prefix.status == JournalStatus::NotAJournal);
            FUZZ_CHECK(!prefix.header || prefix.header == read.header);
            FUZZ_CHECK(isPrefix(prefix.records, read.records));
        }
    }

    // Fed in pieces of a size taken from the input.
    const std::size_t piece = size == 0 ? 1 : 1 + data[size - 1] % 64;
    JournalDecoder decoder;
    for (std::size_t at = 0; at < size && decoder.wantsMore(); at += piece)
        decoder.feed(bytes.substr(at, piece));
    FUZZ_CHECK(same(decoder.finish(), read));

    const JournalReplay replay = replayJournal(read.records);
    FUZZ_CHECK(replay.replayed + replay.unreadable == read.records.size());
    FUZZ_CHECK(replay.inEffect.size() + replay.undone.size() <= replay.replayed);
    return 0;
}
