#pragma once
// Whether a help page can be laid out without freezing the window. The text
// document's time grows with the square of the page's nesting depth, and far
// faster for tables inside tables; a page past the limits is refused before
// Qt reads it.
#include <QStringView>

enum class HelpPageVerdict { Fine, TooLarge, NestedTooDeeply };

struct HelpPageLimits {
    qsizetype maxCharacters = 2 * 1024 * 1024;
    int maxDepth = 256;
    int maxTableDepth = 8;
};

// Reads the page's tags as the HTML reader does (optional end tags close
// themselves, a stray end tag is ignored) and stops at the first limit passed.
HelpPageVerdict checkHelpPage(QStringView html, const HelpPageLimits& limits = {});
