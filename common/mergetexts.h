#pragma once
// The merge in the user's words: what the user is told of a merge's own
// decisions (a project renumbered, an edit kept over a removal), one text
// each in the order the merge made them, and the user's answer to a conflict
// as the merge's choice. For the save, the editor's merge of the file into
// memory and a conflict copy's merge alike.
#include <QStringList>
#include <vector>

#include "common/dialogs.h"
#include "listfile/listmerge.h"

QStringList mergeNoticeTexts(const std::vector<MergeNotice>& notices);

// The conflict window's answer as the merge's choice: theirs is the other
// side's text, mine ours.
ConflictChoice conflictChoiceFor(ConflictAnswer answer);
