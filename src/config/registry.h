#pragma once
// The registry as the configuration sees it: typed values under a key path of a hive. Strings
// are ANSI bytes, as the values' readers (phonebook entry names, executable paths) need them.
// Key paths and value names compare without regard to letter case, as in the system registry.

#include <cstdint>
#include <string>
#include <string_view>

namespace lw {

enum class Hive { CurrentUser, LocalMachine };

enum class RegStatus {
  Ok,
  Missing,    // the key or the value does not exist
  WrongType,  // the value exists with another type than asked for
  Failed,     // any other failure of the registry
};

template <typename T>
struct RegValue {
  RegStatus status = RegStatus::Missing;
  T value{};
  bool ok() const { return status == RegStatus::Ok; }
};

class Registry {
 public:
  virtual ~Registry() = default;
  // True when the key exists (it is not created).
  virtual bool KeyExists(Hive hive, std::string_view path) = 0;
  // Creates the key (and its parents) when it is missing; true when it exists afterwards.
  virtual bool CreateKey(Hive hive, std::string_view path) = 0;
  virtual RegValue<uint32_t> ReadDword(Hive hive, std::string_view path, std::string_view name) = 0;
  virtual RegValue<std::string> ReadString(Hive hive, std::string_view path,
                                           std::string_view name) = 0;
  // Writing creates nothing: the key must exist. True on success.
  virtual bool WriteDword(Hive hive, std::string_view path, std::string_view name,
                          uint32_t value) = 0;
  virtual bool WriteString(Hive hive, std::string_view path, std::string_view name,
                           std::string_view value) = 0;
  virtual bool DeleteValue(Hive hive, std::string_view path, std::string_view name) = 0;
};

// Where the program keeps its values, and the autorun key.
inline constexpr std::string_view kSettingsKey = "Software\\LarkWatch\\";
// The checksums of the extension libraries: one integer per library, named by its base name,
// stored by the add-on service's workers and compared by the extension loader.
inline constexpr std::string_view kExtensionsKey = "Software\\LarkWatch\\Extensions\\";
inline constexpr std::string_view kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\";
inline constexpr std::string_view kRunValue = "LarkWatch";

}  // namespace lw
