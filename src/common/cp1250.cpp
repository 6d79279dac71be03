#include <algorithm>
#include <array>
#include <utility>

#include "common/codec.h"
#include "common/utf8.h"

namespace lw {

namespace {

// The characters of bytes 0x80-0xFF. The five bytes the code page leaves undefined (0x81, 0x83,
// 0x88, 0x90, 0x98) stand for the C1 control characters of the same value, as the system's own
// conversion does, so that every byte survives the way to UTF-8 and back.
constexpr std::array<char16_t, 128> kHighHalf = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// The lower-case byte of every byte. Upper-case letters outside ASCII pair up irregularly in the
// 0x80-0xBF rows and at a distance of 0x20 from 0xC0 on; the multiplication sign (0xD7) and the
// sharp s (0xDF) have no partner.
constexpr std::array<unsigned char, 256> MakeLowerTable() {
  std::array<unsigned char, 256> lower{};
  for (int b = 0; b < 256; ++b) lower[b] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b) lower[b] = static_cast<unsigned char>(b + 0x20);
  constexpr std::pair<unsigned char, unsigned char> kPairs[] = {
      {0x8A, 0x9A},  // Š š
      {0x8C, 0x9C},  // Ś ś
      {0x8D, 0x9D},  // Ť ť
      {0x8E, 0x9E},  // Ž ž
      {0x8F, 0x9F},  // Ź ź
      {0xA3, 0xB3},  // Ł ł
      {0xA5, 0xB9},  // Ą ą
      {0xAA, 0xBA},  // Ş ş
      {0xAF, 0xBF},  // Ż ż
      {0xBC, 0xBE},  // Ľ ľ
  };
  for (const auto& [upper, small] : kPairs) lower[upper] = small;
  for (int b = 0xC0; b <= 0xDE; ++b) {
    if (b != 0xD7) lower[b] = static_cast<unsigned char>(b + 0x20);
  }
  return lower;
}

constexpr std::array<unsigned char, 256> kLower = MakeLowerTable();

// The byte of a character of the upper half, or 0 when the code page lacks it.
unsigned char HighByteOf(char32_t code) {
  using Entry = std::pair<char32_t, unsigned char>;
  static const std::array<Entry, 128> kByCode = [] {
    std::array<Entry, 128> entries{};
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
      entries[i] = {kHighHalf[i], static_cast<unsigned char>(0x80 + i)};
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }();
  auto found = std::lower_bound(kByCode.begin(), kByCode.end(), Entry{code, 0});
  return found != kByCode.end() && found->first == code ? found->second : 0;
}

}  // namespace

std::string Cp1250Codec::ToUtf8(std::string_view ansi) const {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (char c : ansi) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out += c;
    } else {
      AppendUtf8(out, kHighHalf[byte - 0x80]);
    }
  }
  return out;
}

std::string Cp1250Codec::FromUtf8(std::string_view utf8) const {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const Utf8Char ch = NextUtf8Char(utf8, pos);
    pos += ch.length;
    if (!ch.valid) {
      out += '?';
    } else if (ch.code < 0x80) {
      out += static_cast<char>(ch.code);
    } else {
      const unsigned char byte = HighByteOf(ch.code);
      out += byte != 0 ? static_cast<char>(byte) : '?';
    }
  }
  return out;
}

bool Cp1250Codec::EqualsIgnoreCase(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (kLower[static_cast<unsigned char>(a[i])] != kLower[static_cast<unsigned char>(b[i])]) {
      return false;
    }
  }
  return true;
}

#ifndef _WIN32
// Without a system code page the program behaves as on a Polish Windows.
const AnsiCodec& SystemCodec() {
  static const Cp1250Codec codec;
  return codec;
}
#endif

}  // namespace lw
