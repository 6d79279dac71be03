#pragma once
// The message that the hook library sends for every intercepted dial or hang-up: a fixed
// layout of little-endian integers and NUL-terminated ANSI strings, answered with a 32-bit
// 1 (allow) or 0 (refuse).
//
// Dial (types 1 and 2):  0 type u16 | 2 unused | 4 country code i32 | 8 area code [11]
//                        19 local number [129] | 148 entry name [129] | 277 phonebook [129]
//                        406 executable path, to the end of the message
// Hang-up (type 3):      0 type u16 | 2 unused | 4 word (unused) | 8 executable path, to the end

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

enum class RequestType : uint16_t { Dial = 1, DialOther = 2, HangUp = 3 };

namespace request_layout {
inline constexpr std::size_t kCountryCode = 4;
inline constexpr std::size_t kAreaCode = 8, kAreaCodeSize = 11;
inline constexpr std::size_t kLocalNumber = 19, kLocalNumberSize = 129;
inline constexpr std::size_t kEntryName = 148, kEntryNameSize = 129;
inline constexpr std::size_t kPhonebook = 277, kPhonebookSize = 129;
inline constexpr std::size_t kDialApplication = 406;
inline constexpr std::size_t kHangUpWord = 4;
inline constexpr std::size_t kHangUpApplication = 8;
}  // namespace request_layout

// The six fields of a dial, as ANSI bytes.
struct DialFields {
  int32_t CountryCode = 0;
  std::string AreaCode;
  std::string LocalNumber;
  std::string EntryName;
  std::string Phonebook;
  std::string Application;
  bool operator==(const DialFields&) const = default;
};

struct DialRequest {
  RequestType Type = RequestType::Dial;
  DialFields Dial;          // types 1 and 2
  uint32_t HangUpWord = 0;  // type 3: passed on, never used
  std::string HangUpApplication;
};

// Reads a message. Every string stops at its NUL, at its field's capacity or at the end of the
// message, whichever comes first. A message shorter than its layout's fixed part, or of a type
// other than 1, 2 or 3, is refused.
std::optional<DialRequest> ParseDialRequest(std::span<const uint8_t> message);

// Builds a message (the hook library's side). Strings longer than their field are cut so that
// the field keeps its NUL; the executable path is stored whole with its NUL.
std::vector<uint8_t> BuildDialMessage(RequestType type, const DialFields& fields);
std::vector<uint8_t> BuildHangUpMessage(std::string_view application, uint32_t word = 0);

}  // namespace lw
