#include <cstdint>
#include <cstdio>
#include <string>

#include "common/file_open.h"

namespace lw {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  // The mode is ASCII; its characters widen one to one.
  const std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(path.c_str(), wide_mode.c_str());
}

bool SeekFile(std::FILE* file, uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
  return _fseeki64(file, static_cast<int64_t>(offset), SEEK_SET) == 0;
}

}  // namespace lw
