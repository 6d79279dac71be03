#include "net/public_key.h"

#include <gtest/gtest.h>

#include <string>

namespace lw {
namespace {

// The test key pair's public half (tests/keys/update-test-public.pem).
const std::string kTestKey =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEw9a4rqLjX4MHRJLvJfF7pveMCy1E\n"
    "wrcUshwyS6nwGE6M8SrxMr9+InbRz9gXrylaGXhLBDlSt/GberRynF14qg==\n"
    "-----END PUBLIC KEY-----\n";

TEST(PublicKey, ReadsThePointOfAP256Key) {
  const std::optional<P256PublicKey> key = P256PublicKeyFromPem(kTestKey);
  ASSERT_TRUE(key.has_value());
  // The point as "openssl ec -pubin -text" shows it, after the 04 marker.
  EXPECT_EQ((*key)[0], 0xc3);
  EXPECT_EQ((*key)[1], 0xd6);
  EXPECT_EQ((*key)[31], 0x4e);  // X ends ...18:4e
  EXPECT_EQ((*key)[32], 0x8c);  // Y begins 8c:f1
  EXPECT_EQ((*key)[63], 0xaa);
}

TEST(PublicKey, RefusesEverythingElse) {
  struct Case {
    const char* name;
    std::string pem;
  };
  for (const Case& c : {
           Case{"empty", ""},
           Case{"no end line", kTestKey.substr(0, kTestKey.find("-----END"))},
           Case{"P-384 key",
                "-----BEGIN PUBLIC KEY-----\n"
                "MHYwEAYHKoZIzj0CAQYFK4EEACIDYgAEjyHhvluc4fBgbeDr7pT+gRmbCb+sqLNg\n"
                "u1xUXBL8y9qnEFtcU5U/Zd+gYcU2RUA184PHUsiJRg9a6pOVMBK064IKcdAFP5LU\n"
                "BX/JUwbuTQfm1ZuEeH8EbViRGLMcQJ5z\n"
                "-----END PUBLIC KEY-----\n"},
           Case{"compressed point",
                "-----BEGIN PUBLIC KEY-----\n"
                "MDkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDIgACw9a4rqLjX4MHRJLvJfF7pveMCy1E\n"
                "wrcUshwyS6nwGE4=\n"
                "-----END PUBLIC KEY-----\n"},
           Case{"not base64", "-----BEGIN PUBLIC KEY-----\n!!!!\n-----END PUBLIC KEY-----\n"},
           Case{"one byte short",
                "-----BEGIN PUBLIC KEY-----\n"
                "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEw9a4rqLjX4MHRJLvJfF7pveMCy1E\n"
                "wrcUshwyS6nwGE6M8SrxMr9+InbRz9gXrylaGXhLBDlSt/GberRynF14\n"
                "-----END PUBLIC KEY-----\n"},
       }) {
    EXPECT_EQ(P256PublicKeyFromPem(c.pem), std::nullopt) << c.name;
  }
}

}  // namespace
}  // namespace lw
