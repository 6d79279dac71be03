#include "server/router.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/temp_dir.h"
#include "net/form_post.h"

namespace lw::server {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The content folder of these tests. Byte checksums (exclusive or of all bytes) and extension
// checksums (see tests/core/extension_checksum_test.cpp for the rounds) worked out by hand.
void MakeContent(const fs::path& root) {
  // 4D ^ 5A ^ 00 ^ 01 ^ 10 = 06.
  WriteFile(root / "update/larkwatch.exe", std::string("MZ\x00\x01\x10", 5));
  WriteFile(root / "update/version.txt", "0.2.0\r\n");

  WriteFile(root / "dialparams/Poland.txt", "number=0202122\r\nuser=lark\r\npassword=watch\r\n");
  WriteFile(root / "dialparams/default.txt", "# any other country\nnumber=0209999\nuser=guest\n");
  WriteFile(root / "dialparams/Czech Republic.txt", "password=heslo\n number =420\n");
  // A number holding "user" would hide the user from the clients: it is left out.
  WriteFile(root / "dialparams/Trap.txt", "number=user1\nuser=passwordless\npassword=x\n");

  // 7A = 122; no description or version file.
  WriteFile(root / "addons/Zeta.dll", "z");
  // Byte checksum 01 ^ 02 ^ 03 ^ 04 ^ 05 = 01; extension checksum 05060400 = 84280320.
  WriteFile(root / "addons/Tools/Ping.dll", "\x01\x02\x03\x04\x05");
  WriteFile(root / "addons/Tools/Ping.txt", "Checks the version and crc of a line\r\nnot this");
  WriteFile(root / "addons/Tools/Ping.ver", "2.1\n");
  // Byte checksum 0; extension checksum FF00FF00, as a signed number -16711936.
  WriteFile(root / "addons/Tools/Stats.dll", "\xFF\xFF\xFF\xFF");
  WriteFile(root / "addons/Tools/Stats.txt", "Line statistics");
  // Byte checksum 01 ^ 0D = 0C = 12; extension checksum 00010100 = 65792.
  WriteFile(root / "addons/Tools/Net/Trace.dll", "\x01\r");
  WriteFile(root / "addons/Tools/Net/Trace.txt", "Route tracing");
  WriteFile(root / "addons/Tools/Net/Trace.ver", "0.9");
  // A second Stats, deeper: the walk finds the one in Tools first.
  WriteFile(root / "addons/Tools/Net/Stats.dll", "other");
  // Left out: names or texts the clients could not be told correctly.
  WriteFile(root / "addons/Tools/Bad&Name.dll", "b");
  WriteFile(root / "addons/Tools/Eq.dll", "e");
  WriteFile(root / "addons/Tools/Eq.txt", "a=b");
  WriteFile(root / "addons/Tools/LongVer.dll", "l");
  WriteFile(root / "addons/Tools/LongVer.ver", "1.2.3.4.5.6");
  WriteFile(root / "addons/Tools/DescVer.dll", "d");
  WriteFile(root / "addons/Tools/DescVer.ver", "1desc");
  WriteFile(root / "addons/Tools/SigVer.dll", "g");
  WriteFile(root / "addons/Tools/SigVer.ver", "2sig");
  fs::create_directories(root / "addons/Tools/Gitems");
  fs::create_directories(root / "addons/Tools/Pipe|Dir");
  // Not entries at all.
  fs::create_directories(root / "addons/Tools/.hidden");
  WriteFile(root / "addons/Tools/.Secret.dll", "s");
  WriteFile(root / "addons/Tools/readme.txt", "r");

  fs::create_directories(root / "addons/Empty");
  fs::create_directories(root / "addons/Only/Sub");
}

std::string KeysDir() { return LW_TEST_KEYS; }

struct Reply {
  int status = 0;
  std::string content;
};

class RouterRig {
 public:
  RouterRig() {
    MakeContent(dir_.path());
    std::string error;
    signer_ = UpdateSigner::FromPemFile(KeysDir() + "/update-test-private.pem", &error);
    EXPECT_TRUE(signer_) << error;
    facts_ = std::make_unique<FileFacts>(*signer_);
    router_ = std::make_unique<Router>(content_, *facts_);
  }

