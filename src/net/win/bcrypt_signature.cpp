#include "net/win/bcrypt_signature.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <bcrypt.h>

#include <array>
#include <cstdio>
#include <memory>
#include <vector>

#include "common/file_open.h"
#include "net/win/update_key.h"

namespace lw {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

class Algorithm {
 public:
  explicit Algorithm(const wchar_t* name) {
    if (!Succeeded(BCryptOpenAlgorithmProvider(&handle_, name, nullptr, 0))) handle_ = nullptr;
  }
  ~Algorithm() {
    if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
  }
  Algorithm(const Algorithm&) = delete;
  Algorithm& operator=(const Algorithm&) = delete;
  BCRYPT_ALG_HANDLE get() const { return handle_; }

 private:
  BCRYPT_ALG_HANDLE handle_ = nullptr;
};

// The SHA-256 of the file's bytes; nothing when it cannot be read.
std::optional<std::array<uint8_t, 32>> FileDigest(const std::filesystem::path& file) {
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> in(OpenFile(file, "rb"));
  if (!in) return std::nullopt;
  Algorithm sha256(BCRYPT_SHA256_ALGORITHM);
  if (!sha256.get()) return std::nullopt;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!Succeeded(BCryptCreateHash(sha256.get(), &hash, nullptr, 0, nullptr, 0, 0))) {
    return std::nullopt;
  }
  std::vector<uint8_t> block(65536);
  bool ok = true;
  for (;;) {
    const std::size_t count = std::fread(block.data(), 1, block.size(), in.get());
    if (count > 0 && !Succeeded(BCryptHashData(hash, block.data(), static_cast<ULONG>(count), 0))) {
      ok = false;
      break;
    }
    if (count < block.size()) {
      ok = !std::ferror(in.get());
      break;
    }
  }
  std::array<uint8_t, 32> digest{};
  ok = ok && Succeeded(BCryptFinishHash(hash, digest.data(), digest.size(), 0));
  BCryptDestroyHash(hash);
  if (!ok) return std::nullopt;
  return digest;
}

}  // namespace

bool BcryptSignatureCheck::Verify(const std::filesystem::path& file,
                                  std::span<const uint8_t> signature) {
  if (!key_ || signature.size() != 64) return false;
  const std::optional<std::array<uint8_t, 32>> digest = FileDigest(file);
  if (!digest) return false;

  Algorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
  if (!ecdsa.get()) return false;
  std::vector<uint8_t> blob(sizeof(BCRYPT_ECCKEY_BLOB) + key_->size());
  BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, 32};
  std::copy_n(reinterpret_cast<const uint8_t*>(&header), sizeof header, blob.begin());
  std::copy(key_->begin(), key_->end(), blob.begin() + sizeof header);
  BCRYPT_KEY_HANDLE key = nullptr;
  if (!Succeeded(BCryptImportKeyPair(ecdsa.get(), nullptr, BCRYPT_ECCPUBLIC_BLOB, &key, blob.data(),
                                     static_cast<ULONG>(blob.size()), 0))) {
    return false;
  }
  std::array<uint8_t, 32> hashed = *digest;
  std::vector<uint8_t> sig(signature.begin(), signature.end());
  const NTSTATUS status = BCryptVerifySignature(key, nullptr, hashed.data(), hashed.size(),
                                                sig.data(), static_cast<ULONG>(sig.size()), 0);
  BCryptDestroyKey(key);
  return status == 0;
}

std::optional<P256PublicKey> BuiltInUpdateKey() { return P256PublicKeyFromPem(kUpdateKeyPem); }

}  // namespace lw
