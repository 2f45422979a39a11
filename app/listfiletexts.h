#pragma once
// How the window names the list file and words what the list store reports,
// the same in every message.
#include <QString>
#include <string>

// "Project List <path>", the list file as messages name it.
QString listFileNamed(const std::string& path);

// A list store message (ListFileError) in the user's language; the file
// name in it is kept as it came.
QString listFileErrorText(const char* message);
