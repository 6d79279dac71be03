#include "common/file_open.h"

// The Windows build has its own, opening by the UTF-16 path (common/win/).
namespace lw {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool SeekFile(std::FILE* file, uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

}  // namespace lw
