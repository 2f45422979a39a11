#pragma once
// Memory for the large tables of a big list (a million lines' table, the
// bytes of a file read whole). Fresh memory costs a page fault each 4 KiB it
// is first touched, which for tens of megabytes is slower than filling it:
// a table of 2 MiB or more therefore takes whole huge pages, on their
// boundaries, and the system is asked to back it by them where it can.
#include <cstddef>
#include <memory>
#include <new>

void* allocateTable(std::size_t bytes);
// bytes: as given to allocateTable.
void freeTable(void* table, std::size_t bytes) noexcept;

// An allocator for std::vector that takes its memory from allocateTable.
template <typename T>
struct TableAllocator {
    using value_type = T;
    TableAllocator() = default;
    template <typename U>
    TableAllocator(const TableAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocateTable(n * sizeof(T))); }
    void deallocate(T* table, std::size_t n) noexcept { freeTable(table, n * sizeof(T)); }
    template <typename U>
    bool operator==(const TableAllocator<U>&) const noexcept { return true; }
    template <typename U>
    bool operator!=(const TableAllocator<U>&) const noexcept { return false; }
};

// Bytes from allocateTable, freed as they were taken.
struct TableBytesFree {
    std::size_t size = 0;
    void operator()(char* bytes) const noexcept { freeTable(bytes, size); }
};
using TableBytes = std::unique_ptr<char[], TableBytesFree>;

// size bytes (at least one) from allocateTable; std::bad_alloc when there are none.
inline TableBytes allocateTableBytes(std::size_t size)
{
    const std::size_t held = size == 0 ? 1 : size;
    return TableBytes(static_cast<char*>(allocateTable(held)), TableBytesFree {held});
}
