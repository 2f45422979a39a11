#pragma once
// The version-resource calls the about box reads through, answering from the
// version block embedded in an executable file on disk (never from the
// memory of the running program):
//   GetFileVersionInfoSizeA  the size of the file's block, 0 when it has none;
//   GetFileVersionInfoA      copies the block into a buffer of that size;
//   VerQueryValueA           finds a value in a copied block by its path:
//                            "\" (the fixed file information),
//                            "\VarFileInfo\Translation" (language and code page
//                            pairs), "\StringFileInfo\<lang><codepage>\<name>"
//                            (a text, its length in characters including the
//                            terminator, so an empty text has length 1).
#include <cstdint>

namespace versionresources {

std::uint32_t GetFileVersionInfoSizeA(const char* fileName, std::uint32_t* handle);
bool GetFileVersionInfoA(const char* fileName, std::uint32_t handle, std::uint32_t size, void* data);
bool VerQueryValueA(const void* block, const char* subBlock, void** value, std::uint32_t* length);

} // namespace versionresources
