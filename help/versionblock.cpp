#include "help/versionblock.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace versionblock {

namespace {

// Written into the executable before the block. Kept away from printable
// text so that it does not turn up by chance.
constexpr std::array<std::uint8_t, 16> marker = {0x7F, 'Q', 'V', 'B', 'L', 'K', 0x00, 0x1A,
                                                 0xFE, 0xEF, 0x04, 0xBD, 'v', 'e', 'r', 0x01};
constexpr std::size_t headerSize = marker.size() + 8;  // marker, uint32 size, uint32 checksum
constexpr std::size_t nodeHeaderSize = 6;
constexpr char rootName[] = "VS_VERSION_INFO";

enum NodeType : std::uint16_t { binaryNode = 0, textNode = 1 };

struct Node {
    std::string name;
    NodeType type = binaryNode;
    std::vector<std::uint8_t> value;
    std::uint16_t valueLength = 0;
    std::vector<Node> children;
};

void put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}

std::uint16_t get16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t get32(const std::uint8_t* p)
{
    return std::uint32_t(get16(p)) | (std::uint32_t(get16(p + 2)) << 16);
}

std::size_t align4(std::size_t offset)
{
    return (offset + 3) & ~std::size_t(3);
}

void padTo4(std::vector<std::uint8_t>& out)
{
    out.resize(align4(out.size()), 0);
}

std::uint16_t checkedLength(std::size_t length)
{
    if (length > 0xFFFF)
        throw std::length_error("version block entry too long");
    return std::uint16_t(length);
}

void write(std::vector<std::uint8_t>& out, const Node& node)
{
    padTo4(out);
    const std::size_t start = out.size();
    out.resize(start + nodeHeaderSize, 0);
    out.insert(out.end(), node.name.begin(), node.name.end());
    out.push_back(0);
    padTo4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children)
        write(out, child);
    const std::uint16_t length = checkedLength(out.size() - start);
    const std::uint8_t header[nodeHeaderSize] = {
        std::uint8_t(length & 0xFF), std::uint8_t(length >> 8),
        std::uint8_t(node.valueLength & 0xFF), std::uint8_t(node.valueLength >> 8),
        std::uint8_t(node.type), 0};
    std::copy(std::begin(header), std::end(header), out.begin() + std::ptrdiff_t(start));
}

Node textValue(const StringValue& s)
{
    Node node{s.name, textNode, {}, 0, {}};
    if (s.stored) {
        node.value.assign(s.value.begin(), s.value.end());
        node.value.push_back(0);
        node.valueLength = checkedLength(node.value.size());
    }
    return node;
}

std::vector<std::uint8_t> fixedInfo(const Content& c)
{
    auto high = [](const std::array<std::uint16_t, 4>& v) { return (std::uint32_t(v[0]) << 16) | v[1]; };
    auto low = [](const std::array<std::uint16_t, 4>& v) { return (std::uint32_t(v[2]) << 16) | v[3]; };
    std::vector<std::uint8_t> out;
    put32(out, fixedInfoSignature);
    put32(out, 0x00010000);  // structure version 1.0
    put32(out, high(c.fileVersion));
    put32(out, low(c.fileVersion));
    put32(out, high(c.productVersion));
    put32(out, low(c.productVersion));
    put32(out, 0x3F);        // flags mask
    put32(out, 0);           // flags
    put32(out, 0x00040004);  // operating system: 32-bit Windows NT style, as version blocks carry
    put32(out, 1);           // file type: application
    put32(out, 0);           // subtype
    put32(out, 0);           // date, high
    put32(out, 0);           // date, low
    return out;
}

std::string tableName(std::uint16_t language, std::uint16_t codePage)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string name;
    for (std::uint16_t part : {language, codePage})
        for (int shift = 12; shift >= 0; shift -= 4)
            name.push_back(digits[(part >> shift) & 0xF]);
    return name;
}

std::uint32_t checksum(const std::uint8_t* bytes, std::size_t size)
{
    std::uint32_t hash = 2166136261u;  // FNV-1a
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
    return hash;
}

// One node read back, with every offset inside the block.
struct NodeView {
    std::size_t end = 0;
    std::uint16_t valueLength = 0;
    std::string_view name;
    std::size_t valueStart = 0;
    std::size_t childrenStart = 0;
};

