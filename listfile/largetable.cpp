#include "listfile/largetable.h"

#include "listfile/systemfile.h"

namespace {

constexpr std::size_t hugePage = std::size_t(2) << 20;
// Below this a table is ordinary memory: huge pages would waste more than
// the faults they save.
constexpr std::size_t largeTable = hugePage;

// A large table takes whole huge pages, so that its end is one too.
std::size_t heldFor(std::size_t bytes)
{
    return (bytes + hugePage - 1) / hugePage * hugePage;
}

} // namespace

void* allocateTable(std::size_t bytes)
{
    if (bytes < largeTable)
        return ::operator new(bytes);
    void* table = ::operator new(heldFor(bytes), std::align_val_t(hugePage));
    preferHugePages(table, heldFor(bytes));
    return table;
}

void freeTable(void* table, std::size_t bytes) noexcept
{
    if (bytes < largeTable)
        ::operator delete(table);
    else
        ::operator delete(table, std::align_val_t(hugePage));
}
