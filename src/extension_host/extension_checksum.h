#pragma once
// The checksum an add-on library is registered by. The program computes it over the library it
// loads, and the maker's service over the library it offers, so both must agree to the bit.
//
// The file is read the way the C library's text mode reads it on Windows: every CR byte is
// dropped and the text ends before the first Ctrl+Z (0x1A). The number of rounds, though, is
// the size of the file itself, so the dropped bytes still count:
//
//   sum = 0, word = 0
//   repeat size times:
//     read up to four further text bytes into the low-order bytes of word (little-endian;
//       bytes not read keep their value, and nothing changes when no text is left)
//     word = word << 8        (the top byte is lost; word keeps the shifted value)
//     sum ^= word
//
// Once the text is used up the last word goes on shifting: it adds itself shifted by 16 and by
// 24 bits, and then nothing more.

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace lw {

// The checksum of a file whose bytes are file_bytes. (A std::string converts to both this and
// the path: say which, with std::string_view or std::filesystem::path.)
uint32_t ExtensionChecksum(std::string_view file_bytes);

// The checksum of the file at path, read in blocks; 0 when the file cannot be opened or read.
uint32_t ExtensionChecksum(const std::filesystem::path& path);

}  // namespace lw
