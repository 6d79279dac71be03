#pragma once
// The signature of the offered installer and of each add-on library: ECDSA over P-256 of the
// SHA-256 of the whole file, with the maker's private key (the tests' key pair in test builds).
// The clients carry the public half to check a downloaded file against its signature.
//
// On the wire the signature is the raw pair r || s, each 32 bytes big-endian, padded with
// zeros in front, written as 128 lower-case hexadecimal characters. OpenSSL makes the DER
// form, which is converted here.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lw::server {

using RawSignature = std::array<uint8_t, 64>;

class UpdateSigner {
 public:
  // Nothing, and the reason in *error, when the text holds no EC P-256 private key (PEM, either
  // "EC PRIVATE KEY" or PKCS#8 "PRIVATE KEY", unencrypted).
  static std::unique_ptr<UpdateSigner> FromPem(std::string_view pem, std::string* error);
  static std::unique_ptr<UpdateSigner> FromPemFile(const std::filesystem::path& path,
                                                   std::string* error);

  ~UpdateSigner();
  UpdateSigner(const UpdateSigner&) = delete;
  UpdateSigner& operator=(const UpdateSigner&) = delete;

  // The public half as a PEM "PUBLIC KEY" (SubjectPublicKeyInfo).
  std::string PublicKeyPem() const;

  // Signs bytes given piece by piece, so that a file is signed while it is read in blocks.
  // Sessions are independent: several threads may sign at once with one signer.
  class Session {
   public:
    ~Session();
    Session(Session&& other) noexcept;
    Session& operator=(Session&&) = delete;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False once something failed; Finish then gives nothing.
    bool Update(std::string_view bytes);
    std::optional<RawSignature> Finish();

   private:
    friend class UpdateSigner;
    explicit Session(void* context) : context_(context) {}
    void* context_;
  };
  Session Start() const;

  std::optional<RawSignature> Sign(std::string_view bytes) const;

 private:
  explicit UpdateSigner(void* key) : key_(key) {}
  // An EVP_PKEY, kept opaque so that users need no OpenSSL headers.
  void* key_;
};

// r || s of a DER ECDSA-Sig-Value whose numbers fit in 32 bytes.
std::optional<RawSignature> DerSignatureToRaw(std::span<const uint8_t> der);

std::string LowerHex(std::span<const uint8_t> bytes);

}  // namespace lw::server
