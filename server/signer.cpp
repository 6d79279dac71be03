#include "server/signer.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <fstream>
#include <vector>

namespace lw::server {
namespace {

constexpr std::size_t kNumberBytes = 32;

EVP_PKEY* Key(void* key) { return static_cast<EVP_PKEY*>(key); }
EVP_MD_CTX* Context(void* context) { return static_cast<EVP_MD_CTX*>(context); }

}  // namespace

std::unique_ptr<UpdateSigner> UpdateSigner::FromPem(std::string_view pem, std::string* error) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  if (bio == nullptr) {
    *error = "out of memory";
    return nullptr;
  }
  EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  if (key == nullptr) {
    *error = "no PEM private key";
    return nullptr;
  }
  char group[64] = {};
  std::size_t group_length = 0;
  if (!EVP_PKEY_is_a(key, "EC") ||
      EVP_PKEY_get_group_name(key, group, sizeof group, &group_length) != 1 ||
      std::string_view(group, group_length) != "prime256v1") {
    EVP_PKEY_free(key);
    *error = "the key is not an EC P-256 private key";
    return nullptr;
  }
  return std::unique_ptr<UpdateSigner>(new UpdateSigner(key));
}

std::unique_ptr<UpdateSigner> UpdateSigner::FromPemFile(const std::filesystem::path& path,
                                                        std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = "cannot read " + path.string();
    return nullptr;
  }
  // A key file is a few hundred bytes; anything long is not one.
  std::string pem(64 * 1024, '\0');
  in.read(pem.data(), static_cast<std::streamsize>(pem.size()));
  pem.resize(static_cast<std::size_t>(in.gcount()));
  std::unique_ptr<UpdateSigner> signer = FromPem(pem, error);
  if (!signer) *error = path.string() + ": " + *error;
  return signer;
}

UpdateSigner::~UpdateSigner() { EVP_PKEY_free(Key(key_)); }

std::string UpdateSigner::PublicKeyPem() const {
  BIO* bio = BIO_new(BIO_s_mem());
  if (bio == nullptr) return {};
  std::string pem;
  if (PEM_write_bio_PUBKEY(bio, Key(key_)) == 1) {
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    if (length > 0) pem.assign(data, static_cast<std::size_t>(length));
  }
  BIO_free(bio);
  return pem;
}

UpdateSigner::Session UpdateSigner::Start() const {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  if (context != nullptr &&
      EVP_DigestSignInit(context, nullptr, EVP_sha256(), nullptr, Key(key_)) != 1) {
    EVP_MD_CTX_free(context);
    context = nullptr;
  }
  return Session(context);
}

UpdateSigner::Session::~Session() { EVP_MD_CTX_free(Context(context_)); }

UpdateSigner::Session::Session(Session&& other) noexcept : context_(other.context_) {
  other.context_ = nullptr;
}

bool UpdateSigner::Session::Update(std::string_view bytes) {
  if (context_ == nullptr) return false;
  if (EVP_DigestSignUpdate(Context(context_), bytes.data(), bytes.size()) != 1) {
    EVP_MD_CTX_free(Context(context_));
    context_ = nullptr;
    return false;
  }
  return true;
}

std::optional<RawSignature> UpdateSigner::Session::Finish() {
  if (context_ == nullptr) return std::nullopt;
  std::size_t length = 0;
  std::optional<RawSignature> raw;
  if (EVP_DigestSignFinal(Context(context_), nullptr, &length) == 1) {
    std::vector<uint8_t> der(length);
    if (EVP_DigestSignFinal(Context(context_), der.data(), &length) == 1) {
      der.resize(length);
      raw = DerSignatureToRaw(der);
    }
  }
  EVP_MD_CTX_free(Context(context_));
  context_ = nullptr;
  return raw;
}

std::optional<RawSignature> UpdateSigner::Sign(std::string_view bytes) const {
  Session session = Start();
  session.Update(bytes);
  return session.Finish();
}

std::optional<RawSignature> DerSignatureToRaw(std::span<const uint8_t> der) {
  const unsigned char* next = der.data();
  ECDSA_SIG* signature = d2i_ECDSA_SIG(nullptr, &next, static_cast<long>(der.size()));
  if (signature == nullptr) return std::nullopt;
  std::optional<RawSignature> raw;
  // Trailing bytes after the DER value mean it is not one signature.
  if (next == der.data() + der.size()) {
    const BIGNUM* r = nullptr;
    const BIGNUM* s = nullptr;
    ECDSA_SIG_get0(signature, &r, &s);
    RawSignature bytes{};
    if (BN_bn2binpad(r, bytes.data(), kNumberBytes) == static_cast<int>(kNumberBytes) &&
        BN_bn2binpad(s, bytes.data() + kNumberBytes, kNumberBytes) ==
            static_cast<int>(kNumberBytes)) {
      raw = bytes;
    }
  }
  ECDSA_SIG_free(signature);
  return raw;
}

std::string LowerHex(std::span<const uint8_t> bytes) {
  constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (uint8_t byte : bytes) {
    hex.push_back(kDigits[byte >> 4]);
    hex.push_back(kDigits[byte & 0x0F]);
  }
  return hex;
}

}  // namespace lw::server
