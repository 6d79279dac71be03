#include "server/http_request.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace lw::server {
namespace {

using State = RequestParser::State;

// The head the program sends, line for line (src/net/form_post.cpp), with its form.
std::string ClientRequest(const std::string& path, const std::string& body) {
  return "POST " + path +
         " HTTP/1.1\r\n"
         "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/vnd.ms-excel, "
         "application/msword, */*\r\n"
         "Content-Type: application/x-www-form-urlencoded\r\n"
         "User-Agent: Unknown\r\n"
         "Host: update.larkwatch.pl\r\n"
         "Content-Length: " +
         std::to_string(body.size()) +
         "\r\n"
         "Connection: Close\r\n"
         "\r\n" +
         body;
}

std::string Post(const std::string& fields, const std::string& body) {
  return "POST /lwupd.php HTTP/1.1\r\n" + fields + "\r\n" + body;
}

struct RequestCase {
  const char* name;
  std::string bytes;
  // For a complete request: its method, path and body; for a failed one: status and text.
  State state;
  std::string method_or_text;
  std::string path;
  std::string body;
  int status = 0;
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

RequestCase Good(const char* name, std::string bytes, std::string method, std::string path,
                 std::string body) {
  return {name,           std::move(bytes), State::kComplete, std::move(method), std::move(path),
          std::move(body)};
}

RequestCase Bad(const char* name, std::string bytes, int status, std::string text) {
  return {name, std::move(bytes), State::kFailed, std::move(text), "", "", status};
}

void Check(const RequestCase& c, const RequestParser& parser) {
  ASSERT_EQ(parser.state(), c.state);
  if (c.state == State::kComplete) {
    EXPECT_EQ(parser.request().method, c.method_or_text);
    EXPECT_EQ(parser.request().path, c.path);
    EXPECT_EQ(parser.request().body, c.body);
  } else {
    EXPECT_EQ(parser.error().status, c.status);
    EXPECT_EQ(parser.error().text, c.method_or_text);
  }
}

class ServerRequestTableTest : public ::testing::TestWithParam<RequestCase> {};

TEST_P(ServerRequestTableTest, ReadWhole) { Check(GetParam(), ParseRequest(GetParam().bytes)); }

TEST_P(ServerRequestTableTest, ReadAByteAtATime) {
  RequestParser parser;
  for (char c : GetParam().bytes) parser.Feed(std::string_view(&c, 1));
  parser.End();
  Check(GetParam(), parser);
}

const std::string kForm = "give=dialparams&country=Poland";
const std::string kLongValue(kMaxHeadBytes, 'x');

INSTANTIATE_TEST_SUITE_P(
    ServerRequest, ServerRequestTableTest,
    ::testing::Values(
        Good("TheClientsOwnRequest", ClientRequest("/lwupd.php", kForm), "POST", "/lwupd.php",
             kForm),
        Good("ShortForm", Post("Content-Length: 5\r\n", "hello"), "POST", "/lwupd.php", "hello"),
        Good("LinesEndingInLfAlone", "POST /addons.php HTTP/1.1\nContent-Length: 3\n\nabc", "POST",
             "/addons.php", "abc"),
        Good("EmptyLinesBeforeTheRequestLineAreSkipped",
             "\r\n\nPOST /lwupd.php HTTP/1.1\r\nContent-Length: 1\r\n\r\nx", "POST", "/lwupd.php",
             "x"),
        Good("QueryIsNotPartOfThePath", "POST /lwupd.php?a=1 HTTP/1.1\r\nContent-Length: 0\r\n\r\n",
             "POST", "/lwupd.php", ""),
        Good("AbsoluteTarget",
             "POST http://update.larkwatch.pl/lwupd.php HTTP/1.1\r\nContent-Length: 0\r\n\r\n",
             "POST", "/lwupd.php", ""),
        Good("Http10", "POST /lwupd.php HTTP/1.0\r\nContent-Length: 2\r\n\r\nab", "POST",
             "/lwupd.php", "ab"),
        Good("FieldNamesWithoutRegardToCase", Post("content-LENGTH:   4  \r\n", "abcd"), "POST",
             "/lwupd.php", "abcd"),
        Good("AgreeingLengths", Post("Content-Length: 2\r\nContent-Length: 02\r\n", "ab"), "POST",
             "/lwupd.php", "ab"),
        Good("BytesAfterTheBodyAreDropped", Post("Content-Length: 2\r\n", "abEXTRA"), "POST",
             "/lwupd.php", "ab"),
        Good("GetNeedsNoLength", "GET /lwupd.php HTTP/1.1\r\nHost: x\r\n\r\n", "GET", "/lwupd.php",
             ""),
        Good("BodyOfTheLargestSize",
             Post("Content-Length: 16384\r\n", std::string(kMaxBodyBytes, 'b')), "POST",
             "/lwupd.php", std::string(kMaxBodyBytes, 'b')),
        Good("ObsoleteTextInAValue",
             Post("X-Name: Za\xBF\xF3\xB3\xE6\r\nContent-Length: 0\r\n", ""), "POST", "/lwupd.php",
             ""),

        Bad("Garbage", "garbage\r\n\r\n", 400, "malformed request line"),
        Bad("NoVersion", "POST /lwupd.php\r\n\r\n", 400, "malformed request line"),
        Bad("TwoBlanks", "POST  /lwupd.php HTTP/1.1\r\n\r\n", 400, "malformed request line"),
        Bad("FourWords", "POST /lwupd.php HTTP/1.1 x\r\n\r\n", 400, "malformed request line"),
        Bad("NotHttp", "POST /lwupd.php FTP/1.1\r\n\r\n", 400, "malformed request line"),
        Bad("OtherHttpVersion", "POST /lwupd.php HTTP/2.0\r\n\r\n", 505,
            "HTTP version not supported"),
        Bad("MethodWithAControlCharacter", "PO\x01T /lwupd.php HTTP/1.1\r\n\r\n", 400,
            "malformed request line"),
        Bad("TargetWithoutSlash", "POST lwupd.php HTTP/1.1\r\n\r\n", 400,
            "malformed request target"),
        Bad("AsteriskTarget", "OPTIONS * HTTP/1.1\r\n\r\n", 400, "malformed request target"),
        Bad("FieldWithoutColon", Post("Content-Length 5\r\n", "hello"), 400,
            "malformed header field"),
        Bad("BlankBeforeTheColon", Post("Content-Length : 5\r\n", "hello"), 400,
            "malformed header field"),
        Bad("FoldedField", Post("X-A: b\r\n c\r\nContent-Length: 0\r\n", ""), 400,
            "malformed header field"),
        Bad("ControlCharacterInAValue", Post("X-A: b\x01\r\nContent-Length: 0\r\n", ""), 400,
            "malformed header field"),
        Bad("CrInsideALine", Post("X-A: b\rc\r\nContent-Length: 0\r\n", ""), 400,
            "malformed header field"),
        Bad("LengthNotANumber", Post("Content-Length: abc\r\n", ""), 400,
            "malformed Content-Length"),
        Bad("NegativeLength", Post("Content-Length: -1\r\n", ""), 400, "malformed Content-Length"),
        Bad("EmptyLength", Post("Content-Length:\r\n", ""), 400, "malformed Content-Length"),
        Bad("DisagreeingLengths", Post("Content-Length: 1\r\nContent-Length: 2\r\n", "ab"), 400,
            "malformed Content-Length"),
        Bad("MissingLength", Post("Host: x\r\n", "give=info"), 411, "Content-Length required"),
        Bad("ChunkedBody", Post("Transfer-Encoding: chunked\r\n", "5\r\nhello\r\n0\r\n\r\n"), 501,
            "request bodies are taken by Content-Length only"),
        Bad("BodyTooLong", Post("Content-Length: 16385\r\n", ""), 413, "request body too long"),
        Bad("LengthBeyond64Bits", Post("Content-Length: 99999999999999999999999\r\n", ""), 413,
            "request body too long"),
        Bad("HeadTooLong", Post("X-Long: " + kLongValue + "\r\nContent-Length: 0\r\n", ""), 431,
            "request head too long"),
        Bad("HeadWithoutEnd", "POST /lwupd.php HTTP/1.1\r\nX: " + kLongValue, 431,
            "request head too long"),
        Bad("EndlessEmptyLines", std::string(kMaxHeadBytes + 2, '\n'), 431,
            "request head too long"),
        Bad("BodyShorterThanDeclared", Post("Content-Length: 10\r\n", "abc"), 400,
            "body shorter than Content-Length"),
        Bad("HeadCutOff", "POST /lwupd.php HTTP/1.1\r\nContent-Len", 400,
            "incomplete request head"),
        Bad("Nothing", "", 400, "no request")),
    [](const ::testing::TestParamInfo<RequestCase>& info) { return std::string(info.param.name); });

TEST(ServerRequestTest, WaitsForTheRestUntilTheClientCloses) {
  RequestParser parser;
  EXPECT_EQ(parser.Feed("POST /lwupd.php HTTP/1.1\r\n"), State::kNeedMore);
  EXPECT_EQ(parser.Feed("Content-Length: 4\r\n\r\nab"), State::kNeedMore);
  EXPECT_EQ(parser.Feed("cd"), State::kComplete);
  EXPECT_EQ(parser.request().body, "abcd");
  // Whatever comes after the request changes nothing.
  EXPECT_EQ(parser.Feed("more"), State::kComplete);
  EXPECT_EQ(parser.End(), State::kComplete);
  EXPECT_EQ(parser.request().body, "abcd");
}

TEST(ServerRequestTest, TakesNoBytesOnceFailed) {
  RequestParser parser;
  EXPECT_EQ(parser.Feed("garbage\r\n\r\n"), State::kFailed);
  EXPECT_EQ(parser.Feed("POST /lwupd.php HTTP/1.1\r\nContent-Length: 0\r\n\r\n"), State::kFailed);
  EXPECT_EQ(parser.error().status, 400);
}

TEST(ServerRequestTest, KeepsTheFieldsAndTheirValuesWithoutBlanks) {
  const RequestParser parser = ParseRequest(ClientRequest("/addons.php", "give=regno"));
  ASSERT_EQ(parser.state(), State::kComplete);
  const HttpRequest& request = parser.request();
  EXPECT_EQ(request.version, "HTTP/1.1");
  EXPECT_EQ(request.target, "/addons.php");
  EXPECT_EQ(request.headers.size(), 6u);
  EXPECT_EQ(request.Header("host"), "update.larkwatch.pl");
  EXPECT_EQ(request.Header("CONNECTION"), "Close");
  EXPECT_EQ(request.Header("Content-Length"), "10");
  EXPECT_EQ(request.Header("Cookie"), std::nullopt);
}

TEST(ServerRequestTest, AHeadOfExactlyTheLimitIsRead) {
  std::string head = "POST /lwupd.php HTTP/1.1\r\nContent-Length: 0\r\nX: ";
  const std::size_t padding = kMaxHeadBytes - head.size() - 4;
  head += std::string(padding, 'p') + "\r\n\r\n";
  ASSERT_EQ(head.size(), kMaxHeadBytes);
  EXPECT_EQ(ParseRequest(head).state(), State::kComplete);
  head.insert(head.size() - 4, "q");
  EXPECT_EQ(ParseRequest(head).error().status, 431);
}

TEST(ServerRequestTest, AFeedLongerThanTheRequestGivesOnlyTheRequest) {
  RequestParser parser;
  parser.Feed(Post("Content-Length: 16384\r\n", std::string(8u << 20, 'z')));
  EXPECT_EQ(parser.state(), State::kComplete);
  EXPECT_EQ(parser.request().body.size(), kMaxBodyBytes);
}

}  // namespace
}  // namespace lw::server
