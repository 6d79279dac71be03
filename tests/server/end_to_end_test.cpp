// The real lwserver, started on a free loopback port and spoken to over plain sockets.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fakes/temp_dir.h"
#include "net/form_post.h"

extern char** environ;

namespace lw::server {
namespace {

namespace fs = std::filesystem;

// Waits far longer than anything here takes, so that a slow machine does not fail a test.
constexpr int kGenerousMs = 30000;

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One connection to the service.
class Client {
 public:
  explicit Client(uint16_t port) {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Client() { close(fd_); }
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  bool connected() const { return connected_; }

  void Send(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t sent = send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent <= 0) return;
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
  }

  // Everything until the service closes; "TIMEOUT" appended when it does not close in time.
  std::string ReadAll() {
    std::string all;
    std::vector<char> block(1 << 20);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousMs);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      pollfd wait{fd_, POLLIN, 0};
      if (left <= 0 || poll(&wait, 1, static_cast<int>(left)) <= 0) return all + "TIMEOUT";
      const ssize_t got = recv(fd_, block.data(), block.size(), 0);
      if (got <= 0) return all;
      all.append(block.data(), static_cast<std::size_t>(got));
    }
  }

  // Reads until want bytes have come, the service closes (*closed), or wait_ms pass.
  std::string ReadUpTo(std::size_t want, int wait_ms, bool* closed) {
    std::string all;
    *closed = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
    char block[4096];
    while (all.size() < want) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      pollfd wait{fd_, POLLIN, 0};
      if (left <= 0 || poll(&wait, 1, static_cast<int>(left)) <= 0) break;
      const ssize_t got = recv(fd_, block, std::min(sizeof block, want - all.size()), 0);
      if (got <= 0) {
        *closed = true;
        break;
      }
      all.append(block, static_cast<std::size_t>(got));
    }
    return all;
  }

  // A form POST as the program sends it, and the whole answer.
  std::string Post(std::string_view path, std::string_view body) {
    Send("POST " + std::string(path) +
         " HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\n"
         "Host: update.larkwatch.pl\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: Close\r\n\r\n" + std::string(body));
    return ReadAll();
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};

// The head of an answer, the one chunk and the end, taken apart strictly.
struct Chunked {
  std::string head;
  std::string content;
  bool one_chunk = false;
};

Chunked TakeApart(const std::string& all) {
  Chunked answer;
  const std::size_t head_end = all.find("\r\n\r\n");
  if (head_end == std::string::npos) return answer;
  answer.head = all.substr(0, head_end + 4);
  std::string_view rest = std::string_view(all).substr(head_end + 4);
  const std::size_t size_end = rest.find("\r\n");
  if (size_end == std::string_view::npos) return answer;
  const std::size_t size = std::stoul(std::string(rest.substr(0, size_end)), nullptr, 16);
  rest.remove_prefix(size_end + 2);
  if (size == 0) {
    answer.one_chunk = rest == "\r\n";
    return answer;
  }
  if (rest.size() < size) return answer;
  answer.content = std::string(rest.substr(0, size));
  answer.one_chunk = rest.substr(size) == "\r\n0\r\n\r\n";
  return answer;
}

class ServerEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(dir_.path() / "content/update/larkwatch.exe", "MZ\x01");
    WriteFile(dir_.path() / "content/update/version.txt", "0.2.0\n");
    WriteFile(dir_.path() / "content/dialparams/Poland.txt", "number=0202122\nuser=lark\n");
    WriteFile(dir_.path() / "content/addons/Tools/Ping.dll", "\x01\x02\x03\x04\x05");
    WriteFile(dir_.path() / "content/addons/Tools/Ping.txt", "Ping, with version and crc");
  }

  void TearDown() override {
    if (pid_ > 0) Stop();
  }

  // Starts the service and waits for its line saying where it listens.
  void Start(const std::vector<std::string>& options = {}) {
    int out[2];
    ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string log = (dir_.path() / "stderr.txt").string();
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string root = (dir_.path() / "content").string();
    const std::string key = std::string(LW_TEST_KEYS) + "/update-test-private.pem";
    std::vector<std::string> arguments = {LW_SERVER_PROGRAM, "--root", root, "--listen",
                                          "127.0.0.1:0",     "--key",  key};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&pid_, LW_SERVER_PROGRAM, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);

    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousMs);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd wait{out[0], POLLIN, 0};
      if (poll(&wait, 1, 100) <= 0) continue;
      char c;
      if (read(out[0], &c, 1) != 1) break;
      line.push_back(c);
    }
    close(out[0]);
    const std::string prefix = "lwserver: listening on 127.0.0.1:";
    ASSERT_EQ(line.substr(0, prefix.size()), prefix) << line << ReadText(log);
    port_ = static_cast<uint16_t>(std::stoi(line.substr(prefix.size())));
    ASSERT_NE(port_, 0);
  }

  // Ends the service as an operator would; it must end cleanly.
  int Stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousMs);
    while (waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Log() const { return ReadText(dir_.path() / "stderr.txt"); }

  test::TempDir dir_;
  pid_t pid_ = 0;
  uint16_t port_ = 0;
};

