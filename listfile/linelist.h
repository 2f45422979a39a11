#pragma once
// An ordered list of byte lines (any bytes, NUL included; no line ends),
// kept compactly: the bytes live in a few large shared chunks and each line
// is a pointer into them and a one-byte length, 9 bytes a line. A line of
// longLine bytes or more is copied into a chunk behind its length, which the
// entry then points just past. A file's bytes are read whole into one chunk;
// later edits append their bytes to a chunk of their own and leave the
// replaced bytes as garbage, collected once it outweighs the live bytes.
//
// Copies are cheap and share everything: the first change to a shared copy
// copies the table of lines only, never the bytes. So a reader can hold the
// list as it stood at some moment at no cost until the next edit.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "listfile/largetable.h"

class LineList {
    // Lines are short nearly always: fifty million of them fit in less than
    // half the memory a pointer and a full length would take.
    static constexpr std::size_t longLine = 255;
#pragma pack(push, 1)
    struct Entry {
        const char* bytes;
        unsigned char shortSize;
        std::string_view view() const
        {
            if (shortSize != longLine)
                return {bytes, shortSize};
            std::size_t size;
            std::memcpy(&size, bytes - sizeof size, sizeof size);
            return {bytes, size};
        }
    };
#pragma pack(pop)
    static_assert(sizeof(Entry) == 9, "a line takes a pointer and one byte");

public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const { return entry_->view(); }
        std::string_view operator[](difference_type n) const { return entry_[n].view(); }
        const_iterator& operator++() { ++entry_; return *this; }
        const_iterator operator++(int) { auto old = *this; ++entry_; return old; }
        const_iterator& operator--() { --entry_; return *this; }
        const_iterator operator--(int) { auto old = *this; --entry_; return old; }
        const_iterator& operator+=(difference_type n) { entry_ += n; return *this; }
        const_iterator& operator-=(difference_type n) { entry_ -= n; return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const_iterator a, const_iterator b) { return a.entry_ - b.entry_; }
        friend bool operator==(const_iterator a, const_iterator b) { return a.entry_ == b.entry_; }
        friend bool operator!=(const_iterator a, const_iterator b) { return a.entry_ != b.entry_; }
        friend bool operator<(const_iterator a, const_iterator b) { return a.entry_ < b.entry_; }
        friend bool operator>(const_iterator a, const_iterator b) { return a.entry_ > b.entry_; }
        friend bool operator<=(const_iterator a, const_iterator b) { return a.entry_ <= b.entry_; }
        friend bool operator>=(const_iterator a, const_iterator b) { return a.entry_ >= b.entry_; }

