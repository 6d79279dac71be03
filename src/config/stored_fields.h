#pragma once
// The fields of the settings as values of the registry key Software\LarkWatch\: their names,
// types and order. The order is that of the settings text, whose checksum is kept in CRCreg;
// StatsOnTop sits between WarningsDblClk and DangerDisNow but is not part of the text, as
// the program's shutdown writes it without a checksum.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/list_file.h"
#include "config/settings.h"

namespace lw {

enum class StoredKind {
  Flag,     // REG_DWORD 0 or 1; any non-zero value reads as true
  Integer,  // REG_DWORD
  Number,   // REG_DWORD of a number edit's text
  Text,     // REG_SZ
};

struct StoredField {
  std::string_view name;
  StoredKind kind;
  bool in_text;  // part of the settings text
  bool Settings::*flag = nullptr;
  // Sets a flag with the dialog's side effects; false when the change is refused.
  bool (*set_flag)(Settings&, bool) = nullptr;
  int32_t Settings::*integer = nullptr;
  std::string Settings::*text = nullptr;
  // Number: written when the edit's text is not an integer.
  int32_t fallback = 0;
};

std::span<const StoredField> StoredFields();

// Fallback of the WarningsTime edit when it is written.
inline constexpr int32_t kWarningsTimeStoredFallback = 5;

// The list of the settings that a list file holds.
std::vector<std::string>& ListOf(Settings& settings, ListKind kind);
const std::vector<std::string>& ListOf(const Settings& settings, ListKind kind);

// "0" or "1".
inline std::string FlagText(bool on) { return on ? "1" : "0"; }

}  // namespace lw
