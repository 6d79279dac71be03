#pragma once
// The four lists of the settings in their files beside the executable, each guarded by a
// machine-keyed checksum in the registry.
//
// A file is a plain run of records: one length byte n (1..255), then the n bytes of the entry
// (ANSI, no terminator). No header, no count; an empty list is an empty file. The checksum of
// the list's text (see ListText) is kept in HKEY_CURRENT_USER Software\LarkWatch\ as the DWORD
// "CRC" + the list's short name.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "config/registry.h"

namespace lw {

enum class ListKind { Danger, Safe, Permit, Deny };

inline constexpr ListKind kAllLists[] = {ListKind::Danger, ListKind::Safe, ListKind::Permit,
                                         ListKind::Deny};

// Longest entry each list can hold: a mask longer than 64 bytes would make the whole list load
// empty; a record cannot say more than 255 bytes.
inline constexpr std::size_t kMaxMaskLength = 64;
inline constexpr std::size_t kMaxPathLength = 255;

struct ListFileInfo {
  std::string_view file;        // "lwda.dat"
  std::string_view short_name;  // "lwda"
  std::size_t max_length;       // longest entry that reads back
  bool masks;                   // number masks (true) or executable paths (false)
};
const ListFileInfo& InfoOf(ListKind kind);

// "CRC" + short name, the registry value of the list's checksum ("CRClwda").
std::string ChecksumValueName(std::string_view short_name);

// The stored checksum "CRC" + short name: 0 when the value or the key is absent or cannot be
// read. `ok` (optional) is false when the value exists with another type than DWORD.
uint32_t ReadStoredChecksum(Registry& registry, std::string_view short_name, bool* ok = nullptr);
// Writes the checksum, creating the settings key when missing. True on success.
bool WriteStoredChecksum(Registry& registry, std::string_view short_name, uint32_t value);

// Where the lists live and what their checksums are keyed with.
struct ListStorage {
  Registry& registry;
  std::filesystem::path dir;  // the program's directory
  std::string identity;       // the machine identity
  std::string program_path;   // the program's own executable, never kept in the path lists
};

struct ListReadResult {
  std::vector<std::string> entries;
  bool damaged = false;
};

// Reads one list. Damaged when the file is cut inside a record, cannot be read, or its
// checksum differs from the stored one (a mask file whose record is longer than 64 bytes loads
// empty). Whatever was read is returned in every case. A missing file with no stored checksum is
// an empty, undamaged list.
ListReadResult ReadList(ListKind kind, const ListStorage& storage);

// Writes one list and then its checksum. The file is written beside the old one and moved over
// it only when complete, so a failed write (disk full, no access) leaves the old file and the
// old checksum in place; false is returned then. Entries that could not be read back as they
// are (see CanStoreListEntry, and the program's own path in the path lists) are left out, and
// the checksum covers exactly what was written.
bool SaveList(ListKind kind, const ListStorage& storage, const std::vector<std::string>& entries);

// Whether the entry can be stored in the list's file and read back: not empty, not longer than
// the list's limit.
bool CanStoreListEntry(ListKind kind, std::string_view entry);

// Appends the entry when it can be stored; false (list unchanged) when it cannot. Everything
// that adds to a list goes through here.
bool AppendListEntry(ListKind kind, std::vector<std::string>& list, std::string entry);

}  // namespace lw
