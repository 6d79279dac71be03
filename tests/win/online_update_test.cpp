// The Windows side of the online services: the Winsock connection against a service on
// loopback, the signature check with the system's cryptography and the build's key, and the
// program's identity from its version resource.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "common/win/system_clock.h"
#include "fakes/temp_dir.h"
#include "net/file_answer_spool.h"
#include "net/win/bcrypt_signature.h"
#include "net/win/update_worker.h"
#include "net/win/winsock_transport.h"
#include "support/loopback_service.h"
#include "support/program_run.h"

namespace lw {
namespace {

TEST(WinsockTransport, CarriesAWholeExchangeWithAServiceOnLoopback) {
  test::LoopbackService service(
      [](const std::string&) -> std::optional<std::string> { return "ver=old&crc=17&new=0.2.0"; });
  test::TempDir temp;
  WinsockTransport transport;
  FileAnswerSpool spool(temp.path());
  SystemClock clock;
  FormPostClient client(kUpdateCopy, transport, spool, clock, [] { return false; });
  client.SetService({"127.0.0.1", service.port()});
  const std::optional<std::string> text = client.Exchange(kUpdatePath, "give=info&ver=0.1.0");
  EXPECT_EQ(text, "ver=old&crc=17&new=0.2.0");
  ASSERT_EQ(service.requests().size(), 1u);
  const std::string request = service.requests()[0];
  EXPECT_EQ(request.substr(0, 28), "POST /lwupd.php HTTP/1.1\r\nAc");
  EXPECT_NE(request.find("\r\nHost: 127.0.0.1\r\nContent-Length: 19\r\nConnection: Close\r\n\r\n"
                         "give=info&ver=0.1.0"),
            std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

TEST(WinsockTransport, NamesAreResolvedAndARefusedConnectionFailsAtOnce) {
  test::LoopbackService service(
      [](const std::string&) -> std::optional<std::string> { return "a=1"; });
  WinsockTransport transport;
  ASSERT_TRUE(transport.Connect("localhost", service.port(), 5000));
  transport.Send("POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n");
  char block[256];
  std::size_t received = 0;
  EXPECT_EQ(transport.Receive(block, 5000, &received), Transport::ReceiveStatus::kData);
  transport.Close();
  transport.Close();  // a second close is harmless

  // A port nobody listens on: the one just released by a socket of our own.
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);
  EXPECT_FALSE(transport.Connect("127.0.0.1", ntohs(address.sin_port), 5000));
  transport.Close();
  EXPECT_FALSE(transport.Connect("no-such-host.invalid", 80, 5000));
  transport.Close();
}

TEST(WinsockTransport, AStopRequestEndsTheWaitForASilentService) {
  // A service that takes the request and never says a word.
  test::LoopbackService service(
      [](const std::string&) -> std::optional<std::string> { return std::nullopt; });
  test::TempDir temp;
  WinsockTransport transport;
  FileAnswerSpool spool(temp.path());
  SystemClock clock;
  std::atomic<int> waits{0};
  FormPostClient client(kUpdateCopy, transport, spool, clock, [&] { return ++waits >= 3; });
  client.SetService({"127.0.0.1", service.port()});
  ASSERT_TRUE(client.ConnectToServer());
  client.PostForm(kUpdatePath, "give=info");
  const ReceivedAnswer answer = client.ReceiveAnswer();
  client.CloseConnection();
  EXPECT_TRUE(answer.ok);
  EXPECT_FALSE(answer.server_closed);
  EXPECT_EQ(answer.content_length, 0);
  EXPECT_EQ(waits.load(), 3);
}

// tests/keys/update-test-private.pem's signature of kSigned.
const std::string kSigned = "LarkWatch test installer\r\n";
const std::string kSignatureHex =
    "11a29035721853becf257d0c2a6c7e6814e25163d04b2ab3be4e10c67062534429abb8365053ea64df78702e38030c"
    "6fd8a0c92a18b7524e86a1b5630937f5cb";

TEST(UpdateSignature, TheTestBuildChecksAgainstTheTestKey) {
  test::TempDir dir;
  const std::filesystem::path file = dir.path() / "lwupd.dat";
  std::ofstream(file, std::ios::binary) << kSigned;
  const std::string signature = *SignatureBytes(kSignatureHex);
  const auto bytes = [](const std::string& text) {
    return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  };

  BcryptSignatureCheck check(BuiltInUpdateKey());
  EXPECT_TRUE(check.Verify(file, bytes(signature)));

  std::string flipped = signature;
  flipped[40] ^= 1;
  EXPECT_FALSE(check.Verify(file, bytes(flipped)));
  EXPECT_FALSE(check.Verify(file, bytes(signature.substr(0, 63))));
  EXPECT_FALSE(check.Verify(dir.path() / "missing.dat", bytes(signature)));
  EXPECT_FALSE(BcryptSignatureCheck(std::nullopt).Verify(file, bytes(signature)));

  std::ofstream(file, std::ios::binary | std::ios::app) << "x";
  EXPECT_FALSE(check.Verify(file, bytes(signature)));
}

TEST(UpdateIdentity, ComesFromTheProgramsVersionResource) {
  const UpdateIdentity identity = ProgramIdentity(test::BinFolder() + L"larkwatch.exe");
  EXPECT_EQ(identity.version, "0.1.0.0");
  EXPECT_EQ(identity.language, "Poland");
  EXPECT_FALSE(identity.country.empty());

  const UpdateIdentity none = ProgramIdentity(test::BinFolder() + L"no-such-program.exe");
  EXPECT_EQ(none.version, "");
}

}  // namespace
}  // namespace lw