  // One request as a client sends it, and the answer as a client cuts it out.
  Reply Ask(std::string_view path, const std::string& body, std::string_view method = "POST") {
    const std::string request =
        std::string(method) + " " + std::string(path) +
        " HTTP/1.1\r\nConnection: Close\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\n\r\n" + body;
    const RoutedAnswer routed = router_->Route(ParseRequest(request));
    StringSink sink;
    const SentAnswer sent = SendAnswer(routed.answer, sink);
    return {sent.status, CutFirstChunk(sink.bytes, true).content};
  }

  const fs::path& root() const { return dir_.path(); }
  FileFacts& facts() { return *facts_; }
  std::vector<std::string> logged() {
    const std::lock_guard lock(log_mutex_);
    return logged_;
  }

 private:
  test::TempDir dir_;
  std::mutex log_mutex_;
  std::vector<std::string> logged_;
  ContentFolder content_{dir_.path(), [this](std::string_view line) {
                           const std::lock_guard lock(log_mutex_);
                           logged_.emplace_back(line);
                         }};
  std::unique_ptr<UpdateSigner> signer_;
  std::unique_ptr<FileFacts> facts_;
  std::unique_ptr<Router> router_;
};

struct RouteCase {
  const char* name;
  std::string_view path;
  std::string body;
  int status;
  std::string content;
};

void PrintTo(const RouteCase& c, std::ostream* os) { *os << c.name; }

class ServerRouteTableTest : public ::testing::TestWithParam<RouteCase> {
 protected:
  RouterRig rig_;
};

// A signature is new at every signing (ECDSA takes a random number): the text with the value
// of its "sig" key shown as "S" when that value is 128 lower-case hexadecimal characters up to
// the next key or the end. Signatures are checked against the key in signer_test.cpp.
std::string WithoutSignature(const std::string& text) {
  constexpr std::string_view kKey = "sig=";
  constexpr std::size_t kLength = 128;
  const std::size_t at = text.find(kKey);
  if (at == std::string::npos) return text;
  const std::size_t start = at + kKey.size();
  const std::string value = text.substr(start, kLength);
  const std::size_t end = start + value.size();
  if (value.size() != kLength || value.find_first_not_of("0123456789abcdef") != std::string::npos ||
      (end < text.size() && text[end] != '&')) {
    return text;
  }
  return text.substr(0, start) + "S" + text.substr(end);
}

TEST(ServerSignatureMaskTest, OnlyAWholeSignatureIsMasked) {
  const std::string hex(128, 'a');
  EXPECT_EQ(WithoutSignature("ver=1&sig=" + hex + "&desc=d"), "ver=1&sig=S&desc=d");
  EXPECT_EQ(WithoutSignature("ver=old&sig=" + hex), "ver=old&sig=S");
  EXPECT_EQ(WithoutSignature("sig=" + hex.substr(1) + "&desc=d"),
            "sig=" + hex.substr(1) + "&desc=d");
  EXPECT_EQ(WithoutSignature("sig=" + hex + "0"), "sig=" + hex + "0");
  EXPECT_EQ(WithoutSignature("sig=" + std::string(128, 'A')), "sig=" + std::string(128, 'A'));
  EXPECT_EQ(WithoutSignature("status=n"), "status=n");
}

TEST_P(ServerRouteTableTest, AnswersExactly) {
  const RouteCase& c = GetParam();
  const Reply reply = rig_.Ask(c.path, c.body);
  EXPECT_EQ(reply.status, c.status);
  EXPECT_EQ(WithoutSignature(reply.content), c.content);
}

constexpr std::string_view kUpdate = "/lwupd.php";
constexpr std::string_view kAddons = "/addons.php";
const std::string kBadName = "error=bad name";

// A literal with the zero bytes inside it.
template <std::size_t N>
std::string Raw(const char (&bytes)[N]) {
  return std::string(bytes, N - 1);
}

INSTANTIATE_TEST_SUITE_P(
    ServerRoute, ServerRouteTableTest,
    ::testing::Values(
        // Dial parameters.
        RouteCase{"DialParametersOfTheCountry", kUpdate, "give=dialparams&country=Poland", 200,
                  "number=0202122&user=lark&password=watch"},
        RouteCase{"DialParametersOfAnyOtherCountry", kUpdate, "give=dialparams&country=France", 200,
                  "number=0209999&user=guest"},
        RouteCase{"DialParametersOfACountryWithABlank", kUpdate,
                  "give=dialparams&country=Czech Republic", 200, "number=420&password=heslo"},
        RouteCase{"DialParametersWithoutACountry", kUpdate, "give=dialparams", 200,
                  "number=0209999&user=guest"},
        RouteCase{"DialParametersOfAnEmptyCountry", kUpdate, "give=dialparams&country=", 200,
                  "number=0209999&user=guest"},
        RouteCase{"DialParameterValuesThatWouldHideALaterKeyAreLeftOut", kUpdate,
                  "give=dialparams&country=Trap", 200, "password=x"},
        // Updates.
        RouteCase{"TheSameVersionIsCurrent", kUpdate,
                  "give=info&name=larkwatch&ver=0.2.0&country=Poland&language=Poland", 200,
                  "ver=current"},
        RouteCase{"ANewerVersionIsCurrent", kUpdate, "give=info&name=larkwatch&ver=0.10", 200,
                  "ver=current"},
        RouteCase{"AShorterEqualVersionIsCurrent", kUpdate, "give=info&name=larkwatch&ver=0.2", 200,
                  "ver=current"},
        RouteCase{"TheWholeInstaller", kUpdate, "give=file&name=larkwatch&country=Poland", 200,
                  Raw("MZ\x00\x01\x10")},
        RouteCase{"ResumeZero", kUpdate, "give=file&name=larkwatch&resume=0", 200,
                  Raw("MZ\x00\x01\x10")},
        RouteCase{"ResumeInTheMiddle", kUpdate, "give=file&name=larkwatch&resume=2", 200,
                  Raw("\x00\x01\x10")},
        RouteCase{"ResumeAtTheLastByte", kUpdate, "give=file&name=larkwatch&resume=4", 200, "\x10"},
        RouteCase{"ResumeAtTheEnd", kUpdate, "give=file&name=larkwatch&resume=5", 200, ""},
        RouteCase{"ResumeBeyondTheEnd", kUpdate, "give=file&name=larkwatch&resume=6", 200, ""},
        RouteCase{"ResumeBeyond64Bits", kUpdate,
                  "give=file&name=larkwatch&resume=99999999999999999999999", 200, ""},
        RouteCase{"ResumeNotANumberIsZero", kUpdate, "give=file&name=larkwatch&resume=abc", 200,
                  Raw("MZ\x00\x01\x10")},
        RouteCase{"ResumeNegativeIsZero", kUpdate, "give=file&name=larkwatch&resume=-1", 200,
                  Raw("MZ\x00\x01\x10")},
        RouteCase{"ResumeWithLettersIsZero", kUpdate, "give=file&name=larkwatch&resume=2x", 200,
                  Raw("MZ\x00\x01\x10")},
        RouteCase{"ResumeEmptyIsZero", kUpdate, "give=file&name=larkwatch&resume=", 200,
                  Raw("MZ\x00\x01\x10")},
        // The catalogue.
        RouteCase{"TheRootFolder", kAddons, "give=ext_list&path=LarkWatch&language=Poland", 200,
                  "folders=Empty\nOnly\nTools&items=Zeta|Zeta"},
        RouteCase{"AFolderWithBoth", kAddons, "give=ext_list&path=LarkWatch\\Tools&language=Poland",
                  200,
                  "folders=Net&items=Checks the version and crc of a line|Ping\nLine "
                  "statistics|Stats"},
        RouteCase{"OnlyItems", kAddons, "give=ext_list&path=LarkWatch\\Tools\\Net", 200,
                  "folders=&items=Stats|Stats\nRoute tracing|Trace"},
        RouteCase{"OnlyFolders", kAddons, "give=ext_list&path=LarkWatch\\Only", 200,
                  "folders=Sub&items="},
        RouteCase{"AnEmptyFolder", kAddons, "give=ext_list&path=LarkWatch\\Empty", 200, ""},
        RouteCase{"AMissingFolder", kAddons, "give=ext_list&path=LarkWatch\\Missing", 200, ""},
        RouteCase{"ALeftOutFolder", kAddons, "give=ext_list&path=LarkWatch\\Tools\\Gitems", 200,
                  ""},
        RouteCase{"TheRootNameWithoutRegardToCaseAndATrailingBackslash", kAddons,
                  "give=ext_list&path=LARKWATCH\\Tools\\Net\\", 200,
                  "folders=&items=Stats|Stats\nRoute tracing|Trace"},
        RouteCase{"NotTheCatalogue", kAddons, "give=ext_list&path=Other\\Tools", 200, ""},
        RouteCase{"NoPath", kAddons, "give=ext_list", 200, ""},
        RouteCase{"LibraryInfo", kAddons, "give=info&ext=Ping&language=Poland", 200,
                  "status=a&crc=1&ver=2.1&sig=S&desc=Checks the version and crc of a line"},
        RouteCase{"LibraryInfoWithoutRegardToCase", kAddons, "give=info&ext=pInG", 200,
                  "status=a&crc=1&ver=2.1&sig=S&desc=Checks the version and crc of a line"},
        RouteCase{"LibraryWithoutDescriptionOrVersion", kAddons, "give=info&ext=Zeta", 200,
                  "status=a&crc=122&ver=1.0&sig=S&desc=Zeta"},
        RouteCase{"TheFirstOfTwoLibrariesOfAName", kAddons, "give=info&ext=Stats", 200,
                  "status=a&crc=0&ver=1.0&sig=S&desc=Line statistics"},
        RouteCase{"ALibraryDeeperDown", kAddons, "give=info&ext=trace", 200,
                  "status=a&crc=12&ver=0.9&sig=S&desc=Route tracing"},
        RouteCase{"AnUnknownLibrary", kAddons, "give=info&ext=Nope", 200, "status=n"},
        RouteCase{"ALeftOutLibrary", kAddons, "give=info&ext=Eq", 200, "status=n"},
        RouteCase{"ALibraryWhoseVersionHoldsTheSignaturesKeyIsLeftOut", kAddons,
                  "give=info&ext=SigVer", 200, "status=n"},
        RouteCase{"NoLibraryName", kAddons, "give=info", 200, "status=n"},
        RouteCase{"LibraryFile", kAddons, "give=file&name=Ping&language=Poland&resume=1", 200,
                  "\x02\x03\x04\x05"},
        RouteCase{"LibraryFileWholeWithoutRegardToCase", kAddons, "give=file&name=ping", 200,
                  "\x01\x02\x03\x04\x05"},
        RouteCase{"LibraryFileBeyondTheEnd", kAddons, "give=file&name=Ping&resume=5", 200, ""},
        RouteCase{"UnknownLibraryFile", kAddons, "give=file&name=Nope", 404,
                  "error=no such add-on"},
        RouteCase{"Registration", kAddons, "give=regno&ext=Ping&language=Poland", 200,
                  "regno=84280320"},
        RouteCase{"RegistrationAboveTwoToThe31IsNegative", kAddons, "give=regno&ext=Stats", 200,
                  "regno=-16711936"},
        RouteCase{"RegistrationDeeperDown", kAddons, "give=regno&ext=Trace", 200, "regno=65792"},
        RouteCase{"RegistrationOfAnUnknownLibrary", kAddons, "give=regno&ext=Nope", 200, "regno=0"},
        // What is not asked right.
        RouteCase{"UnknownUpdateGive", kUpdate, "give=ext_list", 400, "error=unknown give"},
        RouteCase{"UnknownAddonsGive", kAddons, "give=dialparams&country=Poland", 400,
                  "error=unknown give"},
        RouteCase{"NoGive", kUpdate, "country=Poland", 400, "error=unknown give"},
        RouteCase{"UnknownPath", "/index.php", "give=info", 404, "error=not found"},
        RouteCase{"PathsAreExact", "/LWUPD.PHP", "give=info", 404, "error=not found"}),
    [](const ::testing::TestParamInfo<RouteCase>& info) { return std::string(info.param.name); });

// Names that try to leave the content folder: a clean refusal or nothing found, never a file
// from elsewhere.
INSTANTIATE_TEST_SUITE_P(
    ServerEscape, ServerRouteTableTest,
    ::testing::Values(
        RouteCase{"CountryUp", kUpdate, "give=dialparams&country=../update/version", 400, kBadName},
        RouteCase{"CountryDotDot", kUpdate, "give=dialparams&country=..", 400, kBadName},
        RouteCase{"CountryAbsolute", kUpdate, "give=dialparams&country=/etc/passwd", 400, kBadName},
        RouteCase{"CountryBackslashes", kUpdate, "give=dialparams&country=\\..\\..\\x", 400,
                  kBadName},
        RouteCase{"CountryHidden", kUpdate, "give=dialparams&country=.Poland", 400, kBadName},
        RouteCase{"CountryWithNul", kUpdate, Raw("give=dialparams&country=Poland\0.exe"), 400,
                  kBadName},
        RouteCase{"CountryWithLineEnd", kUpdate, "give=dialparams&country=Pol\nand", 400, kBadName},
        RouteCase{"CountryTooLong", kUpdate, "give=dialparams&country=" + std::string(256, 'P'),
                  400, kBadName},
        RouteCase{"CountryOfTheLongestLengthIsJustAnotherCountry", kUpdate,
                  "give=dialparams&country=" + std::string(255, 'P'), 200,
                  "number=0209999&user=guest"},
        RouteCase{"CataloguePathUp", kAddons, "give=ext_list&path=LarkWatch\\..\\..\\etc", 400,
                  kBadName},
        RouteCase{"CataloguePathWithSlashes", kAddons, "give=ext_list&path=LarkWatch\\Tools/../..",
                  400, kBadName},
        RouteCase{"CataloguePathAbsolute", kAddons, "give=ext_list&path=LarkWatch\\/etc", 400,
                  kBadName},
        RouteCase{"CataloguePathHidden", kAddons, "give=ext_list&path=LarkWatch\\Tools\\.hidden",
                  400, kBadName},
        RouteCase{"CataloguePathWithNul", kAddons, Raw("give=ext_list&path=LarkWatch\\Tools\0x"),
                  400, kBadName},
        RouteCase{"CataloguePathOutsideTheRootName", kAddons, "give=ext_list&path=..\\update", 200,
                  ""},
        RouteCase{"LibraryInfoUp", kAddons, "give=info&ext=../update/larkwatch", 200, "status=n"},
        RouteCase{"LibraryInfoBackslashUp", kAddons, "give=info&ext=..\\..\\Zeta", 200, "status=n"},
        RouteCase{"LibraryInfoHidden", kAddons, "give=info&ext=.Secret", 200, "status=n"},
        RouteCase{"LibraryFileUp", kAddons, "give=file&name=../../update/larkwatch", 404,
                  "error=no such add-on"},
        RouteCase{"LibraryFileWithItsSuffix", kAddons, "give=file&name=Ping.dll", 404,
                  "error=no such add-on"},
        RouteCase{"RegistrationUp", kAddons, "give=regno&ext=../Tools/Ping", 200, "regno=0"}),
    [](const ::testing::TestParamInfo<RouteCase>& info) { return std::string(info.param.name); });

class ServerRouterTest : public ::testing::Test {
 protected:
  RouterRig rig_;
};

TEST_F(ServerRouterTest, AnOlderClientIsOfferedTheUpdate) {
  for (const char* version : {"ver=0.1.0", "ver=0.1.99", "ver=", "ver=abc", "x=1"}) {
    const std::string body =
        "give=info&name=larkwatch&" + std::string(version) + "&country=Poland&language=Poland";
    const Reply reply = rig_.Ask(kUpdate, body);
    EXPECT_EQ(reply.status, 200);
    const std::string prefix = "ver=old&crc=6&new=0.2.0&sig=";
    ASSERT_EQ(reply.content.substr(0, prefix.size()), prefix) << version;
    const std::string signature = reply.content.substr(prefix.size());
    EXPECT_EQ(signature.size(), 128u);
    EXPECT_EQ(signature.find_first_not_of("0123456789abcdef"), std::string::npos);
  }
}

TEST_F(ServerRouterTest, TheClientsLookupFindsEveryValueOfTheUpdateInfo) {
  const std::string text = rig_.Ask(kUpdate, "give=info&name=larkwatch&ver=0.1.0").content;
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "ver"), "old");
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "crc"), "6");
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "new"), "0.2.0");
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "sig")->size(), 128u);
  EXPECT_LE(text.size(), kUpdateCopy.answer_text_limit);
  EXPECT_EQ(AnswerValue(kUpdateCopy, rig_.Ask(kUpdate, "give=info&ver=0.2.0").content, "ver"),
            "current");
}

