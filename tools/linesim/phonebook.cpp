#include "linesim/phonebook.h"

#include <algorithm>
#include <unordered_set>

namespace lw::linesim {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

constexpr char kPhoneNumber[] = "PhoneNumber";
constexpr char kAreaCode[] = "AreaCode";
constexpr char kCountryCode[] = "CountryCode";
constexpr char kCountryId[] = "CountryID";
constexpr char kUseCodes[] = "UseCountryAndAreaCodes";
constexpr char kDevice[] = "DEVICE";
constexpr char kUser[] = "LineSimUser";
constexpr char kPassword[] = "LineSimPassword";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view Cut(std::string_view text, std::size_t limit) {
  return text.substr(0, std::min(text.size(), limit));
}

// A text as a field holds it: up to the first NUL or line break, at most `limit` bytes.
std::string FieldText(std::string_view text, std::size_t limit) {
  const std::size_t end = text.find_first_of(std::string_view("\0\r\n", 3));
  if (end != std::string_view::npos) text = text.substr(0, end);
  return std::string(Cut(text, limit));
}

// The name a header line gives: what lies between the first '[' and the last ']'.
bool ParseHeader(std::string_view line, std::string& name) {
  const std::size_t open = line.find_first_not_of(" \t");
  if (open == std::string_view::npos || line[open] != '[') return false;
  const std::size_t close = line.rfind(']');
  if (close == std::string_view::npos || close <= open) return false;
  name = std::string(Cut(line.substr(open + 1, close - open - 1), kMaxEntryName));
  return true;
}

bool IsEntryName(std::string_view name) {
  return !name.empty() && std::none_of(name.begin(), name.end(), IsControl);
}

std::string LowerName(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
  return lower;
}

// The key of a "key=value" line, or nothing.
std::optional<std::string_view> KeyOf(std::string_view line, std::string_view* value = nullptr) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  if (value) *value = Trim(line.substr(equals + 1));
  return Trim(line.substr(0, equals));
}

bool SameKey(std::string_view a, std::string_view b) { return SameEntryName(a, b); }

std::optional<std::string_view> Lookup(const std::vector<std::string>& lines,
                                       std::string_view key) {
  for (const std::string& line : lines) {
    std::string_view value;
    const auto found = KeyOf(line, &value);
    if (found && SameKey(*found, key)) return value;
  }
  return std::nullopt;
}

// A decimal number that fits 32 bits, else the fallback.
uint32_t ParseNumber(std::optional<std::string_view> text, uint32_t fallback) {
  if (!text || text->empty() || text->size() > 10) return fallback;
  uint64_t value = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return fallback;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  return value <= UINT32_MAX ? static_cast<uint32_t>(value) : fallback;
}

// Sets the first line of the key, or adds one after the section's last line that is not
// blank, so that the blank line that parts sections stays at the end.
void SetKey(std::vector<std::string>& lines, std::string_view key, const std::string& value) {
  std::string line = std::string(key) + "=" + value;
  for (std::string& existing : lines) {
    const auto found = KeyOf(existing);
    if (found && SameKey(*found, key)) {
      existing = std::move(line);
      return;
    }
  }
  auto at = lines.end();
  while (at != lines.begin() && Trim(*(at - 1)).empty()) --at;
  lines.insert(at, std::move(line));
}

std::string HeaderOf(std::string_view name) {
  std::string header = "[";
  header += name;
  header += ']';
  return header;
}

bool HasKey(const std::vector<std::string>& lines, std::string_view key) {
  return Lookup(lines, key).has_value();
}

}  // namespace

bool SameEntryName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

bool IsValidEntryName(std::string_view name) {
  return IsEntryName(name) && name.size() <= kMaxEntryName && name.front() != '.' &&
         !Trim(name).empty();
}

std::string DialledNumber(const Entry& entry) {
  if (!entry.use_country_and_area_codes) return entry.phone_number;
  std::string number = "+";
  number += std::to_string(entry.country_code);
  number += ' ';
  if (!entry.area_code.empty()) {
    number += '(';
    number += entry.area_code;
    number += ") ";
  }
  number += entry.phone_number;
  return number;
}

Phonebook Phonebook::Parse(std::string_view text) {
  Phonebook book;
  text = Cut(text, kMaxPhonebookBytes);
  if (text.substr(0, 3) == kBom) {
    book.bom_ = true;
    text.remove_prefix(3);
  }
  std::vector<std::string>* lines = &book.preamble_;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string name;
    if (ParseHeader(line, name)) {
      book.sections_.push_back({std::string(line), std::move(name), {}});
      lines = &book.sections_.back().lines;
    } else {
      lines->emplace_back(line);
    }
  }
  return book;
}

