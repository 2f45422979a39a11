#pragma once
// What wizard page 4 does.
#include <cstdint>

enum WizardMode : std::uint8_t {
    mdNone = 0,     // nothing: the value at start
    mdNewList = 1,  // starts a new, empty list for the list file in use
    mdEdit = 2,     // edits the list; also the mode a project is added in
    mdDelete = 3,   // removes projects
    mdInsert = 4,   // inserts a project before the selected one
};
