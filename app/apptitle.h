#pragma once
#include <QString>

// The executable's file name without folder and extension, every letter after
// the first in lower case: "quindle" gives "Quindle".
QString applicationTitle();
QString titleFromExecutableName(const QString& fileName);
