#include "help/versionresources.h"

#include "help/versionblock.h"

#include <QFile>
#include <cstring>
#include <optional>
#include <vector>

namespace versionresources {

namespace {

// Where the build puts the block: a section of its own in the executable.
constexpr char versionSection[] = ".quindle_version";

// The bytes of the version section of an ELF file, so that the search needs
// not walk the whole executable (tens of MB with debugging information).
// Nothing when the file is not a well-formed 64-bit ELF file or lacks it.
std::optional<versionblock::Span> elfVersionSection(const uchar* bytes, std::size_t size)
{
    auto field = [&](std::size_t at, std::size_t width) -> std::optional<std::uint64_t> {
        if (at > size || width > size - at)
            return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)  // ELF of this machine: little-endian
            value |= std::uint64_t(bytes[at + i]) << (8 * i);
        return value;
    };
    if (size < 64 || std::memcmp(bytes, "\x7f" "ELF", 4) != 0 || bytes[4] != 2 || bytes[5] != 1)
        return std::nullopt;
    const auto tableAt = field(0x28, 8), entrySize = field(0x3A, 2), count = field(0x3C, 2),
               namesIndex = field(0x3E, 2);
    if (!tableAt || !entrySize || !count || !namesIndex || *entrySize < 64 || *namesIndex >= *count)
        return std::nullopt;
    auto sectionAt = [&](std::uint64_t index) { return *tableAt + index * *entrySize; };
    const auto namesOffset = field(sectionAt(*namesIndex) + 0x18, 8);
    const auto namesSize = field(sectionAt(*namesIndex) + 0x20, 8);
    if (!namesOffset || !namesSize || *namesOffset > size || *namesSize > size - *namesOffset)
        return std::nullopt;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto name = field(sectionAt(i), 4);
        const auto offset = field(sectionAt(i) + 0x18, 8);
        const auto length = field(sectionAt(i) + 0x20, 8);
        if (!name || !offset || !length || *name >= *namesSize)
            return std::nullopt;
        const char* text = reinterpret_cast<const char*>(bytes + *namesOffset + *name);
        const std::size_t room = std::size_t(*namesSize - *name);
        if (::strnlen(text, room) == sizeof(versionSection) - 1
            && std::memcmp(text, versionSection, sizeof(versionSection) - 1) == 0) {
            if (*offset > size || *length > size - *offset)
                return std::nullopt;
            return versionblock::Span{std::size_t(*offset), std::size_t(*length)};
        }
    }
    return std::nullopt;
}

// The block embedded in the file, copied out; nothing when the file cannot be
// read or holds no well-formed block.
std::optional<std::vector<std::uint8_t>> embeddedBlock(const char* fileName)
{
    if (!fileName)
        return std::nullopt;
    QFile file(QFile::decodeName(fileName));
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0)
        return std::nullopt;
    // Mapped, so only the pages up to the block are read; the block lies near
    // the start of the executable, well before its debugging information.
    const uchar* bytes = file.map(0, file.size());
    if (!bytes)
        return std::nullopt;
    // The block's own section when the file has one, else the whole file.
    const std::size_t fileSize = std::size_t(file.size());
    const versionblock::Span area = elfVersionSection(bytes, fileSize).value_or(versionblock::Span{0, fileSize});
    std::optional<versionblock::Span> span = versionblock::locate(bytes + area.offset, area.size);
    if (span)
        span->offset += area.offset;
    else if (area.size != fileSize)
        span = versionblock::locate(bytes, fileSize);
    if (!span)
        return std::nullopt;
    return std::vector<std::uint8_t>(bytes + span->offset, bytes + span->offset + span->size);
}

} // namespace

std::uint32_t GetFileVersionInfoSizeA(const char* fileName, std::uint32_t* handle)
{
    if (handle)
        *handle = 0;
    const auto block = embeddedBlock(fileName);
    return block ? std::uint32_t(block->size()) : 0;
}

bool GetFileVersionInfoA(const char* fileName, std::uint32_t, std::uint32_t size, void* data)
{
    const auto block = embeddedBlock(fileName);
    // A buffer too small for the whole block would leave the lengths inside
    // it pointing past its end.
    if (!block || !data || size < block->size())
        return false;
    std::memcpy(data, block->data(), block->size());
    return true;
}

bool VerQueryValueA(const void* block, const char* subBlock, void** value, std::uint32_t* length)
{
    if (!block || !subBlock || !value || !length)
        return false;
    const auto* bytes = static_cast<const std::uint8_t*>(block);
    const std::optional<versionblock::Value> found =
        versionblock::query(bytes, versionblock::declaredSize(bytes), subBlock);
    if (!found)
        return false;
    *value = const_cast<std::uint8_t*>(found->data);
    *length = found->length;
    return true;
}

} // namespace versionresources
