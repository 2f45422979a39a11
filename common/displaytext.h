#pragma once
// Bytes from a list file shown as text, and text typed by the user stored as
// bytes. How a line's bytes are shown is decided for the whole line
// (lineCoding) and then used for every piece cut from it:
// - a line of valid UTF-8 is shown as UTF-8. Fixed column positions can cut
//   a multi-byte character; the cut pieces are dropped rather than shown as
//   garbage.
// - any other line (text written in an 8-bit code page) is shown through
//   Windows-1252 with its five unassigned bytes kept as the control
//   characters of the same code, so every byte is one character and the
//   text stores back as the very same bytes.
// In a line that holds NUL bytes, each is shown as the visible mark U+2400
// and stored back as a NUL. Text that is no list line (a path, say) is shown
// in the default coding, which keeps a NUL a NUL.
#include <QString>
#include <string>
#include <string_view>

struct LineCoding {
    bool eightBit = false;  // not UTF-8: one character per byte
    bool holdsNul = false;  // NUL shows as U+2400, and U+2400 stores as a NUL
};

// How the pieces of line are shown and stored.
LineCoding lineCoding(std::string_view line);

QString displayText(std::string_view bytes, LineCoding coding = {});
// The bytes a text typed by the user is stored as, in the coding of the line
// it came from: characters shown from that line store as the bytes they were
// shown from. A character the 8-bit coding has no byte for is stored as
// UTF-8, so nothing typed is lost.
std::string storedBytes(const QString& text, LineCoding coding = {});

// A file name shown to the user: as UTF-8 when it is, else one character per
// byte as an 8-bit line is shown, so no byte of it drops out of a message.
QString pathText(std::string_view path);

// The list file at path as messages name it: "Project List <path>".
QString listFileNamed(std::string_view path);
