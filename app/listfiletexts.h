#pragma once
// The list store's messages as the window shows them.
#include <QString>

// A list store message (ListFileError) in the user's language; the file
// name in it is kept as it came.
QString listFileErrorText(const char* message);
