#pragma once
// The public key that update signatures are checked against, as it is built into the program:
// a PEM text of a P-256 SubjectPublicKeyInfo.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lw {

using P256PublicKey = std::array<uint8_t, 64>;

// The point of a P-256 public key (X then Y, 32 bytes each, big-endian) from its PEM text.
// Nothing for any other text, a key of another curve or a compressed point included.
std::optional<P256PublicKey> P256PublicKeyFromPem(std::string_view pem);

}  // namespace lw
