#pragma once
// A change of the list by project number, the unit of everything that works
// on changes not yet saved: undo and redo, the journal that survives a crash,
// and the save that puts our changes onto the list as it is on disk now.
// A project is matched on its line's number key, as findProjectLine matches
// it: "1000" and "100" are two projects.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "listfile/linelist.h"

struct ListOperation {
    enum class Kind : std::uint8_t { Put = 1, Remove = 2 };
    Kind kind = Kind::Put;
    // The project's number as the list writes it ("012").
    std::string numberText;
    // Put: the line put as the project's line. Remove: empty.
    std::string line;
    // The line the operation replaced (Put) or took out (Remove); none for
    // the Put of a project the list did not hold.
    std::optional<std::string> replaced;
    // Put of a project the list did not hold: where it was asked to go.
    std::optional<std::uint64_t> insertAt;
    // Put of a new project under the number "Add project" proposed rather
    // than one the user chose: a merge may give it another number.
    bool numberProposed = false;

    friend bool operator==(const ListOperation& a, const ListOperation& b)
    {
        return a.kind == b.kind && a.numberText == b.numberText && a.line == b.line && a.replaced == b.replaced
            && a.insertAt == b.insertAt && a.numberProposed == b.numberProposed;
    }
    friend bool operator!=(const ListOperation& a, const ListOperation& b) { return !(a == b); }
};

// Applies op to lines by number, as "Apply Changes" and "Remove Project" do,
// and keeps the list's order; returns false (lines unchanged) for a Remove
// whose project the list does not hold.
bool applyOperation(LineList& lines, const ListOperation& op);

// The operation that takes op back by number.
ListOperation inverseOperation(const ListOperation& op);

// What each of ops meets when they are applied in order to lines, as
// applyOperations applies them: its project's first line at that moment
// (the line a Put replaces or a Remove takes out), or none.
std::vector<std::optional<std::string>> linesMet(const LineList& lines, const std::vector<ListOperation>& ops);

// Applies ops in order to lines in a single pass, for many operations on a
// long list (changes recovered after a crash): the lines end as applying
// them one by one with applyOperation leaves them, up to the order of lines
// that compare equal. Only the lines whose number key an
// operation names are followed one change after another; the lines put go
// where the list's order puts them. A list that was out of order is sorted
// whole when a Put is among ops, as that Put one by one would sort it;
// Removes alone keep its order. Removes whose project is gone by then change
// nothing.
void applyOperations(LineList& lines, const std::vector<ListOperation>& ops);

// The operations that turn from into to, for the projects numbered (repeats
// allowed): a Put for each whose first line differs or is new, a Remove for
// each that to no longer holds. Lines of other numbers are taken to agree.
std::vector<ListOperation> operationsBetween(const LineList& from, const LineList& to,
                                             const std::vector<std::string>& numbers);
