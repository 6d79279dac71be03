#include "server/answer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "fakes/temp_dir.h"
#include "net/form_post.h"

namespace lw::server {
namespace {

constexpr char kTextHead[] =
    "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n"
    "Connection: close\r\n\r\n";
constexpr char kFileHead[] =
    "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
    "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n";

TEST(ServerAnswerTest, ATextIsOneChunkThenTheLastChunk) {
  EXPECT_EQ(AnswerBytes(TextAnswer("ver=current")),
            std::string(kTextHead) + "b\r\nver=current\r\n0\r\n\r\n");
}

TEST(ServerAnswerTest, AnEmptyContentIsOnlyTheLastChunk) {
  EXPECT_EQ(AnswerBytes(TextAnswer("")), std::string(kTextHead) + "0\r\n\r\n");
}

TEST(ServerAnswerTest, TheChunkSizeIsLowerCaseHexadecimal) {
  const std::string content(300, 'a');
  EXPECT_EQ(AnswerBytes(TextAnswer(content)),
            std::string(kTextHead) + "12c\r\n" + content + "\r\n0\r\n\r\n");
}

TEST(ServerAnswerTest, AnErrorSaysWhatInItsContent) {
  EXPECT_EQ(AnswerBytes(ErrorAnswer(404, "not found")),
            "HTTP/1.1 404 Not Found\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n"
            "Connection: close\r\n\r\nf\r\nerror=not found\r\n0\r\n\r\n");
}

TEST(ServerAnswerTest, ExtraFieldsGoBeforeTheFixedOnes) {
  Answer answer = ErrorAnswer(405, "only POST is answered");
  answer.extra_headers.emplace_back("Allow", "POST");
  EXPECT_EQ(AnswerBytes(answer),
            "HTTP/1.1 405 Method Not Allowed\r\nContent-Type: text/plain\r\nAllow: POST\r\n"
            "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
            "1b\r\nerror=only POST is answered\r\n0\r\n\r\n");
}

TEST(ServerAnswerTest, TheClientCutsOutExactlyTheContent) {
  for (const char* content : {"", "x", "status=a&crc=1&ver=1.0&desc=d", "0\r\n\r\n"}) {
    const ReceivedAnswer received = CutFirstChunk(AnswerBytes(TextAnswer(content)), true);
    EXPECT_EQ(received.content, content);
    EXPECT_EQ(received.declared_chunk_size, static_cast<int32_t>(std::string_view(content).size()));
  }
}

class ServerAnswerFileTest : public ::testing::Test {
 protected:
  ServerAnswerFileTest() {
    // Longer than two blocks, so that the file is read block by block.
    for (std::size_t i = 0; i < 2 * kFileBlock + 1000; ++i) {
      bytes_.push_back(static_cast<char>(i * 31 % 256));
    }
    std::ofstream out(path_, std::ios::binary);
    out.write(bytes_.data(), static_cast<std::streamsize>(bytes_.size()));
  }

  std::string Expected(std::size_t offset) const {
    const std::string content = bytes_.substr(offset);
    char size[16];
    std::snprintf(size, sizeof size, "%zx", content.size());
    return std::string(kFileHead) + size + "\r\n" + content + "\r\n0\r\n\r\n";
  }

  test::TempDir dir_;
  std::filesystem::path path_ = dir_.path() / "file.bin";
  std::string bytes_;
};

TEST_F(ServerAnswerFileTest, SendsTheFileFromTheOffset) {
  EXPECT_EQ(AnswerBytes(FileAnswer(path_, 0)), Expected(0));
  EXPECT_EQ(AnswerBytes(FileAnswer(path_, 70000)), Expected(70000));
  EXPECT_EQ(AnswerBytes(FileAnswer(path_, bytes_.size() - 1)), Expected(bytes_.size() - 1));
}

TEST_F(ServerAnswerFileTest, AtOrBeyondTheEndTheContentIsEmpty) {
  EXPECT_EQ(AnswerBytes(FileAnswer(path_, bytes_.size())), std::string(kFileHead) + "0\r\n\r\n");
  EXPECT_EQ(AnswerBytes(FileAnswer(path_, UINT64_MAX)), std::string(kFileHead) + "0\r\n\r\n");
}

TEST_F(ServerAnswerFileTest, SaysHowMuchOfTheContentWent) {
  StringSink sink;
  const SentAnswer sent = SendAnswer(FileAnswer(path_, 1000), sink);
  EXPECT_TRUE(sent.complete);
  EXPECT_EQ(sent.status, 200);
  EXPECT_EQ(sent.content_bytes, bytes_.size() - 1000);
}

TEST_F(ServerAnswerFileTest, AFileGoneBeforeItIsSentIsNotFound) {
  const Answer answer = FileAnswer(dir_.path() / "gone.bin", 0);
  StringSink sink;
  EXPECT_EQ(SendAnswer(answer, sink).status, 404);
  EXPECT_EQ(CutFirstChunk(sink.bytes, true).content, "error=not found");
  // A folder is no file either.
  EXPECT_EQ(SendAnswer(FileAnswer(dir_.path(), 0), sink).status, 404);
}

TEST(ServerAnswerTest, KeyValueTextJoinsThePairs) {
  EXPECT_EQ(KeyValueText({}), "");
  EXPECT_EQ(KeyValueText({{"regno", "-1"}}), "regno=-1");
  EXPECT_EQ(KeyValueText({{"folders", ""}, {"items", "a|b"}}), "folders=&items=a|b");
}

TEST(ServerAnswerTest, AValueFitsWhenItHidesNoLaterKey) {
  EXPECT_TRUE(FitsBefore("0202122", {"user", "password"}));
  EXPECT_TRUE(FitsBefore("", {"user"}));
  EXPECT_TRUE(FitsBefore("Version 2 = better", {}));
  EXPECT_FALSE(FitsBefore("superuser", {"user", "password"}));
  EXPECT_FALSE(FitsBefore("mypassword1", {"password"}));
  EXPECT_FALSE(FitsBefore("a&b", {}));
  EXPECT_FALSE(FitsBefore("two\nlines", {}));
}

}  // namespace
}  // namespace lw::server
