#pragma once
// A journal of unsaved changes made to look as a run that died left it: the
// pid in its header becomes one no process can have, so that even a journal
// this process wrote is offered for recovery.
#include "listfile/listjournal.h"

#include <fstream>
#include <optional>
#include <string>

// The journal's header as rewritten; none when path holds no journal.
inline std::optional<JournalHeader> makeJournalOfDeadRun(const std::string& path)
{
    JournalContents contents = readJournal(path);
    if (!contents.header)
        return std::nullopt;
    // Above the largest pid Linux gives (4194304).
    contents.header->process.pid = 1 << 23;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << encodeJournal(*contents.header, contents.records);
    out.close();
    return out ? contents.header : std::nullopt;
}
