#include "versionresources.h"

#include "versionblock.h"

#include <QFile>
#include <cstring>
#include <optional>
#include <vector>

namespace versionresources {

namespace {

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
    const std::optional<versionblock::Span> span = versionblock::locate(bytes, std::size_t(file.size()));
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
