#pragma once
// Opens a file by its full path with a C library mode ("rb", "ab", "w+b"...). On Windows the
// path is passed on as UTF-16, so that folders whose names lie outside the ANSI code page (a
// user's temporary folder, for one) work too.

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace lw {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// Moves to a 64-bit offset from the start, so that files beyond 2 GiB are read correctly too.
bool SeekFile(std::FILE* file, uint64_t offset);

}  // namespace lw
