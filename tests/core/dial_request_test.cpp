#include "hooking/dial_request.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace lw {
namespace {

namespace L = request_layout;

DialFields SampleDial() {
  return {48,
          "22",
          "1234567",
          "Moje połączenie",
          "C:\\pbk\\rasphone.pbk",
          "C:\\Program Files\\Dialer\\dialer.exe"};
}

TEST(DialRequest, DialRoundTripsForBothDialTypes) {
  for (RequestType type : {RequestType::Dial, RequestType::DialOther}) {
    auto parsed = ParseDialRequest(BuildDialMessage(type, SampleDial()));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->Type, type);
    EXPECT_EQ(parsed->Dial, SampleDial());
  }
}

TEST(DialRequest, NegativeCountryCodeAndHangUpWordAreReadLittleEndian) {
  DialFields d = SampleDial();
  d.CountryCode = -2;
  EXPECT_EQ(ParseDialRequest(BuildDialMessage(RequestType::Dial, d))->Dial.CountryCode, -2);

  auto hang_up = ParseDialRequest(BuildHangUpMessage("C:\\a.exe", 0x01020304));
  ASSERT_TRUE(hang_up);
  EXPECT_EQ(hang_up->Type, RequestType::HangUp);
  EXPECT_EQ(hang_up->HangUpWord, 0x01020304u);
  EXPECT_EQ(hang_up->HangUpApplication, "C:\\a.exe");
}

TEST(DialRequest, FieldsWithoutNulStopAtTheirCapacity) {
  // Every byte of the fixed part non-zero: no field has a terminator.
  std::vector<uint8_t> message(L::kDialApplication + 5, 'x');
  message[0] = 1;
  message[1] = 0;
  auto parsed = ParseDialRequest(message);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->Dial.AreaCode, std::string(L::kAreaCodeSize, 'x'));
  EXPECT_EQ(parsed->Dial.LocalNumber, std::string(L::kLocalNumberSize, 'x'));
  EXPECT_EQ(parsed->Dial.EntryName, std::string(L::kEntryNameSize, 'x'));
  EXPECT_EQ(parsed->Dial.Phonebook, std::string(L::kPhonebookSize, 'x'));
  // The path runs to the end of the message, never past it.
  EXPECT_EQ(parsed->Dial.Application, std::string(5, 'x'));
}

TEST(DialRequest, TheLastFieldEndsAtTheMessageEnd) {
  std::vector<uint8_t> message = BuildHangUpMessage("C:\\dialer.exe");
  message.pop_back();  // drop the NUL
  EXPECT_EQ(ParseDialRequest(message)->HangUpApplication, "C:\\dialer.exe");
  message.resize(L::kHangUpApplication);  // no path at all
  EXPECT_EQ(ParseDialRequest(message)->HangUpApplication, "");
}

TEST(DialRequest, OverlongFieldsAreCutWhenBuilt) {
  DialFields d = SampleDial();
  d.AreaCode = std::string(40, '9');
  auto parsed = ParseDialRequest(BuildDialMessage(RequestType::Dial, d));
  EXPECT_EQ(parsed->Dial.AreaCode, std::string(L::kAreaCodeSize - 1, '9'));
  EXPECT_EQ(parsed->Dial.LocalNumber, d.LocalNumber);
}

TEST(DialRequest, ShortOrUnknownMessagesAreRefused) {
  std::vector<uint8_t> dial = BuildDialMessage(RequestType::Dial, SampleDial());
  std::vector<uint8_t> hang_up = BuildHangUpMessage("x");
  struct Case {
    std::vector<uint8_t> message;
    const char* what;
  };
  std::vector<Case> cases = {
      {{}, "empty"},
      {{1}, "one byte"},
      {std::vector<uint8_t>(dial.begin(), dial.begin() + L::kDialApplication - 1), "dial, 405"},
      {std::vector<uint8_t>(hang_up.begin(), hang_up.begin() + 7), "hang-up, 7 bytes"},
  };
  for (uint16_t type : {0, 4, 0x0100, 0xFFFF}) {
    std::vector<uint8_t> unknown = dial;
    unknown[0] = static_cast<uint8_t>(type);
    unknown[1] = static_cast<uint8_t>(type >> 8);
    cases.push_back({unknown, "unknown type"});
  }
  for (const Case& c : cases) EXPECT_FALSE(ParseDialRequest(c.message)) << c.what;

  EXPECT_TRUE(ParseDialRequest(std::vector<uint8_t>(dial.begin(), dial.begin() + 406)));
}

TEST(DialRequest, RandomMessagesNeverReadPastTheirEnd) {
  std::mt19937 random(7);
  for (int round = 0; round < 5000; ++round) {
    // Each message in its own allocation, so that a read past it is caught by the sanitizer.
    std::vector<uint8_t> message(random() % 700);
    for (uint8_t& byte : message) byte = static_cast<uint8_t>(random() % 4 == 0 ? 0 : random());
    if (message.size() >= 2 && round % 2 == 0) {
      message[0] = static_cast<uint8_t>(1 + random() % 3);
      message[1] = 0;
    }
    auto parsed = ParseDialRequest(message);
    if (parsed && parsed->Type != RequestType::HangUp) {
      EXPECT_LE(parsed->Dial.Application.size(), message.size() - L::kDialApplication);
      EXPECT_LE(parsed->Dial.AreaCode.size(), L::kAreaCodeSize);
    }
  }
}

}  // namespace
}  // namespace lw