TEST_F(ServerRouterTest, TheClientsLookupFindsEveryValueOfTheDialParameters) {
  const std::string text = rig_.Ask(kUpdate, "give=dialparams&country=Poland").content;
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "number"), "0202122");
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "user"), "lark");
  EXPECT_EQ(AnswerValue(kUpdateCopy, text, "password"), "watch");
  // The trap's number and user would have hidden the keys after them; what is sent is right.
  const std::string trap = rig_.Ask(kUpdate, "give=dialparams&country=Trap").content;
  EXPECT_EQ(AnswerValue(kUpdateCopy, trap, "password"), "x");
}

TEST_F(ServerRouterTest, TheClientsLookupFindsEveryValueOfALibrarysInfo) {
  // The description holds "version" and "crc": it comes last, so the lookups before it are
  // not misled.
  const std::string text = rig_.Ask(kAddons, "give=info&ext=Ping&language=Poland").content;
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "status"), "a");
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "crc"), "1");
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "ver"), "2.1");
  const std::optional<std::string> signature = AnswerValue(kAddonsCopy, text, "sig");
  ASSERT_TRUE(signature);
  EXPECT_EQ(signature->size(), 128u);
  EXPECT_EQ(signature->find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "desc"), "Checks the version and crc of a line");
  EXPECT_LE(text.size(), kAddonsCopy.answer_text_limit);
}

