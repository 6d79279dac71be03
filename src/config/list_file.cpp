#include "config/list_file.h"

#include <fstream>
#include <system_error>
#include <utility>

#include "config/checksum.h"

namespace lw {

namespace {

constexpr ListFileInfo kDangerInfo{"lwda.dat", "lwda", kMaxMaskLength, true};
constexpr ListFileInfo kSafeInfo{"lwsa.dat", "lwsa", kMaxMaskLength, true};
constexpr ListFileInfo kPermitInfo{"lwp.dat", "lwp", kMaxPathLength, false};
constexpr ListFileInfo kDenyInfo{"lwd.dat", "lwd", kMaxPathLength, false};

// Whether the entry, once written, comes back from ReadList as it is.
bool ReadsBack(ListKind kind, const ListStorage& storage, const std::string& entry) {
  if (!CanStoreListEntry(kind, entry)) return false;
  return InfoOf(kind).masks || entry != storage.program_path;
}

// Reads the records of an open file into `result`. False on a read error.
bool ReadRecords(std::ifstream& in, ListKind kind, const ListStorage& storage,
                 ListReadResult& result) {
  const ListFileInfo& info = InfoOf(kind);
  std::string entry;
  for (;;) {
    char length_byte;
    if (!in.get(length_byte)) break;
    std::size_t length = static_cast<unsigned char>(length_byte);
    if (length > info.max_length) {
      // A record the list cannot hold: what came before is dropped too.
      result.entries.clear();
      break;
    }
    entry.assign(length, '\0');
    in.read(entry.data(), static_cast<std::streamsize>(length));
    std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got < length) {
      result.damaged = true;  // the file ends inside the record; keep its part
      entry.resize(got);
    }
    if (!entry.empty() && (info.masks || entry != storage.program_path)) {
      result.entries.push_back(entry);
    }
    if (got < length) break;
  }
  return !in.bad();
}

}  // namespace

const ListFileInfo& InfoOf(ListKind kind) {
  switch (kind) {
    case ListKind::Danger:
      return kDangerInfo;
    case ListKind::Safe:
      return kSafeInfo;
    case ListKind::Permit:
      return kPermitInfo;
    case ListKind::Deny:
      break;
  }
  return kDenyInfo;
}

std::string ChecksumValueName(std::string_view short_name) {
  return "CRC" + std::string(short_name);
}

uint32_t ReadStoredChecksum(Registry& registry, std::string_view short_name, bool* ok) {
  if (ok) *ok = true;
  registry.CreateKey(Hive::CurrentUser, kSettingsKey);
  RegValue<uint32_t> value =
      registry.ReadDword(Hive::CurrentUser, kSettingsKey, ChecksumValueName(short_name));
  if (value.status == RegStatus::WrongType && ok) *ok = false;
  return value.ok() ? value.value : 0;
}

bool WriteStoredChecksum(Registry& registry, std::string_view short_name, uint32_t value) {
  if (!registry.CreateKey(Hive::CurrentUser, kSettingsKey)) return false;
  return registry.WriteDword(Hive::CurrentUser, kSettingsKey, ChecksumValueName(short_name), value);
}

ListReadResult ReadList(ListKind kind, const ListStorage& storage) {
  const ListFileInfo& info = InfoOf(kind);
  const std::filesystem::path path = storage.dir / info.file;
  ListReadResult result;
  bool read_ok = true;
  std::ifstream in(path, std::ios::binary);
  if (in.is_open()) {
    read_ok = ReadRecords(in, kind, storage, result);
  } else {
    // A missing file is an empty list; one that is there but cannot be opened is damaged.
    std::error_code ec;
    read_ok = !std::filesystem::exists(path, ec) && !ec;
  }
  const uint32_t computed = TextChecksum(storage.identity, ListText(result.entries));
  bool stored_ok = true;
  const uint32_t stored = ReadStoredChecksum(storage.registry, info.short_name, &stored_ok);
  if (!read_ok || !stored_ok || stored != computed) result.damaged = true;
  return result;
}

bool SaveList(ListKind kind, const ListStorage& storage, const std::vector<std::string>& entries) {
  const ListFileInfo& info = InfoOf(kind);
  std::vector<std::string> written;
  std::string bytes;
  for (const std::string& entry : entries) {
    if (!ReadsBack(kind, storage, entry)) continue;
    bytes += static_cast<char>(static_cast<unsigned char>(entry.size()));
    bytes += entry;
    written.push_back(entry);
  }

  const std::filesystem::path path = storage.dir / info.file;
  std::filesystem::path temp = path;
  temp += ".tmp";
  std::error_code ec;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (out.fail()) {
      std::filesystem::remove(temp, ec);
      return false;
    }
  }
  // Replaces the old file in one step (on Windows too: the library moves with replacement).
  std::filesystem::rename(temp, path, ec);
  if (ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return WriteStoredChecksum(storage.registry, info.short_name,
                             TextChecksum(storage.identity, ListText(written)));
}

bool CanStoreListEntry(ListKind kind, std::string_view entry) {
  return !entry.empty() && entry.size() <= InfoOf(kind).max_length;
}

bool AppendListEntry(ListKind kind, std::vector<std::string>& list, std::string entry) {
  if (!CanStoreListEntry(kind, entry)) return false;
  list.push_back(std::move(entry));
  return true;
}

}  // namespace lw