TEST_F(ServerEndToEndTest, AnswersWithExactlyOneChunkAndCloses) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Client client(port_);
  ASSERT_TRUE(client.connected());
  const std::string all = client.Post("/addons.php", "give=info&ext=Ping&language=Poland");
  const Chunked answer = TakeApart(all);
  EXPECT_EQ(answer.head,
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n"
            "Connection: close\r\n\r\n");
  EXPECT_TRUE(answer.one_chunk) << all;
  // The signature, 128 hexadecimal characters, is new at every signing.
  const std::string before = "status=a&crc=1&ver=1.0&sig=";
  const std::string after = "&desc=Ping, with version and crc";
  ASSERT_EQ(answer.content.size(), before.size() + 128 + after.size()) << answer.content;
  EXPECT_EQ(answer.content.substr(0, before.size()), before);
  EXPECT_EQ(answer.content.substr(before.size() + 128), after);
  // The program's own cutting gives the same.
  EXPECT_EQ(CutFirstChunk(all, true).content, answer.content);

  Client update(port_);
  const std::string text =
      CutFirstChunk(
          update.Post("/lwupd.php",
                      "give=info&name=larkwatch&ver=0.1.0&country=Poland&language=Poland"),
          true)
          .content;
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "ver"), "old");
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "crc"), "22");  // 4D ^ 5A ^ 01
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "new"), "0.2.0");

  Client file(port_);
  EXPECT_EQ(TakeApart(file.Post("/lwupd.php", "give=file&name=larkwatch&resume=1")).content,
            "Z\x01");
  Client empty(port_);
  const Chunked nothing = TakeApart(empty.Post("/lwupd.php", "give=dialparams&country=France"));
  EXPECT_TRUE(nothing.one_chunk);
  EXPECT_EQ(nothing.content, "");

  EXPECT_EQ(Stop(), 0);
  const std::string log = Log();
  EXPECT_NE(log.find("POST /addons.php give=info 200 187"), std::string::npos) << log;
  EXPECT_NE(log.find("POST /lwupd.php give=file resume=1 200 2"), std::string::npos) << log;
}

TEST_F(ServerEndToEndTest, GarbageGetsA400) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Client client(port_);
  client.Send("garbage\r\n\r\n");
  const std::string all = client.ReadAll();
  EXPECT_EQ(all.substr(0, 25), "HTTP/1.1 400 Bad Request\r");
  const Chunked answer = TakeApart(all);
  EXPECT_TRUE(answer.one_chunk);
  EXPECT_EQ(answer.content, "error=malformed request line");

  Client wrong(port_);
  wrong.Send("GET /addons.php HTTP/1.1\r\n\r\n");
  EXPECT_EQ(TakeApart(wrong.ReadAll()).content, "error=only POST is answered");
  EXPECT_EQ(Stop(), 0);
}

TEST_F(ServerEndToEndTest, ASilentClientDoesNotHoldOthers) {
  ASSERT_NO_FATAL_FAILURE(Start());
  Client silent(port_);
  ASSERT_TRUE(silent.connected());
  Client half(port_);
  half.Send("POST /lwupd.php HTTP/1.1\r\nContent-Length: 100\r\n\r\ngive=");
  for (int i = 0; i < 3; ++i) {
    Client other(port_);
    EXPECT_EQ(TakeApart(other.Post("/lwupd.php", "give=dialparams&country=Poland")).content,
              "number=0202122&user=lark");
  }
  // The service ends even with both still connected.
  EXPECT_EQ(Stop(), 0);
}