TEST_F(ServerRouterTest, TheClientsLookupFindsBothKeysOfAListing) {
  const std::string text = rig_.Ask(kAddons, "give=ext_list&path=LarkWatch\\Tools").content;
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "folders"), "Net");
  EXPECT_EQ(AnswerValue(kAddonsCopy, text, "items"),
            "Checks the version and crc of a line|Ping\nLine statistics|Stats");
  const std::string regno = rig_.Ask(kAddons, "give=regno&ext=Stats").content;
  EXPECT_EQ(AnswerValue(kAddonsCopy, regno, "regno"), "-16711936");
}

TEST_F(ServerRouterTest, LeftOutEntriesAreLogged) {
  rig_.Ask(kAddons, "give=ext_list&path=LarkWatch\\Tools");
  std::string all;
  for (const std::string& line : rig_.logged()) all += line + "\n";
  for (const char* name : {"Bad&Name.dll", "Eq.dll", "LongVer.dll", "DescVer.dll", "SigVer.dll",
                           "Gitems", "Pipe|Dir"}) {
    EXPECT_NE(all.find(name), std::string::npos) << name;
  }
  EXPECT_EQ(all.find("Ping"), std::string::npos);
  EXPECT_EQ(all.find("Secret"), std::string::npos);
}

TEST_F(ServerRouterTest, OnlyPostIsAnswered) {
  const Reply reply = rig_.Ask(kUpdate, "give=dialparams", "GET");
  EXPECT_EQ(reply.status, 405);
  EXPECT_EQ(reply.content, "error=only POST is answered");
}

