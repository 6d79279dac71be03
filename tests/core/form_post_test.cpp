#include "net/form_post.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_ports.h"
#include "fakes/temp_dir.h"
#include "net/file_answer_spool.h"

namespace lw {
namespace {

using Status = Transport::ReceiveStatus;

// A server played from a script: each step is one receive's outcome. A data step larger than
// the receive buffer is handed out over several receives. After the script the server stays
// silent: every wait runs to its end on the fake clock.
class ScriptedTransport : public Transport {
 public:
  struct Step {
    Status status;
    std::string bytes;
  };

  explicit ScriptedTransport(test::FakeClock& clock) : clock_(clock) {}

  bool Connect(std::string_view host, uint16_t port, uint32_t timeout_ms) override {
    connected_host = std::string(host);
    connected_port = port;
    connect_timeout_ms = timeout_ms;
    return connect_succeeds;
  }
  void Send(std::string_view bytes) override { sends.emplace_back(bytes); }
  Status Receive(std::span<char> buffer, uint32_t wait_ms, std::size_t* received) override {
    ++receives;
    largest_buffer = std::max(largest_buffer, buffer.size());
    if (script.empty()) {
      clock_.elapsed += wait_ms;
      if (on_silent_wait) on_silent_wait();
      return Status::kTimedOut;
    }
    Step& step = script.front();
    if (step.status != Status::kData) {
      const Status status = step.status;
      if (status == Status::kTimedOut) clock_.elapsed += wait_ms;
      script.pop_front();
      return status;
    }
    const std::size_t count = std::min(buffer.size(), step.bytes.size());
    std::copy_n(step.bytes.data(), count, buffer.data());
    *received = count;
    step.bytes.erase(0, count);
    if (step.bytes.empty()) script.pop_front();
    return Status::kData;
  }
  void Close() override { ++closes; }

  std::deque<Step> script;
  bool connect_succeeds = true;
  std::string connected_host;
  uint16_t connected_port = 0;
  uint32_t connect_timeout_ms = 0;
  std::vector<std::string> sends;
  int receives = 0;
  std::size_t largest_buffer = 0;
  int closes = 0;
  std::function<void()> on_silent_wait;

 private:
  test::FakeClock& clock_;
};

// The temporary file kept in memory, with a record of its life.
class MemorySpool : public AnswerSpool {
 public:
  bool Create(std::string_view prefix) override {
    prefixes.emplace_back(prefix);
    if (!can_create) return false;
    exists = true;
    bytes.clear();
    return true;
  }
  bool Append(std::string_view more) override {
    bytes.append(more);
    return true;
  }
  std::optional<std::size_t> ReadAt(uint64_t offset, std::span<char> buffer) override {
    largest_read = std::max(largest_read, buffer.size());
    if (offset >= bytes.size()) return 0;
    const std::size_t count = std::min<std::size_t>(buffer.size(), bytes.size() - offset);
    std::copy_n(bytes.data() + offset, count, buffer.data());
    return count;
  }
  void Remove() override {
    if (exists) ++removals;
    exists = false;
  }

  bool can_create = true;
  bool exists = false;
  std::string bytes;
  std::vector<std::string> prefixes;
  int removals = 0;
  std::size_t largest_read = 0;
};

const std::string kHeader = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";

std::string Chunked(const std::string& content) {
  char size[16];
  std::snprintf(size, sizeof size, "%zx", content.size());
  return kHeader + size + "\r\n" + content + "\r\n0\r\n\r\n";
}

class FormPostTest : public ::testing::Test {
 protected:
  FormPostClient Client(const FormPostCopy& copy = kUpdateCopy) {
    return FormPostClient(copy, transport, spool, clock, [this] { return stop; });
  }
  void Script(std::vector<ScriptedTransport::Step> steps) {
    transport.script.assign(steps.begin(), steps.end());
  }

