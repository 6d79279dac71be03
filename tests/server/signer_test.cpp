#include "server/signer.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/temp_dir.h"
#include "net/form_post.h"
#include "server/router.h"

namespace lw::server {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

fs::path Keys() { return LW_TEST_KEYS; }

std::vector<uint8_t> FromHex(std::string_view hex) {
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return bytes;
}

// Checks r || s as a client does: against the public half of the test key, over the SHA-256
// of the whole of bytes. Done with OpenSSL alone, not with the code under test.
bool Verifies(std::string_view bytes, std::string_view hex_signature) {
  const std::vector<uint8_t> raw = FromHex(hex_signature);
  if (raw.size() != 64) return false;
  const std::string pem = ReadText(Keys() / "update-test-public.pem");
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  EVP_PKEY* key = PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  if (key == nullptr) return false;
  ECDSA_SIG* signature = ECDSA_SIG_new();
  ECDSA_SIG_set0(signature, BN_bin2bn(raw.data(), 32, nullptr),
                 BN_bin2bn(raw.data() + 32, 32, nullptr));
  unsigned char* der = nullptr;
  const int der_length = i2d_ECDSA_SIG(signature, &der);
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  const bool verified =
      der_length > 0 && EVP_DigestVerifyInit(context, nullptr, EVP_sha256(), nullptr, key) == 1 &&
      EVP_DigestVerify(context, der, static_cast<std::size_t>(der_length),
                       reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()) == 1;
  EVP_MD_CTX_free(context);
  OPENSSL_free(der);
  ECDSA_SIG_free(signature);
  EVP_PKEY_free(key);
  return verified;
}

std::unique_ptr<UpdateSigner> TestSigner() {
  std::string error;
  std::unique_ptr<UpdateSigner> signer =
      UpdateSigner::FromPemFile(Keys() / "update-test-private.pem", &error);
  EXPECT_TRUE(signer) << error;
  return signer;
}

// The PEM (PKCS#8) of a new EC private key on the curve; empty when none can be made.
std::string GeneratedKeyPem(const char* curve) {
  EVP_PKEY* key = EVP_EC_gen(curve);
  if (key == nullptr) return {};
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<std::size_t>(length));
  BIO_free(bio);
  EVP_PKEY_free(key);
  return pem;
}

TEST(ServerSignerTest, ThePublicHalfIsTheTestKeysPublicFile) {
  EXPECT_EQ(TestSigner()->PublicKeyPem(), ReadText(Keys() / "update-test-public.pem"));
}

TEST(ServerSignerTest, SignaturesVerifyWithThePublicHalf) {
  const std::unique_ptr<UpdateSigner> signer = TestSigner();
  for (const std::string& bytes : {std::string(), std::string("MZ"), std::string(100000, 'x')}) {
    const std::optional<RawSignature> signature = signer->Sign(bytes);
    ASSERT_TRUE(signature);
    EXPECT_TRUE(Verifies(bytes, LowerHex(*signature)));
    EXPECT_FALSE(Verifies(bytes + "!", LowerHex(*signature)));
  }
}

TEST(ServerSignerTest, ASessionSignsTheBytesOfAllItsPieces) {
  const std::unique_ptr<UpdateSigner> signer = TestSigner();
  UpdateSigner::Session session = signer->Start();
  EXPECT_TRUE(session.Update("first "));
  EXPECT_TRUE(session.Update(""));
  EXPECT_TRUE(session.Update("second"));
  const std::optional<RawSignature> signature = session.Finish();
  ASSERT_TRUE(signature);
  EXPECT_TRUE(Verifies("first second", LowerHex(*signature)));
}

TEST(ServerSignerTest, RefusesWhatIsNoP256PrivateKey) {
  std::string error;
  EXPECT_EQ(UpdateSigner::FromPem("", &error), nullptr);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(UpdateSigner::FromPem(ReadText(Keys() / "update-test-public.pem"), &error), nullptr);
  EXPECT_EQ(UpdateSigner::FromPemFile(Keys() / "absent.pem", &error), nullptr);
  EXPECT_NE(error.find("absent.pem"), std::string::npos);

  // An EC key on another curve.
  const std::string pem = GeneratedKeyPem("secp384r1");
  ASSERT_FALSE(pem.empty());
  EXPECT_EQ(UpdateSigner::FromPem(pem, &error), nullptr);
  EXPECT_EQ(error, "the key is not an EC P-256 private key");
}

TEST(ServerSignerTest, APkcs8KeyIsTakenToo) {
  const std::string pem = GeneratedKeyPem("P-256");
  ASSERT_NE(pem.find("BEGIN PRIVATE KEY"), std::string::npos);
  std::string error;
  EXPECT_NE(UpdateSigner::FromPem(pem, &error), nullptr) << error;
}