TEST_F(ServerRouterTest, TheContentIsReadAtEveryRequest) {
  WriteFile(rig_.root() / "dialparams/Poland.txt", "number=0700123\n");
  EXPECT_EQ(rig_.Ask(kUpdate, "give=dialparams&country=Poland").content, "number=0700123");
  fs::remove_all(rig_.root() / "dialparams");
  EXPECT_EQ(rig_.Ask(kUpdate, "give=dialparams&country=Poland").content, "");

  WriteFile(rig_.root() / "update/version.txt", "0.3\n");
  // A new installer: 4D ^ 5A ^ 07 = 10 = 16.
  WriteFile(rig_.root() / "update/larkwatch.exe", "MZ\x07");
  EXPECT_EQ(rig_.Ask(kUpdate, "give=info&ver=0.2.0").content.substr(0, 25),
            "ver=old&crc=16&new=0.3&si");
  EXPECT_EQ(rig_.Ask(kUpdate, "give=file&resume=2").content, "\x07");

  WriteFile(rig_.root() / "addons/Tools/Ping.ver", "2.2");
  EXPECT_EQ(WithoutSignature(rig_.Ask(kAddons, "give=info&ext=Ping").content),
            "status=a&crc=1&ver=2.2&sig=S&desc=Checks the version and crc of a line");
}