std::string Phonebook::Serialize() const {
  std::string text = bom_ ? kBom : "";
  auto add = [&text](const std::string& line) {
    text += line;
    text += "\r\n";
  };
  for (const std::string& line : preamble_) add(line);
  for (const Section& section : sections_) {
    add(section.header);
    for (const std::string& line : section.lines) add(line);
  }
  return text;
}

std::vector<std::string> Phonebook::EntryNames() const {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;
  for (const Section& section : sections_) {
    if (IsEntryName(section.name) && seen.insert(LowerName(section.name)).second) {
      names.push_back(section.name);
    }
  }
  return names;
}

const Phonebook::Section* Phonebook::FindSection(std::string_view name) const {
  if (!IsEntryName(name)) return nullptr;
  for (const Section& section : sections_) {
    if (SameEntryName(section.name, name)) return &section;
  }
  return nullptr;
}

Phonebook::Section* Phonebook::FindSection(std::string_view name) {
  return const_cast<Section*>(static_cast<const Phonebook*>(this)->FindSection(name));
}

std::optional<Entry> Phonebook::Find(std::string_view name) const {
  const Section* section = FindSection(name);
  if (!section) return std::nullopt;
  const auto& lines = section->lines;
  auto text = [&lines](std::string_view key, std::size_t limit) {
    const auto value = Lookup(lines, key);
    return value ? FieldText(*value, limit) : std::string();
  };
  Entry entry;
  entry.name = section->name;
  entry.phone_number = text(kPhoneNumber, kMaxPhoneNumber);
  entry.area_code = text(kAreaCode, kMaxAreaCode);
  entry.country_code = ParseNumber(Lookup(lines, kCountryCode), kDefaultCountry);
  entry.country_id = ParseNumber(Lookup(lines, kCountryId), entry.country_code);
  entry.use_country_and_area_codes = ParseNumber(Lookup(lines, kUseCodes), 0) != 0;
  entry.device_type = text(kDevice, kMaxDeviceType);
  if (entry.device_type.empty()) entry.device_type = kDefaultDeviceType;
  entry.user = text(kUser, kMaxUserName);
  entry.password = text(kPassword, kMaxPassword);
  return entry;
}

bool Phonebook::Put(const Entry& entry) {
  if (!IsValidEntryName(entry.name)) return false;
  Section* section = FindSection(entry.name);
  if (!section) {
    // A blank line parts the new section from what comes before it.
    std::vector<std::string>& before = sections_.empty() ? preamble_ : sections_.back().lines;
    if (!before.empty() && !Trim(before.back()).empty()) before.emplace_back();
    sections_.push_back({HeaderOf(entry.name), entry.name, {""}});
    section = &sections_.back();
  }
  auto& lines = section->lines;
  SetKey(lines, kPhoneNumber, FieldText(entry.phone_number, kMaxPhoneNumber));
  SetKey(lines, kAreaCode, FieldText(entry.area_code, kMaxAreaCode));
  SetKey(lines, kCountryCode, std::to_string(entry.country_code));
  SetKey(lines, kCountryId, std::to_string(entry.country_id));
  SetKey(lines, kUseCodes, entry.use_country_and_area_codes ? "1" : "0");
  const std::string device = FieldText(entry.device_type, kMaxDeviceType);
  SetKey(lines, kDevice, device.empty() ? kDefaultDeviceType : device);
  // Credentials are written once there are any.
  const std::string user = FieldText(entry.user, kMaxUserName);
  const std::string password = FieldText(entry.password, kMaxPassword);
  if (!user.empty() || HasKey(lines, kUser)) SetKey(lines, kUser, user);
  if (!password.empty() || HasKey(lines, kPassword)) SetKey(lines, kPassword, password);
  return true;
}

bool Phonebook::Remove(std::string_view name) {
  if (!FindSection(name)) return false;
  const std::string key(name);
  std::erase_if(sections_, [&key](const Section& s) { return SameEntryName(s.name, key); });
  return true;
}

bool Phonebook::Rename(std::string_view from, std::string_view to) {
  if (!IsValidEntryName(to) || !FindSection(from)) return false;
  const std::string old_name(from);
  for (Section& section : sections_) {
    if (SameEntryName(section.name, old_name)) {
      section.header = HeaderOf(to);
      section.name = std::string(to);
    }
  }
  return true;
}

}  // namespace lw::linesim
