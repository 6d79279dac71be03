#include <windows.h>

#include <climits>

#include "common/file_append.h"

namespace lw {

// Append-only access puts every write at the end of the file, whoever else writes to it, with
// no separate seek; the path is ANSI, as the program's file names are.
bool AppendToFile(const std::string& path, std::string_view bytes) {
  if (bytes.size() > INT_MAX) return false;
  HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace lw
