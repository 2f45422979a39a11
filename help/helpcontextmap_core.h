#pragma once
// The help context map without any toolkit: the name hash, the reader of a
// help project's "[MAP]" section, the stored table of (hash, context) records
// and its lookup. Plain C++17, so that it can be fuzzed on its own.
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace helpmap {

using ContextPair = std::pair<std::int32_t, std::int32_t>;  // (name hash, context number)

// Case-blind hash of a name; 0 for the empty name.
std::int32_t HashName(std::string_view name);

// The (hash, number) pairs of the "[MAP]" section(s) of a help project file,
// in file order.
std::vector<ContextPair> ReadMapSection(std::istream& in);

// Sorted by hash, as signed numbers; equal hashes keep their order.
void sortPairs(std::vector<ContextPair>& pairs);

// The stored table: a 4-byte little-endian byte count N, then N bytes of
// 8-byte records (hash, context), each little-endian.
std::string encodeTable(const std::vector<ContextPair>& sortedPairs);
// The records of a stored table; a count that does not fit the bytes is cut
// to the whole records present.
std::vector<ContextPair> decodeTable(std::string_view bytes);

// Binary search of a sorted table; 0 when the name is empty or not found.
std::int32_t LookupContext(const std::vector<ContextPair>& sortedPairs, std::string_view name);

// The map key of a component: "owner.component" for a ".hpj" project,
// "owner_component" for a ".hhp" one; empty for any other extension or when
// owner and component are the same object.
std::string contextMapKey(std::string_view projectFile, std::string_view ownerName, std::string_view componentName,
                          bool sameObject);

} // namespace helpmap
