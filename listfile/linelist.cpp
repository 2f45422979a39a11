#include "listfile/linelist.h"

#include <cstring>
#include <ostream>

namespace {

// New bytes are gathered in chunks of this size (a longer line gets a chunk
// of its own): small enough not to matter for a short list, large enough
// that a million edits are a few hundred allocations.
constexpr std::size_t appendChunkSize = 64 * 1024;
// Garbage below this is never worth a collection.
constexpr std::size_t leastGarbageCollected = 1024 * 1024;

} // namespace

LineList::LineList(std::initializer_list<std::string_view> lines)
{
    reserve(lines.size());
    for (std::string_view line : lines)
        push_back(line);
}

LineList::LineList(std::size_t count, std::string_view line)
{
    reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        push_back(line);
}

LineList LineList::adoptBytes(TableBytes bytes, std::size_t size)
{
    LineList list;
    auto data = std::make_shared<Data>();
    auto chunk = std::make_shared<Chunk>();
    chunk->bytes = std::move(bytes);
    chunk->capacity = size;
    chunk->used = size;
    data->chunkBytes = size;
    data->chunks.push_back(std::move(chunk));
    list.data_ = std::move(data);
    return list;
}

LineList LineList::sharingBytesOf(const LineList& source)
{
    LineList list;
    auto data = std::make_shared<Data>();
    if (source.data_) {
        // The source's chunk for new bytes comes along too, but never as this
        // list's own: only the source appends to it.
        data->chunks = source.data_->chunks;
        data->chunkBytes = source.data_->chunkBytes;
    }
    list.data_ = std::move(data);
    return list;
}

void LineList::appendAdopted(const LineList& source, std::size_t first, std::size_t last)
{
    if (first >= last)
        return;
    Data& data = writable();
    const auto begin = source.data_->entries.begin() + static_cast<std::ptrdiff_t>(first);
    const auto end = source.data_->entries.begin() + static_cast<std::ptrdiff_t>(last);
    data.entries.insert(data.entries.end(), begin, end);
    for (auto entry = begin; entry != end; ++entry)
        data.liveBytes += entry->view().size();
}

void LineList::appendAll(const LineList& other)
{
    if (other.empty())
        return;
    Data& data = writable();
    const Data& theirs = *other.data_;
    data.entries.insert(data.entries.end(), theirs.entries.begin(), theirs.entries.end());
    data.liveBytes += theirs.liveBytes;
    for (const std::shared_ptr<Chunk>& chunk : theirs.chunks) {
        if (std::find(data.chunks.begin(), data.chunks.end(), chunk) != data.chunks.end())
            continue;
        data.chunks.push_back(chunk);
        data.chunkBytes += chunk->capacity;
    }
}

void LineList::appendLongLine(std::string_view bytes)
{
    const Entry entry = store(bytes);
    Data& data = *data_;
    data.entries.push_back(entry);
    data.liveBytes += bytes.size();
}

LineList::Data& LineList::writable()
{
    if (!data_) {
        data_ = std::make_shared<Data>();
    } else if (data_.use_count() > 1) {
        auto copy = std::make_shared<Data>();
        // A copy is made to be changed: room for a few more lines spares the
        // next insert copying the whole table again.
        const auto& entries = data_->entries;
        copy->entries.reserve(entries.size() + entries.size() / 64 + 16);
        copy->entries.assign(entries.begin(), entries.end());
        copy->chunks = data_->chunks;
        copy->liveBytes = data_->liveBytes;
        copy->chunkBytes = data_->chunkBytes;
        data_ = std::move(copy);
    }
    return *data_;
}

std::size_t LineList::storedSize(std::size_t lineSize)
{
    return lineSize < longLine ? lineSize : lineSize + sizeof(std::size_t);
}

LineList::Entry LineList::storeAt(char* at, std::string_view bytes)
{
    if (bytes.size() < longLine) {
        std::memcpy(at, bytes.data(), bytes.size());
        return Entry {at, static_cast<unsigned char>(bytes.size())};
    }
    const std::size_t size = bytes.size();
    std::memcpy(at, &size, sizeof size);
    at += sizeof size;
    std::memcpy(at, bytes.data(), size);
    return Entry {at, static_cast<unsigned char>(longLine)};
}

