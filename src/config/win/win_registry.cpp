#include "config/win/win_registry.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>
#include <vector>

namespace lw {

namespace {

// An open registry key, closed when it goes out of scope.
class UniqueHKey {
 public:
  UniqueHKey() = default;
  UniqueHKey(const UniqueHKey&) = delete;
  UniqueHKey& operator=(const UniqueHKey&) = delete;
  ~UniqueHKey() { Reset(); }

  HKEY get() const { return key_; }
  // The address for a function that opens a key, after closing the one held.
  HKEY* Receive() {
    Reset();
    return &key_;
  }

 private:
  void Reset() {
    if (key_) RegCloseKey(std::exchange(key_, nullptr));
  }
  HKEY key_ = nullptr;
};

HKEY Root(Hive hive) { return hive == Hive::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

// The key path as the registry functions take it: no leading or trailing backslash (the
// functions refuse a leading one). nullopt when a NUL would cut it short.
std::optional<std::string> KeyPath(std::string_view path) {
  if (path.find('\0') != std::string_view::npos) return std::nullopt;
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  return std::string(path);
}

std::optional<std::string> ValueName(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) return std::nullopt;
  return std::string(name);
}

bool IsAbsent(LSTATUS status) {
  return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND;
}

LSTATUS OpenKey(Hive hive, std::string_view path, REGSAM access, UniqueHKey& key) {
  const std::optional<std::string> key_path = KeyPath(path);
  if (!key_path) return ERROR_INVALID_PARAMETER;
  return RegOpenKeyExA(Root(hive), key_path->c_str(), 0, access, key.Receive());
}

// A value as the registry holds it: its type and the bytes of its data.
struct RawValue {
  RegStatus status = RegStatus::Failed;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

RegStatus StatusOf(LSTATUS status) {
  return IsAbsent(status) ? RegStatus::Missing : RegStatus::Failed;
}

RawValue QueryValue(Hive hive, std::string_view path, std::string_view name) {
  RawValue result;
  const std::optional<std::string> value_name = ValueName(name);
  if (!value_name) return result;
  UniqueHKey key;
  LSTATUS status = OpenKey(hive, path, KEY_QUERY_VALUE, key);
  if (status != ERROR_SUCCESS) {
    result.status = StatusOf(status);
    return result;
  }
  // The size first; the data may still grow before it is read, so a buffer that has become
  // too small is enlarged and the read repeated. The ANSI function may report the size of the
  // stored UTF-16 text, which is more than it then returns.
  DWORD size = 0;
  status = RegQueryValueExA(key.get(), value_name->c_str(), nullptr, &result.type, nullptr, &size);
  if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
    result.status = StatusOf(status);
    return result;
  }
  constexpr std::size_t kMaxSize = std::numeric_limits<DWORD>::max();
  std::size_t capacity = std::min<std::size_t>(std::size_t{size} + 1, kMaxSize);
  constexpr int kAttempts = 8;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    result.data.resize(capacity);
    DWORD got = static_cast<DWORD>(capacity);
    status = RegQueryValueExA(key.get(), value_name->c_str(), nullptr, &result.type,
                              result.data.data(), &got);
    if (status == ERROR_SUCCESS) {
      // Never trust a size beyond the buffer that was given.
      result.data.resize(std::min<std::size_t>(got, capacity));
      result.status = RegStatus::Ok;
      return result;
    }
    if (status != ERROR_MORE_DATA) {
      result.data.clear();
      result.status = StatusOf(status);
      return result;
    }
    if (capacity == kMaxSize) break;
    capacity =
        std::min<std::size_t>(std::max<std::size_t>(std::size_t{got} + 1, capacity * 2), kMaxSize);
  }
  result.data.clear();
  result.status = RegStatus::Failed;
  return result;
}

bool SetValue(Hive hive, std::string_view path, std::string_view name, DWORD type, const BYTE* data,
              std::size_t size) {
  const std::optional<std::string> value_name = ValueName(name);
  if (!value_name || size > std::numeric_limits<DWORD>::max()) return false;
  UniqueHKey key;
  if (OpenKey(hive, path, KEY_SET_VALUE, key) != ERROR_SUCCESS) return false;
  return RegSetValueExA(key.get(), value_name->c_str(), 0, type, data, static_cast<DWORD>(size)) ==
         ERROR_SUCCESS;
}

}  // namespace

bool WinRegistry::KeyExists(Hive hive, std::string_view path) {
  UniqueHKey key;
  const LSTATUS status = OpenKey(hive, path, KEY_QUERY_VALUE, key);
  // A key that refuses to be read still exists.
  return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
}

bool WinRegistry::CreateKey(Hive hive, std::string_view path) {
  const std::optional<std::string> key_path = KeyPath(path);
  if (!key_path) return false;
  UniqueHKey key;
  return RegCreateKeyExA(Root(hive), key_path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_QUERY_VALUE, nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
}

RegValue<uint32_t> WinRegistry::ReadDword(Hive hive, std::string_view path, std::string_view name) {
  RegValue<uint32_t> result;
  const RawValue raw = QueryValue(hive, path, name);
  result.status = raw.status;
  if (raw.status != RegStatus::Ok) return result;
  if (raw.type != REG_DWORD) {
    result.status = RegStatus::WrongType;
  } else if (raw.data.size() != sizeof(uint32_t)) {
    result.status = RegStatus::Failed;
  } else {
    result.value = uint32_t{raw.data[0]} | uint32_t{raw.data[1]} << 8 |
                   uint32_t{raw.data[2]} << 16 | uint32_t{raw.data[3]} << 24;
  }
  return result;
}

RegValue<std::string> WinRegistry::ReadString(Hive hive, std::string_view path,
                                              std::string_view name) {
  RegValue<std::string> result;
  const RawValue raw = QueryValue(hive, path, name);
  result.status = raw.status;
  if (raw.status != RegStatus::Ok) return result;
  if (raw.type != REG_SZ && raw.type != REG_EXPAND_SZ) {
    result.status = RegStatus::WrongType;
    return result;
  }
  // The data need not end with a NUL, and may hold several.
  const BYTE* begin = raw.data.data();
  const std::size_t size = raw.data.size();
  const void* nul = size ? std::memchr(begin, 0, size) : nullptr;
  const std::size_t length =
      nul ? static_cast<std::size_t>(static_cast<const BYTE*>(nul) - begin) : size;
  result.value.assign(reinterpret_cast<const char*>(begin), length);
  return result;
}

bool WinRegistry::WriteDword(Hive hive, std::string_view path, std::string_view name,
                             uint32_t value) {
  const BYTE data[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                        static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  return SetValue(hive, path, name, REG_DWORD, data, sizeof(data));
}

bool WinRegistry::WriteString(Hive hive, std::string_view path, std::string_view name,
                              std::string_view value) {
  const std::size_t nul = value.find('\0');
  if (nul != std::string_view::npos) value = value.substr(0, nul);
  const std::string text(value);  // with its terminating NUL
  return SetValue(hive, path, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                  text.size() + 1);
}

bool WinRegistry::DeleteValue(Hive hive, std::string_view path, std::string_view name) {
  const std::optional<std::string> value_name = ValueName(name);
  if (!value_name) return false;
  UniqueHKey key;
  if (OpenKey(hive, path, KEY_SET_VALUE, key) != ERROR_SUCCESS) return false;
  return RegDeleteValueA(key.get(), value_name->c_str()) == ERROR_SUCCESS;
}

}  // namespace lw
