#pragma once
// The registry port over the system registry, through the ANSI functions: value names, key
// paths and string data are bytes of the system's ANSI code page, as the program keeps them.
//
// Paths are relative to the hive's root; leading and trailing backslashes are ignored. A path
// or a name that holds a NUL byte cannot name anything in the registry: reads of it fail with
// Failed and writes return false.
//
// Reads: Missing when the key or the value does not exist; WrongType when the value exists with
// another type (REG_SZ and REG_EXPAND_SZ count as strings, the latter read unexpanded; only
// REG_DWORD counts as a number); Failed for anything else, among them a REG_DWORD whose data is
// not 4 bytes long. A string ends at its first NUL or at the end of its data, whichever comes
// first; its length is not limited.
//
// Writes create nothing: the key must exist (CreateKey makes it). A string is stored as REG_SZ
// up to its first NUL, with a terminating NUL.
//
// Threads: the object holds no state; any thread may call it.

#include <cstdint>
#include <string>
#include <string_view>

#include "config/registry.h"

namespace lw {

class WinRegistry final : public Registry {
 public:
  bool KeyExists(Hive hive, std::string_view path) override;
  bool CreateKey(Hive hive, std::string_view path) override;
  RegValue<uint32_t> ReadDword(Hive hive, std::string_view path, std::string_view name) override;
  RegValue<std::string> ReadString(Hive hive, std::string_view path,
                                   std::string_view name) override;
  bool WriteDword(Hive hive, std::string_view path, std::string_view name, uint32_t value) override;
  bool WriteString(Hive hive, std::string_view path, std::string_view name,
                   std::string_view value) override;
  bool DeleteValue(Hive hive, std::string_view path, std::string_view name) override;
};

}  // namespace lw
