#pragma once
// Asks the system to back a large, not yet touched allocation with huge
// pages where it can: a million-line list otherwise costs tens of thousands
// of page faults. A hint only; nothing changes where it is not supported.
#include <cstddef>

void preferHugePages(const void* data, std::size_t bytes);
