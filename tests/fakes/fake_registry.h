#pragma once
// An in-memory registry for tests. Key paths and value names compare without regard to ASCII
// letter case, a trailing backslash of a path is ignored. Values are typed: DWORD, string, or
// "other" (standing for REG_BINARY and the like) so that typed reads can be made to fail with
// WrongType. A key can be marked unopenable: reads fail with Failed, writes and creation fail.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "config/registry.h"

namespace lw::test {

class FakeRegistry : public Registry {
 public:
  // A value of a type that is neither DWORD nor string.
  struct Other {
    std::vector<uint8_t> bytes;
    bool operator==(const Other&) const = default;
  };
  using Value = std::variant<uint32_t, std::string, Other>;

  // ---- Test helpers ----

  // Sets a value, creating its key (and parents) as needed.
  void PutDword(Hive hive, std::string_view path, std::string_view name, uint32_t value) {
    AddKey(hive, path);
    values_[ValueKey(hive, path, name)] = value;
  }
  void PutString(Hive hive, std::string_view path, std::string_view name, std::string_view value) {
    AddKey(hive, path);
    values_[ValueKey(hive, path, name)] = std::string(value);
  }
  void PutOther(Hive hive, std::string_view path, std::string_view name,
                std::vector<uint8_t> bytes = {1, 2, 3}) {
    AddKey(hive, path);
    values_[ValueKey(hive, path, name)] = Other{std::move(bytes)};
  }
  void AddKey(Hive hive, std::string_view path) {
    std::string key = Normalize(path);
    // The parents exist too.
    for (size_t pos = key.find('\\'); pos != std::string::npos; pos = key.find('\\', pos + 1)) {
      keys_.insert({hive, key.substr(0, pos)});
    }
    keys_.insert({hive, key});
  }
  void RemoveKey(Hive hive, std::string_view path) {
    std::string key = Normalize(path);
    keys_.erase({hive, key});
    for (auto it = values_.begin(); it != values_.end();) {
      if (std::get<0>(it->first) == hive && std::get<1>(it->first) == key) {
        it = values_.erase(it);
      } else {
        ++it;
      }
    }
  }
  void RemoveValue(Hive hive, std::string_view path, std::string_view name) {
    values_.erase(ValueKey(hive, path, name));
  }
  // The stored value, whatever its type; nullopt when absent.
  std::optional<Value> Get(Hive hive, std::string_view path, std::string_view name) const {
    auto it = values_.find(ValueKey(hive, path, name));
    if (it == values_.end()) return std::nullopt;
    return it->second;
  }
  std::optional<uint32_t> GetDword(Hive hive, std::string_view path, std::string_view name) const {
    auto v = Get(hive, path, name);
    if (!v || !std::holds_alternative<uint32_t>(*v)) return std::nullopt;
    return std::get<uint32_t>(*v);
  }
  std::optional<std::string> GetString(Hive hive, std::string_view path,
                                       std::string_view name) const {
    auto v = Get(hive, path, name);
    if (!v || !std::holds_alternative<std::string>(*v)) return std::nullopt;
    return std::get<std::string>(*v);
  }
  bool HasKey(Hive hive, std::string_view path) const {
    return keys_.count({hive, Normalize(path)}) != 0;
  }
  // Marks a key so that reading its values fails (Failed) and creating or writing it fails.
  // KeyExists still answers truthfully.
  void SetUnopenable(Hive hive, std::string_view path, bool on = true) {
    if (on) {
      unopenable_.insert({hive, Normalize(path)});
    } else {
      unopenable_.erase({hive, Normalize(path)});
    }
  }
  // Every write (WriteDword/WriteString/DeleteValue) in order, as "name" strings; for tests that
  // check what was written.
  const std::vector<std::string>& written() const { return written_; }
  void ClearWritten() { written_.clear(); }
  int write_count() const { return static_cast<int>(written_.size()); }

  // ---- Registry ----

  bool KeyExists(Hive hive, std::string_view path) override { return HasKey(hive, path); }
  bool CreateKey(Hive hive, std::string_view path) override {
    if (Unopenable(hive, path)) return false;
    AddKey(hive, path);
    return true;
  }
  RegValue<uint32_t> ReadDword(Hive hive, std::string_view path, std::string_view name) override {
    return Read<uint32_t>(hive, path, name);
  }
  RegValue<std::string> ReadString(Hive hive, std::string_view path,
                                   std::string_view name) override {
    return Read<std::string>(hive, path, name);
  }
  bool WriteDword(Hive hive, std::string_view path, std::string_view name,
                  uint32_t value) override {
    if (Unopenable(hive, path) || !HasKey(hive, path)) return false;
    values_[ValueKey(hive, path, name)] = value;
    written_.emplace_back(name);
    return true;
  }
  bool WriteString(Hive hive, std::string_view path, std::string_view name,
                   std::string_view value) override {
    if (Unopenable(hive, path) || !HasKey(hive, path)) return false;
    values_[ValueKey(hive, path, name)] = std::string(value);
    written_.emplace_back(name);
    return true;
  }
  bool DeleteValue(Hive hive, std::string_view path, std::string_view name) override {
    if (Unopenable(hive, path) || !HasKey(hive, path)) return false;
    written_.emplace_back(name);
    return values_.erase(ValueKey(hive, path, name)) != 0;
  }

  static std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
  }

 private:
  using KeyId = std::pair<Hive, std::string>;
  using ValueId = std::tuple<Hive, std::string, std::string>;

  static std::string Normalize(std::string_view path) {
    std::string key = Lower(path);
    while (!key.empty() && key.back() == '\\') key.pop_back();
    return key;
  }
  static ValueId ValueKey(Hive hive, std::string_view path, std::string_view name) {
    return {hive, Normalize(path), Lower(name)};
  }
  bool Unopenable(Hive hive, std::string_view path) const {
    return unopenable_.count({hive, Normalize(path)}) != 0;
  }
  template <typename T>
  RegValue<T> Read(Hive hive, std::string_view path, std::string_view name) {
    RegValue<T> result;
    if (Unopenable(hive, path)) {
      result.status = RegStatus::Failed;
      return result;
    }
    auto it = values_.find(ValueKey(hive, path, name));
    if (!HasKey(hive, path) || it == values_.end()) {
      result.status = RegStatus::Missing;
      return result;
    }
    if (!std::holds_alternative<T>(it->second)) {
      result.status = RegStatus::WrongType;
      return result;
    }
    result.status = RegStatus::Ok;
    result.value = std::get<T>(it->second);
    return result;
  }

  std::set<KeyId> keys_;
  std::set<KeyId> unopenable_;
  std::map<ValueId, Value> values_;
  std::vector<std::string> written_;
};

}  // namespace lw::test
