#pragma once
// The conflict window asks which text to keep, "theirs" or "mine"; a merge
// knows its two sides as theirs and ours. Which of the merge's sides is the
// user's own depends on the merge: at a save, ours is the list in memory;
// merging a conflict copy, ours is the copy and the list in memory is
// theirs. Rows and answers are turned into each other here only.
#include <QList>
#include <QString>
#include <functional>
#include <string_view>
#include <vector>

#include "common/dialogs.h"
#include "listfile/listmerge.h"

// The merge's side that the conflict window shows as "mine".
enum class MineSide { Ours, Theirs };

// One row a conflict: its number, and each side's line shown by text.
QList<ConflictRow> conflictRows(const std::vector<MergeConflict>& conflicts, MineSide mine,
                                const std::function<QString(std::string_view)>& text);

// The merge's choice for each answer, in order.
std::vector<ConflictChoice> conflictChoices(const QList<ConflictAnswer>& answers, MineSide mine);
