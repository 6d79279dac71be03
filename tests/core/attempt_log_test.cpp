#include "policy/attempt_log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "common/codec.h"
#include "config/messages.h"
#include "fakes/fake_ports.h"
#include "fakes/temp_dir.h"

namespace lw {
namespace {

namespace fs = std::filesystem;

// The fixed texts as code page 1250 bytes.
const std::string kSeparator(34, '-');
const std::string kDialTitle =
    "Pr\xF3"
    "ba po\xB3\xB9"
    "czenia";  // Próba połączenia
const std::string kHangUpTitle =
    "Roz\xB3\xB9"
    "czanie";  // Rozłączanie
const std::string kEntryLine =
    "Wpis z ksi\xB9\xBF"
    "ki telefonicznej: ";  // Wpis z książki telefonicznej:
const std::string kEntryMiddle =
    " - nazwa ksi\xB9\xBF"
    "ki: ";

class AttemptLogTest : public ::testing::Test {
 protected:
  void SetUp() override { clock.now = "10.12.2026 12:34:56"; }

  std::string Contents() {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  test::TempDir temp;
  const fs::path& dir = temp.path();
  std::string path = (dir / "logs.txt").string();
  MessageTable messages;
  test::FakeClock clock;
  Cp1250Codec codec;
};

TEST_F(AttemptLogTest, DialRecordsHaveTheExactLayout) {
  struct Case {
    int32_t country;
    std::string area, number, entry, phonebook;
    bool allowed;
    std::string expected_tail;  // after the title and date line
  };
  const Case cases[] = {
      {48, "22", "1234567", "", "", true, "+48 22 1234567\r\nWykonane\r\n"},
      {0, "22", "1234567", "", "", false, "22 1234567\r\nZablokowane\r\n"},
      {0, "", "0700123", "", "", true, " 0700123\r\nWykonane\r\n"},
      {-7, "", "1", "Mój", "C:\\a.pbk", true,
       "+-7  1\r\n" + kEntryLine + "M\xF3j" + kEntryMiddle + "C:\\a.pbk\r\n\r\nWykonane\r\n"},
      {1, "", "", "Wpis", "", false,
       "+1  \r\n" + kEntryLine + "Wpis" + kEntryMiddle + "\r\n\r\nZablokowane\r\n"},
  };
  AttemptLog log(path, messages, clock, codec);
  for (const Case& c : cases) {
    // The entry name is ANSI bytes as received; the test gives it in code page 1250.
    const std::string entry = codec.FromUtf8(c.entry);
    EXPECT_EQ(log.ComposeRecord(AttemptKind::Connect, "C:\\d\xB9.exe", c.country, c.area, c.number,
                                entry, c.phonebook, c.allowed),
              kSeparator + "\r\n" + kDialTitle + "\r\n10.12.2026 12:34:56 - C:\\d\xB9.exe\r\n" +
                  c.expected_tail);
  }
}

TEST_F(AttemptLogTest, HangUpRecordHasFourLines) {
  AttemptLog log(path, messages, clock, codec);
  EXPECT_EQ(log.ComposeRecord(AttemptKind::Disconnect, "C:\\h.exe", 0, "", "", "", "", false),
            kSeparator + "\r\n" + kHangUpTitle + "\r\n10.12.2026 12:34:56 - C:\\h.exe\r\n" +
                "Zablokowane\r\n");
}

TEST_F(AttemptLogTest, RecordsAreAppendedOneAfterTheOther) {
  {
    std::ofstream existing(path, std::ios::binary);
    existing << "old\r\n";
  }
  AttemptLog log(path, messages, clock, codec);
  log.LogAttempt(AttemptKind::Connect, "a.exe", 0, "", "1", "", "", true);
  log.LogAttempt(AttemptKind::Disconnect, "b.exe", 0, "", "", "", "", true);
  EXPECT_EQ(Contents(),
            "old\r\n" + log.ComposeRecord(AttemptKind::Connect, "a.exe", 0, "", "1", "", "", true) +
                log.ComposeRecord(AttemptKind::Disconnect, "b.exe", 0, "", "", "", "", true));
  // The second separator follows the first verdict directly.
  EXPECT_NE(Contents().find("Wykonane\r\n" + kSeparator), std::string::npos);
}

TEST_F(AttemptLogTest, AnUnopenableFileLosesTheRecordSilently) {
  AttemptLog log((dir / "missing" / "logs.txt").string(), messages, clock, codec);
  log.LogAttempt(AttemptKind::Connect, "a.exe", 0, "", "1", "", "", true);
  EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST_F(AttemptLogTest, TextsComeFromTheMessageTableAtTheMomentOfUse) {
  AttemptLog log(path, messages, clock, codec);
  ASSERT_TRUE(messages.Set(msg::LogHangUpHeader, "== Hang-up ==\r\n%s | %s\r\n"));
  ASSERT_TRUE(messages.Set(msg::LogHangUpAllowed, "Done"));
  EXPECT_EQ(log.ComposeRecord(AttemptKind::Disconnect, "h.exe", 0, "", "", "", "", true),
            "== Hang-up ==\r\n10.12.2026 12:34:56 | h.exe\r\nDone\r\n");
}

}  // namespace
}  // namespace lw
