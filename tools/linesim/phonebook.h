#pragma once
// The phonebook of the simulated line: a text file in the Windows phonebook format.
//
//   [Entry name]
//   PhoneNumber=5550100
//   AreaCode=22
//   CountryCode=48
//   CountryID=48
//   UseCountryAndAreaCodes=1
//   DEVICE=modem
//   LineSimUser=jan
//   LineSimPassword=secret
//
// Lines end in CR LF or LF. Keys are matched without regard to case; the first section of a
// name and the first line of a key count. Keys and sections this code does not know, and lines
// it cannot read, are kept as they are when the file is written again. A missing key takes its
// default; a value longer than its field in the dial-up structures is cut to the field. Nothing
// in the text can make the reader fail: at most kMaxPhonebookBytes are read, and every line is
// either a section header, a key or a line kept untouched.
//
// Texts are the file's bytes (the system's ANSI code page); no platform header is used here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lw::linesim {

// Field sizes of the dial-up structures, without their terminating NUL.
inline constexpr std::size_t kMaxEntryName = 256;
inline constexpr std::size_t kMaxPhoneNumber = 128;
inline constexpr std::size_t kMaxAreaCode = 10;
inline constexpr std::size_t kMaxDeviceType = 16;
inline constexpr std::size_t kMaxUserName = 256;
inline constexpr std::size_t kMaxPassword = 256;

// What is read of a phonebook file at most.
inline constexpr std::size_t kMaxPhonebookBytes = 4u << 20;

// Country of an entry without CountryCode or CountryID: the system the program is made for.
inline constexpr uint32_t kDefaultCountry = 48;
inline constexpr char kDefaultDeviceType[] = "modem";

struct Entry {
  std::string name;
  std::string phone_number;
  std::string area_code;
  uint32_t country_code = kDefaultCountry;
  uint32_t country_id = kDefaultCountry;
  bool use_country_and_area_codes = false;
  std::string device_type = kDefaultDeviceType;
  std::string user;
  std::string password;

  bool operator==(const Entry&) const = default;
};

class Phonebook {
 public:
  static Phonebook Parse(std::string_view text);
  // The file's text: every line kept, CR LF line ends, a final line end.
  std::string Serialize() const;

  // The names of the entries in file order, each once (the first spelling of a name that
  // appears in several sections). Sections whose name is empty or holds control characters
  // are kept in the file but are no entries.
  std::vector<std::string> EntryNames() const;
  std::optional<Entry> Find(std::string_view name) const;
  bool Contains(std::string_view name) const { return FindSection(name) != nullptr; }

  // Creates the entry or updates the first section of its name; the entry's texts are cut to
  // their fields, and at a line break. False (nothing changed) when the name is not valid.
  bool Put(const Entry& entry);
  // Removes every section of the name; false when there was none.
  bool Remove(std::string_view name);
  // Gives every section of `from` the name `to`; false when there was none or `to` is not
  // valid.
  bool Rename(std::string_view from, std::string_view to);

 private:
  struct Section {
    std::string header;  // the header line as read
    std::string name;    // the entry name it gives, cut to kMaxEntryName
    std::vector<std::string> lines;
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);

  bool bom_ = false;
  std::vector<std::string> preamble_;
  std::vector<Section> sections_;
};

// Whether a new entry may have this name: 1 to kMaxEntryName bytes, no control characters,
// not starting with '.' (those names stand for dialled numbers), not only blanks.
bool IsValidEntryName(std::string_view name);
// Entry names compare without regard to ASCII case.
bool SameEntryName(std::string_view a, std::string_view b);

// The number the entry dials: "+48 (22) 5550100" with its country and area codes, else the
// local number alone.
std::string DialledNumber(const Entry& entry);

}  // namespace lw::linesim
