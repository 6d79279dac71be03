#include "common/file_append.h"

// The Windows build has its own, with the system's append access (common/win/).
#include <cstdio>

namespace lw {

bool AppendToFile(const std::string& path, std::string_view bytes) {
  // Binary append: every CR LF reaches the file as it is.
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace lw
