#pragma once
// What one step of the document's history of changes did, for naming it:
// "Apply Changes" or "Remove Project" of one project, or a batch of changes
// applied in one pass (recovered from a journal, merged from a conflict copy).
#include <string>

struct HistoryStep {
    enum class Kind { Put, Remove, Recovery, ConflictCopy };
    Kind kind = Kind::Put;
    // Put and Remove: the project's number as the list writes it.
    std::string numberText;

    bool isBatch() const { return kind == Kind::Recovery || kind == Kind::ConflictCopy; }
};
