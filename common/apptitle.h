#pragma once
#include <QString>

// The executable's file name without folder and extension, the first letter in
// upper case and every letter after it in lower case: "quindle" gives "Quindle".
QString applicationTitle();
QString titleFromExecutableName(const QString& fileName);