TEST(ServerSignerTest, TheDerFormBecomesTwoPaddedNumbers) {
  // SEQUENCE { INTEGER 1, INTEGER 0x00FF } (the zero keeps 0xFF positive).
  const std::vector<uint8_t> der = {0x30, 0x07, 0x02, 0x01, 0x01, 0x02, 0x02, 0x00, 0xFF};
  const std::optional<RawSignature> raw = DerSignatureToRaw(der);
  ASSERT_TRUE(raw);
  RawSignature expected{};
  expected[31] = 0x01;
  expected[63] = 0xFF;
  EXPECT_EQ(*raw, expected);
  EXPECT_EQ(LowerHex(*raw), std::string(62, '0') + "01" + std::string(62, '0') + "ff");

  std::vector<uint8_t> trailing = der;
  trailing.push_back(0);
  EXPECT_FALSE(DerSignatureToRaw(trailing));
  EXPECT_FALSE(DerSignatureToRaw(std::vector<uint8_t>{0x30, 0x00}));
  // A number of 33 bytes does not fit.
  std::vector<uint8_t> wide = {0x30, 0x26, 0x02, 0x21, 0x01};
  wide.insert(wide.end(), 32, 0xAA);
  wide.insert(wide.end(), {0x02, 0x01, 0x01});
  EXPECT_FALSE(DerSignatureToRaw(wide));
}

TEST(ServerSignerTest, LowerHexWritesTwoDigitsAByte) {
  EXPECT_EQ(LowerHex(std::vector<uint8_t>{}), "");
  EXPECT_EQ(LowerHex(std::vector<uint8_t>{0x00, 0x0A, 0xF0, 0xFF}), "000af0ff");
}

TEST(ServerSignerTest, TheOfferedInstallersSignatureVerifies) {
  test::TempDir dir;
  // Several read blocks long, with every byte value.
  std::string installer;
  for (int i = 0; i < 300000; ++i) installer.push_back(static_cast<char>(i % 253));
  fs::create_directories(dir.path() / "update");
  std::ofstream(dir.path() / "update/larkwatch.exe", std::ios::binary) << installer;
  std::ofstream(dir.path() / "update/version.txt") << "1.0";
  uint8_t crc = 0;
  for (char c : installer) crc ^= static_cast<uint8_t>(c);

  const std::unique_ptr<UpdateSigner> signer = TestSigner();
  FileFacts facts(*signer);
  const ContentFolder content(dir.path(), [](std::string_view) {});
  const Router router(content, facts);
  const std::string body = "give=info&name=larkwatch&ver=0.1.0&country=Poland&language=Poland";
  const RoutedAnswer routed = router.Route(
      ParseRequest("POST /lwupd.php HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) +
                   "\r\n\r\n" + body));
  const std::string text = routed.answer.text;
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "ver"), "old");
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "crc"), std::to_string(crc));
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "new"), "1.0");
  const std::optional<std::string> signature = AnswerValue(kUpdateCopy, text, "sig");
  ASSERT_TRUE(signature);
  EXPECT_TRUE(Verifies(installer, *signature));
  EXPECT_FALSE(Verifies(installer.substr(1), *signature));
}

TEST(ServerSignerTest, AnOfferedLibrarysSignatureVerifies) {
  test::TempDir dir;
  std::string library = "MZ";
  for (int i = 0; i < 200000; ++i) library.push_back(static_cast<char>(i % 251));
  fs::create_directories(dir.path() / "addons/Tools");
  std::ofstream(dir.path() / "addons/Tools/Tally.dll", std::ios::binary) << library;
  std::ofstream(dir.path() / "addons/Tools/Tally.txt") << "Dial tally";
  uint8_t crc = 0;
  for (char c : library) crc ^= static_cast<uint8_t>(c);

  const std::unique_ptr<UpdateSigner> signer = TestSigner();
  FileFacts facts(*signer);
  const ContentFolder content(dir.path(), [](std::string_view) {});
  const Router router(content, facts);
  const std::string body = "give=info&ext=tally&language=Poland";
  const RoutedAnswer routed = router.Route(
      ParseRequest("POST /addons.php HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) +
                   "\r\n\r\n" + body));
  const std::string text = routed.answer.text;
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "status"), "a");
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "crc"), std::to_string(crc));
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "desc"), "Dial tally");
  const std::optional<std::string> signature = AnswerValue(kAddonsCopy, text, "sig");
  ASSERT_TRUE(signature);
  EXPECT_TRUE(Verifies(library, *signature));
  EXPECT_FALSE(Verifies(library + "x", *signature));
}

TEST(ServerSignerTest, TheByteChecksumIsTheExclusiveOrOfAllBytes) {
  test::TempDir dir;
  std::ofstream(dir.path() / "a.bin", std::ios::binary) << "\x01\x02\x04\x80";
  EXPECT_EQ(ByteChecksum(dir.path() / "a.bin"), 0x87);
  std::ofstream(dir.path() / "empty.bin", std::ios::binary) << "";
  EXPECT_EQ(ByteChecksum(dir.path() / "empty.bin"), 0);
  EXPECT_EQ(ByteChecksum(dir.path() / "absent.bin"), std::nullopt);
}

}  // namespace
}  // namespace lw::server