TEST_F(ServerEndToEndTest, BeyondTheConnectionLimitNewClientsGet503) {
  ASSERT_NO_FATAL_FAILURE(Start());
  std::vector<std::unique_ptr<Client>> silent;
  for (int i = 0; i < 64; ++i) silent.push_back(std::make_unique<Client>(port_));
  Client refused(port_);
  const std::string all = refused.Post("/lwupd.php", "give=dialparams&country=Poland");
  EXPECT_EQ(all.substr(0, 33), "HTTP/1.1 503 Service Unavailable\r");
  EXPECT_EQ(TakeApart(all).content, "error=too many connections");

  // Once they are gone, clients are served again.
  silent.clear();
  std::string content;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGenerousMs);
  while (content != "number=0202122&user=lark" && std::chrono::steady_clock::now() < deadline) {
    Client again(port_);
    content = TakeApart(again.Post("/lwupd.php", "give=dialparams&country=Poland")).content;
    if (content != "number=0202122&user=lark") {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  EXPECT_EQ(content, "number=0202122&user=lark");
  EXPECT_EQ(Stop(), 0);
}

// Current resident memory of a process, in KiB.
long ResidentKiB(pid_t pid) {
  std::istringstream status(ReadText("/proc/" + std::to_string(pid) + "/status"));
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

TEST_F(ServerEndToEndTest, ALargeInstallerIsStreamedNotHeld) {
  constexpr std::size_t kSize = 64u << 20;
  std::string installer(kSize, '\0');
  for (std::size_t i = 0; i < kSize; i += 4096) installer[i] = static_cast<char>(i / 4096);
  WriteFile(dir_.path() / "content/update/larkwatch.exe", installer);
  ASSERT_NO_FATAL_FAILURE(Start());

  const long before = ResidentKiB(pid_);
  Client whole(port_);
  const std::string all = whole.Post("/lwupd.php", "give=file&name=larkwatch&resume=0");
  const Chunked answer = TakeApart(all);
  EXPECT_TRUE(answer.one_chunk);
  EXPECT_TRUE(answer.content == installer);
  Client resumed(port_);
  const Chunked tail =
      TakeApart(resumed.Post("/lwupd.php", "give=file&name=larkwatch&resume=67000000"));
  EXPECT_TRUE(tail.content == installer.substr(67000000));
  // The file went from the disk to the socket: the service grew by far less than its size.
  const long after = ResidentKiB(pid_);
  EXPECT_LT(after - before, 16 * 1024) << before << " KiB before, " << after << " after";
  EXPECT_EQ(Stop(), 0);
}

TEST_F(ServerEndToEndTest, AStalledDownloadHoldsTheConnectionUntilTheClientLeaves) {
  WriteFile(dir_.path() / "content/update/larkwatch.exe", std::string(5000, 'x'));
  ASSERT_NO_FATAL_FAILURE(Start({"--stall-after", "1000"}));
  {
    Client client(port_);
    const std::string body = "give=file&name=larkwatch&resume=200";
    client.Send("POST /lwupd.php HTTP/1.1\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\n\r\n" + body);
    // The head declares the whole rest (4800 bytes, 12c0); 1000 bytes of it come, then
    // nothing, and no close.
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
        "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n12c0\r\n";
    bool closed = false;
    const std::string arrived = client.ReadUpTo(head.size() + 1000, kGenerousMs, &closed);
    EXPECT_EQ(arrived, head + std::string(1000, 'x'));
    EXPECT_FALSE(closed);
    EXPECT_EQ(client.ReadUpTo(1, 300, &closed), "");
    EXPECT_FALSE(closed);
  }
  // Other clients are served meanwhile, and the client's leaving ends the held connection.
  Client other(port_);
  EXPECT_TRUE(TakeApart(other.Post("/lwupd.php", "give=dialparams&country=Poland")).one_chunk);
  EXPECT_EQ(Stop(), 0);
  EXPECT_NE(Log().find("give=file resume=200 200 1000 (stalled)"), std::string::npos) << Log();
}

TEST(ServerProgramTest, PrintsThePublicHalfOfTheKey) {
  test::TempDir dir;
  const std::string out = (dir.path() / "out.txt").string();
  const std::string command = std::string(LW_SERVER_PROGRAM) + " --public-key --key " +
                              LW_TEST_KEYS + "/update-test-private.pem >" + out;
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadText(out), ReadText(std::string(LW_TEST_KEYS) + "/update-test-public.pem"));
}

TEST(ServerProgramTest, ABadCommandLineEndsWithUsage) {
  test::TempDir dir;
  const std::string err = (dir.path() / "err.txt").string();
  for (const char* arguments :
       {"", "--root", "--root x --listen 127.0.0.1:0", "--bogus", "--public-key",
        "--root x --listen nowhere --key k", "--root x --listen 127.0.0.1:70000 --key k"}) {
    const std::string command = std::string(LW_SERVER_PROGRAM) + " " + arguments + " 2>" + err;
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << arguments;
    EXPECT_NE(ReadText(err).find("usage: lwserver"), std::string::npos) << arguments;
  }
}

}  // namespace
}  // namespace lw::server