  test::FakeClock clock;
  ScriptedTransport transport{clock};
  MemorySpool spool;
  bool stop = false;
};

TEST_F(FormPostTest, SendsInPiecesOf200BytesAndAnEmptyTextAsOneEmptySend) {
  FormPostClient client = Client();
  client.SendPiecewise(std::string(450, 'b'));
  client.SendPiecewise("");
  client.SendPiecewise(std::string(200, 'c'));
  std::vector<std::size_t> sizes;
  for (const std::string& send : transport.sends) sizes.push_back(send.size());
  EXPECT_EQ(sizes, (std::vector<std::size_t>{200, 200, 50, 0, 200}));
}

TEST_F(FormPostTest, PostFormSendsEachLineOnItsOwnThenTheBodyInPieces) {
  FormPostClient client = Client(kAddonsCopy);
  const std::string body = "give=info&ext=a b&language=Poland" + std::string(417, 'x');
  ASSERT_EQ(body.size(), 450u);
  client.PostForm(kAddonsPath, body);
  const std::vector<std::string> expected = {
      "POST /addons.php HTTP/1.1\r\n",
      "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
      "application/msword, */*\r\n",
      "Content-Type: application/x-www-form-urlencoded\r\n",
      "User-Agent: Unknown\r\n",
      "Host: addons.larkwatch.pl\r\n",
      "Content-Length: 450\r\n",
      "Connection: Close\r\n",
      "\r\n",
      body.substr(0, 200),
      body.substr(200, 200),
      body.substr(400)};
  EXPECT_EQ(transport.sends, expected);
}

TEST_F(FormPostTest, ConnectsToTheCopysHostOnPort80WithATimeLimit) {
  FormPostClient client = Client();
  EXPECT_TRUE(client.ConnectToServer());
  EXPECT_EQ(transport.connected_host, "update.larkwatch.pl");
  EXPECT_EQ(transport.connected_port, 80);
  EXPECT_GT(transport.connect_timeout_ms, 0u);
  EXPECT_EQ(transport.closes, 0);
}

TEST_F(FormPostTest, AFailedConnectReleasesTheSocketAndSendsNothing) {
  transport.connect_succeeds = false;
  FormPostClient update = Client(kUpdateCopy);
  EXPECT_EQ(update.Exchange(kUpdatePath, "give=dialparams&country=Poland"), std::nullopt);
  EXPECT_FALSE(update.Finished());
  EXPECT_EQ(transport.closes, 1);
  EXPECT_TRUE(transport.sends.empty());

  FormPostClient addons = Client(kAddonsCopy);
  EXPECT_EQ(addons.Exchange(kAddonsPath, "give=regno&ext=a&language=Poland"), "");
  EXPECT_TRUE(addons.Finished());
  EXPECT_EQ(transport.closes, 2);
  EXPECT_TRUE(transport.sends.empty());
}

struct CutCase {
  const char* name;
  std::string received;
  std::string content;
  int32_t declared;
};

class FormPostCutTest : public ::testing::TestWithParam<CutCase> {};

// Each case is cut from bytes in memory, and received by the client in two pieces split at
// every place in turn: the content reaches its sink as it arrives once the chunk's start is
// known, or is cut from the answer file afterwards, with the same result.
TEST_P(FormPostCutTest, CutsOutTheFirstChunk) {
  const CutCase& c = GetParam();
  const ReceivedAnswer answer = CutFirstChunk(c.received, true);
  EXPECT_TRUE(answer.ok);
  EXPECT_EQ(answer.content, c.content);
  EXPECT_EQ(answer.content_length, static_cast<int32_t>(c.content.size()));
  EXPECT_EQ(answer.declared_chunk_size, c.declared);

  for (std::size_t split = 0; split <= c.received.size(); ++split) {
    test::FakeClock clock;
    ScriptedTransport transport(clock);
    transport.script = {{Status::kData, c.received.substr(0, split)},
                        {Status::kData, c.received.substr(split)},
                        {Status::kClosed, ""}};
    MemorySpool spool;
    FormPostClient client(kAddonsCopy, transport, spool, clock, [] { return false; });
    const ReceivedAnswer received = client.ReceiveAnswer();
    EXPECT_EQ(received.content, c.content) << "split at " << split;
    EXPECT_EQ(received.content_length, answer.content_length) << "split at " << split;
    EXPECT_EQ(received.declared_chunk_size, c.declared) << "split at " << split;
    EXPECT_TRUE(received.server_closed);
  }
}

const std::string k26 = "abcdefghijklmnopqrstuvwxyz";

INSTANTIATE_TEST_SUITE_P(
    FormPost, FormPostCutTest,
    ::testing::Values(CutCase{"Hex1a", kHeader + "1a\r\n" + k26 + "\r\n0\r\n\r\n", k26, 26},
                      CutCase{"UpperCaseHex", kHeader + "1A\r\n" + k26 + "\r\n0\r\n\r\n", k26, 26},
                      CutCase{"LfLfHeader", "HTTP/1.1 200 OK\nX: y\n\n5\nhello\n0\n\n", "hello", 5},
                      CutCase{"CrLfCrLfBeforeLfLf", "HTTP/1.1 200 OK\r\n\r\n3\r\nabc\n\n", "abc",
                              3},
                      CutCase{"DeclaredLargerThanArrived", kHeader + "100\r\nshort", "short", 256},
                      CutCase{"PlainBodyNotHex", kHeader + "status=a&x=1\r\n", "", 0},
                      CutCase{"NoLineEndKeepsAll", kHeader + "abc", kHeader + "abc", 0},
                      CutCase{"HugeSizeSaturates", kHeader + "fffffffffff\r\nab", "ab", 2147483647},
                      CutCase{"ChunkExtensionEndsNumber", kHeader + "3;x=1\r\nabcdef", "abc", 3},
                      CutCase{"Empty", "", "", 0}),
    [](const ::testing::TestParamInfo<CutCase>& info) { return std::string(info.param.name); });

TEST_F(FormPostTest, ReceivesThroughTheSpoolAndRemovesIt) {
  Script({{Status::kData, kHeader + "1a\r\n" + k26.substr(0, 10)},
          {Status::kTimedOut, ""},
          {Status::kData, k26.substr(10) + "\r\n0\r\n\r\n"},
          {Status::kClosed, ""}});
  FormPostClient client = Client(kAddonsCopy);
  const ReceivedAnswer answer = client.ReceiveAnswer();
  EXPECT_TRUE(answer.ok);
  EXPECT_TRUE(answer.server_closed);
  EXPECT_EQ(answer.content, k26);
  EXPECT_EQ(answer.content_length, 26);
  EXPECT_EQ(answer.declared_chunk_size, 26);
  EXPECT_EQ(spool.prefixes, (std::vector<std::string>{"lwuex"}));
  EXPECT_FALSE(spool.exists);
  EXPECT_EQ(transport.largest_buffer, kReceiveBlock);
}

TEST_F(FormPostTest, AServerThatClosesEarlyGivesWhatArrived) {
  Script({{Status::kData, kHeader + "40\r\npartial"}, {Status::kClosed, ""}});
  FormPostClient client = Client();
  const ReceivedAnswer answer = client.ReceiveAnswer();
  EXPECT_TRUE(answer.server_closed);
  EXPECT_EQ(answer.content, "partial");
  EXPECT_EQ(answer.declared_chunk_size, 64);
  EXPECT_EQ(spool.prefixes, (std::vector<std::string>{"lwud"}));
}

TEST_F(FormPostTest, AReceiveErrorFailsAndRemovesTheTemporaryFile) {
  Script({{Status::kData, kHeader + "5\r\nab"}, {Status::kError, ""}});
  FormPostClient client = Client();
  const ReceivedAnswer answer = client.ReceiveAnswer();
  EXPECT_FALSE(answer.ok);
  EXPECT_EQ(answer.content_length, -1);
  EXPECT_EQ(answer.declared_chunk_size, -1);
  EXPECT_FALSE(answer.server_closed);
  EXPECT_FALSE(spool.exists);
  EXPECT_EQ(spool.removals, 1);
}

TEST_F(FormPostTest, NoTemporaryFileIsTheFailureResult) {
  spool.can_create = false;
  FormPostClient client = Client();
  const ReceivedAnswer answer = client.ReceiveAnswer();
  EXPECT_FALSE(answer.ok);
  EXPECT_EQ(answer.content_length, -1);
  EXPECT_EQ(transport.receives, 0);
}

TEST_F(FormPostTest, AServerThatNeverAnswersFailsAtTheTimeLimit) {
  const uint64_t start = clock.elapsed;
  FormPostClient client = Client();
  const ReceivedAnswer answer = client.ReceiveAnswer();
  EXPECT_FALSE(answer.ok);
  EXPECT_FALSE(spool.exists);
  const FormPostLimits limits;
  EXPECT_EQ(clock.elapsed - start, limits.idle_timeout_ms);
}

TEST_F(FormPostTest, AServerThatFallsSilentMidAnswerFailsAtTheTimeLimit) {
  Script({{Status::kData, kHeader + "5\r\nab"}});
  FormPostClient client = Client();
  EXPECT_FALSE(client.ReceiveAnswer().ok);
  EXPECT_FALSE(spool.exists);
}

TEST_F(FormPostTest, AStopRequestEndsABlockedWaitWithWhatArrived) {
  Script({{Status::kData, kHeader + "20\r\nsome"}});
  int waits = 0;
  transport.on_silent_wait = [&] {
    if (++waits == 3) stop = true;
  };
  FormPostClient client = Client();
  const ReceivedAnswer answer = client.ReceiveAnswer();
  EXPECT_TRUE(answer.ok);
  EXPECT_FALSE(answer.server_closed);
  EXPECT_EQ(answer.content, "some");
  EXPECT_EQ(waits, 3);
  EXPECT_FALSE(spool.exists);
}

TEST_F(FormPostTest, AStopRequestEndsTheLoopAfterTheCurrentBlock) {
  Script({{Status::kData, kHeader + "3\r\nabc"}, {Status::kData, "more"}, {Status::kClosed, ""}});
  stop = true;
  FormPostClient client = Client();
  const ReceivedAnswer answer = client.ReceiveAnswer();
  EXPECT_FALSE(answer.server_closed);
  EXPECT_EQ(answer.content, "abc");
  EXPECT_EQ(transport.receives, 1);
}

TEST_F(FormPostTest, AnOverLongAnswerIsReadInBoundedBlocksAndCutToTheBuffers) {
  const std::string value(300, 'v');
  const std::string content = "ver=" + value + "&crc=" + std::string(3 * kReceiveBlock, 'c');
  Script({{Status::kData, Chunked(content)}, {Status::kClosed, ""}});
  FormPostClient update = Client(kUpdateCopy);
  const std::optional<std::string> text = update.Exchange(kUpdatePath, "give=info");
  EXPECT_EQ(transport.largest_buffer, kReceiveBlock);
  EXPECT_GE(transport.receives, 4);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(*text, content.substr(0, 999));
  EXPECT_EQ(AnswerValue(kUpdateCopy, *text, "ver"), value.substr(0, 255));
  EXPECT_EQ(transport.closes, 1);

  Script({{Status::kData, Chunked(content)}, {Status::kClosed, ""}});
  FormPostClient addons = Client(kAddonsCopy);
  const std::optional<std::string> whole = addons.Exchange(kAddonsPath, "give=info");
  EXPECT_EQ(whole, content);
  EXPECT_EQ(AnswerValue(kAddonsCopy, *whole, "ver"), value);
}

TEST_F(FormPostTest, TheAnswerTextEndsAtTheFirstZeroByte) {
  Script({{Status::kData, Chunked(std::string("a=1\0b=2", 7))}, {Status::kClosed, ""}});
  FormPostClient client = Client();
  EXPECT_EQ(client.Exchange(kUpdatePath, "give=info"), "a=1");
}

TEST_F(FormPostTest, AFailedReceiveGivesNoAnswerToTheUpdateCopyAndAnEmptyTextToTheAddOnsCopy) {
  Script({{Status::kError, ""}});
  FormPostClient update = Client(kUpdateCopy);
  EXPECT_EQ(update.Exchange(kUpdatePath, "give=info"), std::nullopt);
  EXPECT_EQ(transport.closes, 1);

  Script({{Status::kError, ""}});
  FormPostClient addons = Client(kAddonsCopy);
  EXPECT_EQ(addons.Exchange(kAddonsPath, "give=info"), "");
  EXPECT_FALSE(addons.Finished());
}

TEST_F(FormPostTest, ADownloadReachesTheSinkInBoundedBlocks) {
  // The header end lies across the boundary of the first two blocks, and the content runs over
  // several blocks.
  const std::string header =
      "HTTP/1.1 200 OK\r\nX: " + std::string(kReceiveBlock - 23, 'h') + "\r\n\r\n";
  ASSERT_GT(header.size(), kReceiveBlock);
  ASSERT_LT(header.size() - 4, kReceiveBlock);
  std::string content(3 * kReceiveBlock + 5, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  char size[16];
  std::snprintf(size, sizeof size, "%zx", content.size());
  Script(
      {{Status::kData, header + size + "\r\n" + content + "\r\n0\r\n\r\n"}, {Status::kClosed, ""}});
  FormPostClient client = Client();
  std::string delivered;
  std::size_t largest_block = 0;
  const ReceivedAnswer answer = client.ReceiveAnswer([&](std::string_view block) {
    largest_block = std::max(largest_block, block.size());
    delivered.append(block);
    return true;
  });
  EXPECT_TRUE(answer.ok);
  EXPECT_TRUE(answer.content.empty());
  EXPECT_EQ(answer.content_length, static_cast<int32_t>(content.size()));
  EXPECT_TRUE(delivered == content);
  EXPECT_LE(largest_block, kReceiveBlock);
  EXPECT_LE(spool.largest_read, kReceiveBlock);
  EXPECT_FALSE(spool.exists);
}

TEST_F(FormPostTest, ADownloadsContentReachesItsSinkAsItArrives) {
  const std::string content(100000, 'd');
  Script({{Status::kData, kHeader + "186a0\r\n" + content.substr(0, 30000)},
          {Status::kTimedOut, ""},
          {Status::kData, content.substr(30000) + "\r\n0\r\n\r\n"},
          {Status::kClosed, ""}});
  std::string delivered;
  FormPostClient client = Client();
  const ReceivedAnswer answer = client.ReceiveAnswer([&](std::string_view block) {
    delivered.append(block);
    return true;
  });
  EXPECT_TRUE(delivered == content);
  EXPECT_EQ(answer.content_length, 100000);
  EXPECT_EQ(answer.declared_chunk_size, 100000);
  // Only the first block went through the answer file; the rest of the content did not.
  EXPECT_EQ(spool.bytes.size(), kHeader.size() + 7 + 30000);
  EXPECT_FALSE(spool.exists);
}

TEST_F(FormPostTest, ASinkThatFailsStopsTheDelivery) {
  Script({{Status::kData, Chunked(std::string(2 * kReceiveBlock, 'x'))}, {Status::kClosed, ""}});
  FormPostClient client = Client();
  int blocks = 0;
  const ReceivedAnswer answer = client.ReceiveAnswer([&](std::string_view) {
    ++blocks;
    return false;
  });
  EXPECT_EQ(blocks, 1);
  EXPECT_FALSE(spool.exists);
  EXPECT_TRUE(answer.server_closed);
}

TEST_F(FormPostTest, AServiceAddressReplacesTheCopysHostAndPort) {
  Script({{Status::kData, Chunked("a=1")}, {Status::kClosed, ""}});
  FormPostClient client = Client();
  client.SetService({"127.0.0.1", 8080});
  EXPECT_EQ(client.Exchange(kUpdatePath, "x"), "a=1");
  EXPECT_EQ(transport.connected_host, "127.0.0.1");
  EXPECT_EQ(transport.connected_port, 8080);
  ASSERT_GT(transport.sends.size(), 4u);
  EXPECT_EQ(transport.sends[4], "Host: 127.0.0.1\r\n");
}

struct ValueCase {
  const char* text;
  const char* key;
  std::optional<std::string> update;
  std::optional<std::string> addons;
};

class FormPostValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FormPostValueTest, LooksUpTheFirstOccurrenceOfTheKey) {
  const ValueCase& c = GetParam();
  EXPECT_EQ(AnswerValue(kUpdateCopy, c.text, c.key), c.update) << c.text << " / " << c.key;
  EXPECT_EQ(AnswerValue(kAddonsCopy, c.text, c.key), c.addons) << c.text << " / " << c.key;
}

INSTANTIATE_TEST_SUITE_P(
    FormPost, FormPostValueTest,
    ::testing::Values(ValueCase{"status=a&desc=Text&crc=17&ver=1.0", "desc", "Text", "Text"},
                      ValueCase{"status=a&desc=Text&crc=17&ver=1.0", "ver", "1.0", "1.0"},
                      ValueCase{"status=a&desc=Text&crc=17&ver=1.0", "status", "a", "a"},
                      ValueCase{"version=2&ver=1", "ver", "2", "2"}, ValueCase{"", "crc", "", ""},
                      ValueCase{"x=1", "crc", std::nullopt, "0"},
                      ValueCase{"a=1&crc", "crc", std::nullopt, "0"},
                      ValueCase{"desc=ver&ver=9", "ver", "9", "9"},
                      ValueCase{"Ver=1", "ver", std::nullopt, "0"},
                      ValueCase{"new=", "new", "", ""}));

TEST(FormPostFileSpool, KeepsTheBytesInANamedTemporaryFileUntilRemoved) {
  test::TempDir dir;
  FileAnswerSpool spool(dir.path());
  ASSERT_TRUE(spool.Create("lwuex"));
  const std::string name = spool.Path().filename().string();
  EXPECT_EQ(name.substr(0, 3), "lwu");
  EXPECT_EQ(name.size(), 11u);
  EXPECT_EQ(name.substr(7), ".tmp");
  EXPECT_TRUE(spool.Append("abc"));
  EXPECT_TRUE(spool.Append(std::string(70000, 'z')));
  char read[8];
  EXPECT_EQ(spool.ReadAt(0, read), 8u);
  EXPECT_EQ(std::string(read, 8), "abczzzzz");
  EXPECT_EQ(spool.ReadAt(70000, read), 3u);
  EXPECT_EQ(spool.ReadAt(70003, read), 0u);
  const std::filesystem::path path = spool.Path();
  EXPECT_TRUE(std::filesystem::exists(path));
  spool.Remove();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(spool.Append("x"));
  EXPECT_EQ(spool.ReadAt(0, read), std::nullopt);
}

TEST(FormPostFileSpool, SpoolsOfSeveralWorkersNeverShareAFile) {
  test::TempDir dir;
  FileAnswerSpool first(dir.path());
  FileAnswerSpool second(dir.path());
  ASSERT_TRUE(first.Create("lwud"));
  ASSERT_TRUE(second.Create("lwud"));
  EXPECT_NE(first.Path(), second.Path());
}

TEST(FormPostFileSpool, AFailedReceiveLeavesNoFileBehind) {
  test::TempDir dir;
  test::FakeClock clock;
  ScriptedTransport transport(clock);
  transport.script = {{Status::kData, kHeader + "5\r\nab"}, {Status::kError, ""}};
  FileAnswerSpool spool(dir.path());
  FormPostClient client(kUpdateCopy, transport, spool, clock, [] { return false; });
  EXPECT_FALSE(client.ReceiveAnswer().ok);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  transport.script = {{Status::kData, Chunked("ver=1")}, {Status::kClosed, ""}};
  EXPECT_EQ(client.ReceiveAnswer().content, "ver=1");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(FormPostFileSpool, TheFileGoesWithTheSpool) {
  test::TempDir dir;
  {
    FileAnswerSpool spool(dir.path());
    ASSERT_TRUE(spool.Create("lwud"));
    EXPECT_TRUE(spool.Append("left"));
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace lw