LineList::Entry LineList::store(std::string_view bytes)
{
    Data& data = writable();
    if (bytes.empty())
        return Entry {nullptr, 0};
    const std::size_t needed = storedSize(bytes.size());
    Chunk* chunk = data.appendChunk.get();
    if (!chunk || chunk->capacity - chunk->used < needed) {
        auto fresh = std::make_shared<Chunk>();
        fresh->capacity = std::max(appendChunkSize, needed);
        fresh->bytes = allocateTableBytes(fresh->capacity);
        data.chunks.push_back(fresh);
        data.chunkBytes += fresh->capacity;
        data.appendChunk = std::move(fresh);
        chunk = data.appendChunk.get();
    }
    const Entry entry = storeAt(chunk->bytes.get() + chunk->used, bytes);
    chunk->used += needed;
    return entry;
}

void LineList::set(std::size_t i, std::string_view bytes)
{
    const Entry entry = store(bytes);
    Data& data = *data_;
    data.liveBytes = data.liveBytes - data.entries[i].view().size() + entry.view().size();
    data.entries[i] = entry;
    collectGarbageIfWorthIt();
}

void LineList::insert(std::size_t i, std::string_view bytes)
{
    const Entry entry = store(bytes);
    Data& data = *data_;
    data.entries.insert(data.entries.begin() + static_cast<std::ptrdiff_t>(i), entry);
    data.liveBytes += entry.view().size();
}

void LineList::erase(std::size_t i)
{
    Data& data = writable();
    data.liveBytes -= data.entries[i].view().size();
    data.entries.erase(data.entries.begin() + static_cast<std::ptrdiff_t>(i));
    collectGarbageIfWorthIt();
}

void LineList::reserve(std::size_t lines)
{
    writable().entries.reserve(lines);
}

void LineList::moveLine(std::size_t from, std::size_t to)
{
    if (from == to)
        return;
    auto& entries = writable().entries;
    const auto at = [&entries](std::size_t i) { return entries.begin() + static_cast<std::ptrdiff_t>(i); };
    if (from < to)
        std::rotate(at(from), at(from + 1), at(to + 1));
    else
        std::rotate(at(to), at(from), at(from + 1));
}

// Copies the live bytes into one fresh chunk once more than half of what is
// held is garbage. Copies of the list that still point into the old chunks
// keep them alive; the rest are freed.
void LineList::collectGarbageIfWorthIt()
{
    Data& data = *data_;
    const std::size_t garbage = data.chunkBytes - data.liveBytes;
    if (garbage < leastGarbageCollected || garbage <= data.liveBytes)
        return;
    compact();
}

void LineList::compact()
{
    if (!data_)
        return;
    Data& data = writable();
    data.entries.shrink_to_fit();
    auto chunk = std::make_shared<Chunk>();
    for (const Entry& entry : data.entries)
        chunk->capacity += storedSize(entry.view().size());
    chunk->bytes = allocateTableBytes(chunk->capacity);
    for (Entry& entry : data.entries) {
        const std::string_view line = entry.view();
        if (line.empty())
            continue;
        entry = storeAt(chunk->bytes.get() + chunk->used, line);
        chunk->used += storedSize(line.size());
    }
    data.chunks.clear();
    data.appendChunk.reset();
    data.chunkBytes = chunk->capacity;
    data.chunks.push_back(std::move(chunk));
}

std::size_t LineList::bytesHeld() const
{
    if (!data_)
        return 0;
    return data_->chunkBytes + data_->entries.capacity() * sizeof(Entry);
}

bool operator==(const LineList& a, const LineList& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin());
}

std::ostream& operator<<(std::ostream& out, const LineList& lines)
{
    out << '{';
    for (std::size_t i = 0; i < lines.size(); ++i)
        out << (i ? ", \"" : "\"") << lines[i] << '"';
    return out << '}';
}
