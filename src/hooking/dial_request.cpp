#include "hooking/dial_request.h"

#include <algorithm>
#include <cstring>

namespace lw {

namespace {

namespace L = request_layout;

// The string at `offset`, at most `capacity` bytes and never past the end of the message.
std::string ReadField(std::span<const uint8_t> message, std::size_t offset, std::size_t capacity) {
  if (offset >= message.size()) return {};
  std::size_t limit = std::min(capacity, message.size() - offset);
  const uint8_t* begin = message.data() + offset;
  const void* nul = std::memchr(begin, 0, limit);
  std::size_t length = nul ? static_cast<const uint8_t*>(nul) - begin : limit;
  return std::string(reinterpret_cast<const char*>(begin), length);
}

uint32_t ReadU32(std::span<const uint8_t> message, std::size_t offset) {
  return uint32_t{message[offset]} | uint32_t{message[offset + 1]} << 8 |
         uint32_t{message[offset + 2]} << 16 | uint32_t{message[offset + 3]} << 24;
}

void WriteField(std::vector<uint8_t>& message, std::size_t offset, std::size_t capacity,
                std::string_view text) {
  std::size_t length = std::min(text.size(), capacity - 1);
  std::memcpy(message.data() + offset, text.data(), length);
}

void WriteU32(std::vector<uint8_t>& message, std::size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) message[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::optional<DialRequest> ParseDialRequest(std::span<const uint8_t> message) {
  if (message.size() < 2) return std::nullopt;
  const uint16_t type = static_cast<uint16_t>(message[0] | message[1] << 8);
  DialRequest request;
  switch (type) {
    case 1:
    case 2: {
      if (message.size() < L::kDialApplication) return std::nullopt;
      request.Type = static_cast<RequestType>(type);
      DialFields& d = request.Dial;
      d.CountryCode = static_cast<int32_t>(ReadU32(message, L::kCountryCode));
      d.AreaCode = ReadField(message, L::kAreaCode, L::kAreaCodeSize);
      d.LocalNumber = ReadField(message, L::kLocalNumber, L::kLocalNumberSize);
      d.EntryName = ReadField(message, L::kEntryName, L::kEntryNameSize);
      d.Phonebook = ReadField(message, L::kPhonebook, L::kPhonebookSize);
      d.Application = ReadField(message, L::kDialApplication, message.size());
      return request;
    }
    case 3:
      if (message.size() < L::kHangUpApplication) return std::nullopt;
      request.Type = RequestType::HangUp;
      request.HangUpWord = ReadU32(message, L::kHangUpWord);
      request.HangUpApplication = ReadField(message, L::kHangUpApplication, message.size());
      return request;
    default:
      return std::nullopt;
  }
}

std::vector<uint8_t> BuildDialMessage(RequestType type, const DialFields& fields) {
  std::vector<uint8_t> message(L::kDialApplication + fields.Application.size() + 1, 0);
  message[0] = static_cast<uint8_t>(static_cast<uint16_t>(type));
  message[1] = static_cast<uint8_t>(static_cast<uint16_t>(type) >> 8);
  WriteU32(message, L::kCountryCode, static_cast<uint32_t>(fields.CountryCode));
  WriteField(message, L::kAreaCode, L::kAreaCodeSize, fields.AreaCode);
  WriteField(message, L::kLocalNumber, L::kLocalNumberSize, fields.LocalNumber);
  WriteField(message, L::kEntryName, L::kEntryNameSize, fields.EntryName);
  WriteField(message, L::kPhonebook, L::kPhonebookSize, fields.Phonebook);
  std::memcpy(message.data() + L::kDialApplication, fields.Application.data(),
              fields.Application.size());
  return message;
}

std::vector<uint8_t> BuildHangUpMessage(std::string_view application, uint32_t word) {
  std::vector<uint8_t> message(L::kHangUpApplication + application.size() + 1, 0);
  message[0] = static_cast<uint8_t>(RequestType::HangUp);
  WriteU32(message, L::kHangUpWord, word);
  std::memcpy(message.data() + L::kHangUpApplication, application.data(), application.size());
  return message;
}

}  // namespace lw