    private:
        friend class LineList;
        explicit const_iterator(const Entry* entry) : entry_(entry) {}
        const Entry* entry_ = nullptr;
    };
    using iterator = const_iterator;
    using value_type = std::string_view;
    using size_type = std::size_t;

    LineList() = default;
    LineList(std::initializer_list<std::string_view> lines);
    LineList(std::size_t count, std::string_view line);
    template <typename Iterator>
    LineList(Iterator first, Iterator last)
    {
        for (; first != last; ++first)
            push_back(*first);
    }

    // An empty list that takes over bytes whole as a store for lines that
    // point into them (appendAdopted): the bytes of a file just read, say.
    // Nothing is copied.
    static LineList adoptBytes(TableBytes bytes, std::size_t size);
    // An empty list that holds on to the bytes of source, so that lines of
    // source can be appended with appendAdopted without copying their bytes:
    // an edited copy of a large list built in one pass.
    static LineList sharingBytesOf(const LineList& source);
    // Appends a line whose bytes lie inside those given to adoptBytes, or
    // inside the list given to sharingBytesOf (a long line is copied).
    void appendAdopted(std::string_view bytesInside)
    {
        if (bytesInside.size() >= longLine) {
            appendLongLine(bytesInside);
            return;
        }
        // Called once a line while a file is cut into lines: the table is
        // this list's own then, and the call stays inline.
        Data& data = data_ && data_.use_count() == 1 ? *data_ : writable();
        data.entries.push_back(Entry {bytesInside.data(), static_cast<unsigned char>(bytesInside.size())});
        data.liveBytes += bytesInside.size();
    }
    // Appends lines [first, last) of the list given to sharingBytesOf, whose
    // bytes this list holds on to, in one step.
    void appendAdopted(const LineList& source, std::size_t first, std::size_t last);
    // Appends every line of other, holding on to whatever bytes other holds:
    // nothing but the table of lines is copied. For a list cut into lines in
    // pieces, each piece sharingBytesOf the first.
    void appendAll(const LineList& other);

    std::size_t size() const { return data_ ? data_->entries.size() : 0; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](std::size_t i) const { return data_->entries[i].view(); }
    std::string_view front() const { return (*this)[0]; }
    std::string_view back() const { return (*this)[size() - 1]; }
    const_iterator begin() const { return const_iterator(data_ ? data_->entries.data() : nullptr); }
    const_iterator end() const { return begin() + static_cast<std::ptrdiff_t>(size()); }

    void set(std::size_t i, std::string_view bytes);
    void insert(std::size_t i, std::string_view bytes);
    void erase(std::size_t i);
    // Removes every line for which remove(line) holds, keeping the order of
    // the rest; returns how many went.
    template <typename Predicate>
    std::size_t eraseIf(Predicate remove);
    void push_back(std::string_view bytes) { insert(size(), bytes); }
    void clear() { data_.reset(); }
    void swap(LineList& other) noexcept { data_.swap(other.data_); }
    void reserve(std::size_t lines);
    // Moves line from to index to, shifting those between by one.
    void moveLine(std::size_t from, std::size_t to);

    // Sorts the lines; lines for which neither less(a, b) nor less(b, a)
    // holds keep their order. less takes two std::string_view.
    template <typename Less>
    void stableSort(Less less);
    // The same with a key worked out once for each line rather than at each
    // comparison: less takes (key, line, key, line).
    template <typename KeyOf, typename Less>
    void stableSortByKey(KeyOf keyOf, Less less);

    // Copies the lines' bytes into one chunk of their own and lets go of
    // every other chunk and of room for lines not used: for a list that
    // holds on to much more than it uses.
    void compact();

    // Whether both copies share the same table of lines (for tests of the
    // copy-on-write sharing).
    bool sharesLinesWith(const LineList& other) const { return data_ && data_ == other.data_; }
    // Bytes held for this list: line bytes, garbage and the table of lines.
    std::size_t bytesHeld() const;

    friend bool operator==(const LineList& a, const LineList& b);
    friend bool operator!=(const LineList& a, const LineList& b) { return !(a == b); }

private:
    struct Chunk {
        TableBytes bytes;
        std::size_t capacity = 0;
        std::size_t used = 0;
    };
    struct Data {
        std::vector<Entry, TableAllocator<Entry>> entries;
        std::vector<std::shared_ptr<Chunk>> chunks;
        // The chunk new bytes go to; owned by this table alone, so two
        // copies never append to the same chunk.
        std::shared_ptr<Chunk> appendChunk;
        std::size_t liveBytes = 0;
        std::size_t chunkBytes = 0;
    };

    Data& writable();
    void appendLongLine(std::string_view bytes);
    // The bytes a line takes in a chunk, its length included when long.
    static std::size_t storedSize(std::size_t lineSize);
    // Writes a line's bytes (and the length of a long one) at at.
    static Entry storeAt(char* at, std::string_view bytes);
    Entry store(std::string_view bytes);
    void collectGarbageIfWorthIt();

    std::shared_ptr<Data> data_;
};

template <typename Predicate>
std::size_t LineList::eraseIf(Predicate remove)
{
    if (empty())
        return 0;
    Data& data = writable();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < data.entries.size(); ++i) {
        if (remove(data.entries[i].view()))
            data.liveBytes -= data.entries[i].view().size();
        else
            data.entries[kept++] = data.entries[i];
    }
    const std::size_t removed = data.entries.size() - kept;
    data.entries.resize(kept);
    collectGarbageIfWorthIt();
    return removed;
}

template <typename Less>
void LineList::stableSort(Less less)
{
    if (size() < 2)
        return;
    Data& data = writable();
    std::stable_sort(data.entries.begin(), data.entries.end(),
                     [&less](const Entry& a, const Entry& b) { return less(a.view(), b.view()); });
}

template <typename KeyOf, typename Less>
void LineList::stableSortByKey(KeyOf keyOf, Less less)
{
    if (size() < 2)
        return;
    Data& data = writable();
    using Key = decltype(keyOf(std::string_view()));
    std::vector<std::pair<Key, Entry>> keyed;
    keyed.reserve(data.entries.size());
    for (const Entry& entry : data.entries)
        keyed.emplace_back(keyOf(entry.view()), entry);
    std::stable_sort(keyed.begin(), keyed.end(), [&less](const auto& a, const auto& b) {
        return less(a.first, a.second.view(), b.first, b.second.view());
    });
    for (std::size_t i = 0; i < keyed.size(); ++i)
        data.entries[i] = keyed[i].second;
}

// For test output.
std::ostream& operator<<(std::ostream& out, const LineList& lines);
