// Any bytes as the request of a connection, arriving in pieces, answered against a small
// content folder; or any bytes as the form of a well-made request to either path. Nothing may
// crash or hang, and every answer must be one chunk whose content the program's own cutting
// gives back exactly, with an "error=" text whenever the status is not 200.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "fakes/temp_dir.h"
#include "net/form_post.h"
#include "server/router.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Rig {
  Rig() {
    const fs::path root = dir.path();
    WriteFile(root / "update/larkwatch.exe", std::string_view("MZ\x00\x01\x10", 5));
    WriteFile(root / "update/version.txt", "0.2.0\n");
    WriteFile(root / "dialparams/Poland.txt", "number=0202122\nuser=lark\npassword=watch\n");
    WriteFile(root / "dialparams/default.txt", "number=0209999\n");
    WriteFile(root / "addons/Tools/Ping.dll", "\x01\x02\x03\x04\x05");
    WriteFile(root / "addons/Tools/Ping.txt", "Ping, with version and crc");
    WriteFile(root / "addons/Tools/Ping.ver", "2.1");
    WriteFile(root / "addons/Tools/Net/Trace.dll", "\x01\r\x1a");
    WriteFile(root / "addons/Zeta.dll", "z");
    fs::create_directories(root / "addons/Empty");

    // The test key pair of the repository, found from this file's place in it.
    const fs::path key =
        fs::path(__FILE__).parent_path().parent_path() / "tests/keys/update-test-private.pem";
    std::string error;
    signer = lw::server::UpdateSigner::FromPemFile(key, &error);
    if (!signer) {
      std::fprintf(stderr, "server_request_fuzz: %s\n", error.c_str());
      std::abort();
    }
    facts = std::make_unique<lw::server::FileFacts>(*signer);
    router = std::make_unique<lw::server::Router>(content, *facts);
  }

  lw::test::TempDir dir;
  lw::server::ContentFolder content{dir.path(), [](std::string_view) {}};
  std::unique_ptr<lw::server::UpdateSigner> signer;
  std::unique_ptr<lw::server::FileFacts> facts;
  std::unique_ptr<lw::server::Router> router;
};

Rig& TheRig() {
  static Rig rig;
  return rig;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The whole answer as sent: head, one chunk, the last chunk, nothing else.
void CheckAnswer(const std::string& bytes, int status) {
  if (bytes.rfind("HTTP/1.1 " + std::to_string(status) + " ", 0) != 0) std::abort();
  const std::size_t head_end = bytes.find("\r\n\r\n");
  if (head_end == std::string::npos) std::abort();
  std::string_view rest = std::string_view(bytes).substr(head_end + 4);
  std::size_t size = 0;
  std::size_t digits = 0;
  for (; digits < rest.size() && HexValue(rest[digits]) >= 0; ++digits) {
    size = size * 16 + static_cast<std::size_t>(HexValue(rest[digits]));
  }
  if (digits == 0 || rest.substr(digits, 2) != "\r\n") std::abort();
  rest.remove_prefix(digits + 2);
  std::string_view content;
  if (size == 0) {
    if (digits != 1 || rest != "\r\n") std::abort();
  } else {
    if (rest.size() != size + 7 || rest.substr(size) != "\r\n0\r\n\r\n") std::abort();
    content = rest.substr(0, size);
  }
  if (lw::CutFirstChunk(bytes, true).content != content) std::abort();
  if (status != 200 && content.rfind("error=", 0) != 0) std::abort();
}

void Answer(const lw::server::RequestParser& parser) {
  const lw::server::RoutedAnswer routed = TheRig().router->Route(parser);
  lw::server::StringSink sink;
  const lw::server::SentAnswer sent = lw::server::SendAnswer(routed.answer, sink);
  if (!sent.complete) std::abort();
  CheckAnswer(sink.bytes, sent.status);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  if ((mode & 0x80) != 0) {
    // A form to either path, in a request the parser must read whole.
    const std::string path = (mode & 0x40) != 0 ? "/addons.php" : "/lwupd.php";
    const std::string request = "POST " + path +
                                " HTTP/1.1\r\nContent-Length: " + std::to_string(bytes.size()) +
                                "\r\n\r\n" + std::string(bytes);
    const lw::server::RequestParser parser = lw::server::ParseRequest(request);
    const bool fits = bytes.size() <= lw::server::kMaxBodyBytes;
    if ((parser.state() == lw::server::RequestParser::State::kComplete) != fits) std::abort();
    if (fits && parser.request().body != bytes) std::abort();
    Answer(parser);
    return 0;
  }

  // The bytes in pieces of 1 to 64, and the client's side closed or left open.
  const std::size_t piece = (mode & 0x3F) + 1u;
  lw::server::RequestParser parser;
  for (std::size_t at = 0; at < bytes.size(); at += piece) parser.Feed(bytes.substr(at, piece));
  if ((mode & 0x40) != 0) parser.End();
  if (parser.state() == lw::server::RequestParser::State::kComplete &&
      parser.request().body.size() > lw::server::kMaxBodyBytes) {
    std::abort();
  }
  Answer(parser);
  return 0;
}
