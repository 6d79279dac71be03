#include "net/public_key.h"

#include <algorithm>
#include <string>
#include <vector>

namespace lw {
namespace {

constexpr std::string_view kBegin = "-----BEGIN PUBLIC KEY-----";
constexpr std::string_view kEnd = "-----END PUBLIC KEY-----";

// The DER encoding of a P-256 SubjectPublicKeyInfo up to the point: the sequence headers, the
// algorithm (id-ecPublicKey) and the curve (prime256v1), the bit string's header, and the
// uncompressed point's marker.
constexpr uint8_t kPrefix[] = {0x30, 0x59, 0x30, 0x13, 0x06, 0x07, 0x2a, 0x86, 0x48,
                               0xce, 0x3d, 0x02, 0x01, 0x06, 0x08, 0x2a, 0x86, 0x48,
                               0xce, 0x3d, 0x03, 0x01, 0x07, 0x03, 0x42, 0x00, 0x04};

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

std::optional<std::vector<uint8_t>> Base64Decode(std::string_view text) {
  std::vector<uint8_t> bytes;
  uint32_t bits = 0;
  int count = 0;
  bool padding = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '=') {
      padding = true;
      continue;
    }
    const int value = Base64Value(c);
    if (value < 0 || padding) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      bytes.push_back(static_cast<uint8_t>(bits >> count));
    }
  }
  return bytes;
}

}  // namespace

std::optional<P256PublicKey> P256PublicKeyFromPem(std::string_view pem) {
  const std::size_t begin = pem.find(kBegin);
  if (begin == std::string_view::npos) return std::nullopt;
  const std::size_t body = begin + kBegin.size();
  const std::size_t end = pem.find(kEnd, body);
  if (end == std::string_view::npos) return std::nullopt;
  const std::optional<std::vector<uint8_t>> der = Base64Decode(pem.substr(body, end - body));
  if (!der || der->size() != sizeof kPrefix + 64) return std::nullopt;
  if (!std::equal(std::begin(kPrefix), std::end(kPrefix), der->begin())) return std::nullopt;
  P256PublicKey key;
  std::copy(der->begin() + sizeof kPrefix, der->end(), key.begin());
  return key;
}

}  // namespace lw
