#pragma once
// The machine-keyed checksum that guards the settings text and the list files. A text is first
// folded into a seed through a table of arbitrary constants; the seed is then mixed with the
// machine's identity, so that only this machine reproduces the stored value.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// 256 fixed constants indexed by a byte value. Stored checksums depend on every one of them:
// never change a value.
extern const std::array<uint32_t, 256> kChecksumTable;

// The sum, modulo 2^32, of the table entries of all bytes of the text; 0 for an empty text.
uint32_t TextSeed(std::string_view text);

// Mixes the seed with the machine identity: for the i-th byte b of the identity (i from 1),
// r ^= seed / i + table[b]. A zero seed or an empty identity gives 0.
uint32_t MachineMix(std::string_view identity, uint32_t seed);

// The checksum of a text on the machine with the given identity.
uint32_t TextChecksum(std::string_view identity, std::string_view text);

// The text a list is checksummed as: each entry followed by CR LF, in list order.
std::string ListText(const std::vector<std::string>& entries);

}  // namespace lw