TEST_F(ServerRouterTest, NoUpdateIsOfferedWithoutAVersionOrAnInstaller) {
  WriteFile(rig_.root() / "update/version.txt", "0.2.0.1.2.3\n");
  EXPECT_EQ(rig_.Ask(kUpdate, "give=info&ver=0.1.0").content, "ver=current");
  ASSERT_FALSE(rig_.logged().empty());
  EXPECT_NE(rig_.logged().back().find("update/version.txt"), std::string::npos);

  fs::remove(rig_.root() / "update/version.txt");
  EXPECT_EQ(rig_.Ask(kUpdate, "give=info&ver=0.1.0").content, "ver=current");

  WriteFile(rig_.root() / "update/version.txt", "0.2.0\n");
  fs::remove(rig_.root() / "update/larkwatch.exe");
  EXPECT_EQ(rig_.Ask(kUpdate, "give=info&ver=0.1.0").content, "ver=current");
  const Reply file = rig_.Ask(kUpdate, "give=file&resume=0");
  EXPECT_EQ(file.status, 404);
  EXPECT_EQ(file.content, "error=no update");
}

TEST_F(ServerRouterTest, TheInstallerIsReadOnceUntilItChanges) {
  const std::string first = rig_.Ask(kUpdate, "give=info&ver=0.1.0").content;
  EXPECT_EQ(rig_.Ask(kUpdate, "give=info&ver=0.1.0").content, first);
  EXPECT_EQ(rig_.facts().reads(), 1);
  WriteFile(rig_.root() / "update/larkwatch.exe", "MZ\x07");
  EXPECT_NE(rig_.Ask(kUpdate, "give=info&ver=0.1.0").content, first);
  EXPECT_EQ(rig_.facts().reads(), 2);
}

