#pragma once
// The two project searches over the rows of the list view: by number (a
// prefix of the caption, starting at the third row and wrapping) and by text
// (in the trimmed description). They read the view's rows as shown, edits
// in place included, and know nothing of windows.
#include <QString>

#include <cstdint>
#include <string>
#include <string_view>

#include "listfile/textsearch.h"

class ProjectListModel;

struct NumberSearchResult {
    bool validNumber = false;  // the find text read whole as a number
    int32_t value = 0;         // the value read before the first bad character
    int row = -1;              // the hit, or -1
};

// The find text must read whole as a number; it is then matched as typed
// against the start of each caption, from row 2 to the last, then rows 0 and 1.
NumberSearchResult searchProjectNumber(const ProjectListModel& rows, std::string_view findText);

// The first row whose trimmed description holds findText (equals it, with
// wholeWord), or -1. Without matchCase both sides are compared upper-cased.
// An empty find text is found nowhere.
int searchProjectText(const ProjectListModel& rows, std::string_view findText, bool matchCase,
                      bool wholeWord);
// The same for a find text as typed: each row is searched for the bytes the
// text has in the coding of the row's line, so "Caf\u00E9" finds an 8-bit
// line's "Caf\xE9" as well as a UTF-8 one, and the NUL mark finds a NUL.
int searchTypedText(const ProjectListModel& rows, const QString& findText, bool matchCase, bool wholeWord);