std::optional<NodeView> readNode(const std::uint8_t* block, std::size_t start, std::size_t limit)
{
    if (start + nodeHeaderSize > limit)
        return std::nullopt;
    const std::size_t length = get16(block + start);
    if (length < nodeHeaderSize || start + length > limit)
        return std::nullopt;
    NodeView node;
    node.end = start + length;
    node.valueLength = get16(block + start + 2);
    const auto* nameStart = block + start + nodeHeaderSize;
    const auto* nameEnd = static_cast<const std::uint8_t*>(std::memchr(nameStart, 0, node.end - (start + nodeHeaderSize)));
    if (!nameEnd)
        return std::nullopt;
    node.name = std::string_view(reinterpret_cast<const char*>(nameStart), std::size_t(nameEnd - nameStart));
    node.valueStart = std::min(align4(std::size_t(nameEnd - block) + 1), node.end);
    if (node.valueStart + node.valueLength > node.end)
        return std::nullopt;
    node.childrenStart = std::min(align4(node.valueStart + node.valueLength), node.end);
    return node;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<NodeView> findChild(const std::uint8_t* block, const NodeView& parent, std::string_view name)
{
    std::size_t at = parent.childrenStart;
    while (at + nodeHeaderSize <= parent.end) {
        const std::optional<NodeView> child = readNode(block, at, parent.end);
        if (!child)
            return std::nullopt;
        if (sameName(child->name, name))
            return child;
        at = align4(child->end);
    }
    return std::nullopt;
}

} // namespace

std::vector<std::uint8_t> build(const Content& content)
{
    Node table{tableName(content.language, content.codePage), textNode, {}, 0, {}};
    for (const StringValue& s : content.strings)
        table.children.push_back(textValue(s));

    std::vector<std::uint8_t> translation;
    put16(translation, content.language);
    put16(translation, content.codePage);

    Node root{rootName, binaryNode, fixedInfo(content), std::uint16_t(fixedInfoSize), {}};
    root.children.push_back({"StringFileInfo", textNode, {}, 0, {table}});
    root.children.push_back(
        {"VarFileInfo", textNode, {}, 0, {{"Translation", binaryNode, translation, 4, {}}}});

    std::vector<std::uint8_t> out;
    write(out, root);
    return out;
}

std::optional<std::array<std::uint16_t, 4>> parseVersion(std::string_view text)
{
    std::array<std::uint16_t, 4> parts{};
    std::size_t part = 0;
    std::uint32_t value = 0;
    bool digits = false;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + std::uint32_t(c - '0');
            if (value > 0xFFFF)
                return std::nullopt;
            digits = true;
        } else if (c == '.' && digits && part < 3) {
            parts[part++] = std::uint16_t(value);
            value = 0;
            digits = false;
        } else {
            return std::nullopt;
        }
    }
    if (!digits || part != 3)
        return std::nullopt;
    parts[3] = std::uint16_t(value);
    return parts;
}

std::vector<std::uint8_t> embeddable(const std::vector<std::uint8_t>& block)
{
    std::vector<std::uint8_t> out(marker.begin(), marker.end());
    put32(out, std::uint32_t(block.size()));
    put32(out, checksum(block.data(), block.size()));
    out.insert(out.end(), block.begin(), block.end());
    return out;
}

std::optional<Span> locate(const std::uint8_t* bytes, std::size_t size)
{
    const std::boyer_moore_horspool_searcher searcher(marker.begin(), marker.end());
    const std::uint8_t* end = bytes + size;
    for (const std::uint8_t* at = std::search(bytes, end, searcher); at != end;
         at = std::search(at + 1, end, searcher)) {
        if (std::size_t(end - at) < headerSize)
            break;
        const std::size_t blockSize = get32(at + marker.size());
        const std::uint8_t* block = at + headerSize;
        if (blockSize > std::size_t(end - block) || declaredSize(block) != blockSize)
            continue;
        if (checksum(block, blockSize) != get32(at + marker.size() + 4))
            continue;
        const std::optional<NodeView> root = readNode(block, 0, blockSize);
        if (!root || root->name != rootName)
            continue;
        return Span{std::size_t(block - bytes), blockSize};
    }
    return std::nullopt;
}

std::size_t declaredSize(const std::uint8_t* block)
{
    return block ? get16(block) : 0;
}

std::optional<Value> query(const std::uint8_t* block, std::size_t size, std::string_view path)
{
    if (!block)
        return std::nullopt;
    std::optional<NodeView> node = readNode(block, 0, size);
    if (!node)
        return std::nullopt;
    std::size_t at = 0;
    while (at < path.size()) {
        const std::size_t next = std::min(path.find('\\', at), path.size());
        const std::string_view name = path.substr(at, next - at);
        at = next + 1;
        if (name.empty())
            continue;
        node = findChild(block, *node, name);
        if (!node)
            return std::nullopt;
    }
    return Value{block + node->valueStart, node->valueLength};
}

} // namespace versionblock