TEST_F(ServerRouterTest, ALibraryIsReadOnceUntilItChanges) {
  const std::string first = rig_.Ask(kAddons, "give=info&ext=Ping").content;
  EXPECT_EQ(rig_.Ask(kAddons, "give=info&ext=ping").content, first);
  EXPECT_EQ(rig_.facts().reads(), 1);
  // A new library: 01 ^ 02 = 03.
  WriteFile(rig_.root() / "addons/Tools/Ping.dll", "\x01\x02");
  const std::string second = rig_.Ask(kAddons, "give=info&ext=Ping").content;
  EXPECT_NE(second, first);
  EXPECT_EQ(WithoutSignature(second),
            "status=a&crc=3&ver=2.1&sig=S&desc=Checks the version and crc of a line");
  EXPECT_EQ(rig_.facts().reads(), 2);
}

TEST_F(ServerRouterTest, ARequestThatCouldNotBeReadIsAnsweredWithItsError) {
  const ContentFolder content(rig_.root(), [](std::string_view) {});
  const Router router(content, rig_.facts());
  const RoutedAnswer routed = router.Route(ParseRequest("POST /lwupd.php HTTP/1.1\r\n\r\n"));
  EXPECT_EQ(routed.answer.status, 411);
  EXPECT_EQ(routed.answer.text, "error=Content-Length required");
}

TEST(ServerResumeTest, ReadsADecimalOffset) {
  EXPECT_EQ(ResumeOffset(ParseForm("resume=1234")), 1234u);
  EXPECT_EQ(ResumeOffset(ParseForm("resume=007")), 7u);
  EXPECT_EQ(ResumeOffset(ParseForm("give=file")), 0u);
  EXPECT_EQ(ResumeOffset(ParseForm("resume=0x10")), 0u);
  EXPECT_EQ(ResumeOffset(ParseForm("resume= 5")), 0u);
  EXPECT_EQ(ResumeOffset(ParseForm("resume=99999999999999999999")), UINT64_MAX);
}

}  // namespace
}  // namespace lw::server
