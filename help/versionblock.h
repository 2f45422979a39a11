#pragma once
// The program's version block: a tree of named values laid out like the
// classic version resource, with 8-bit names and texts. Every node is
//   uint16 length (the whole node with its children), uint16 value length
//   (characters including the terminator for a text, bytes for binary data),
//   uint16 type (1 text, 0 binary), the name ended by a NUL, padding to 4,
//   the value, padding to 4, the child nodes (each starting on a multiple of 4).
// The root "VS_VERSION_INFO" holds the fixed file information and has the
// children "StringFileInfo" (one table per language and code page) and
// "VarFileInfo" (the "Translation" table). All numbers are little-endian.
//
// The build writes the block into the executable behind a marker and a small
// header (size and checksum), so that it can be found again in the file on
// disk. Plain C++: the build's generator uses this too.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace versionblock {

constexpr std::uint32_t fixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t fixedInfoSize = 52;  // thirteen 32-bit words

struct StringValue {
    std::string name;
    std::string value;
    // false: the name is there but holds no value at all (length 0), which
    // is not the same as an empty text (length 1, just the terminator).
    bool stored = true;
};

struct Content {
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;
    std::vector<StringValue> strings;
};

// The block for the content; throws std::length_error when it does not fit
// the 16-bit lengths.
std::vector<std::uint8_t> build(const Content& content);

// "1.0.0.3" as four numbers; nothing when the text is not of that form.
std::optional<std::array<std::uint16_t, 4>> parseVersion(std::string_view text);

// The block as it is written into the executable: marker, size, checksum, block.
std::vector<std::uint8_t> embeddable(const std::vector<std::uint8_t>& block);

// The first well-formed embedded block in the bytes of a file. Candidates
// whose size, checksum or root do not hold are passed over, so a stray copy
// of the marker (the reader's own, for one) is not taken for a block.
struct Span {
    std::size_t offset = 0;
    std::size_t size = 0;
};
std::optional<Span> locate(const std::uint8_t* bytes, std::size_t size);

// The value at a path such as "\", "\VarFileInfo\Translation" or
// "\StringFileInfo\080904E4\FileVersion". Names are matched without regard
// to case. Nothing when the path does not exist or the block is malformed.
struct Value {
    const std::uint8_t* data = nullptr;
    std::uint32_t length = 0;  // as stored in the block
};
std::optional<Value> query(const std::uint8_t* block, std::size_t size, std::string_view path);

// The block's own size, from its root node (0 when too short to tell).
std::size_t declaredSize(const std::uint8_t* block);

} // namespace versionblock
