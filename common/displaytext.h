#pragma once
// Bytes from a list file shown through the locale's 8-bit decoding. Fixed
// column positions can cut a multi-byte character; the cut pieces are dropped
// rather than shown as garbage.
#include <QString>
#include <string>
#include <string_view>

QString displayText(std::string_view bytes);
// The bytes a text typed by the user is stored as.
std::string storedBytes(const QString& text);
