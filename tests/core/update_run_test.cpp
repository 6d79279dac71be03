#include "net/update_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fakes/fake_downloads.h"
#include "fakes/fake_ports.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_service.h"
#include "fakes/temp_dir.h"
#include "net/file_answer_spool.h"

namespace lw {
namespace {

using test::ReadFile;
using test::RecordingSignature;
using test::WriteFile;
using test::Xor;

// Keeps what it was asked to start, as it was at that moment.
class RecordingStarter : public ProgramStarter {
 public:
  void StartMinimised(const std::filesystem::path& program) override {
    started.push_back(program);
    started_bytes.push_back(ReadFile(program));
  }
  std::vector<std::filesystem::path> started;
  std::vector<std::string> started_bytes;
};

const std::string kSignatureHex = std::string(64, 'a') + std::string(64, '0');

// A service offering version 0.2.0 of an installer of 200000 bytes, with dial parameters.
class UpdateRunTest : public ::testing::Test, protected test::OnlineRig {
 protected:
  UpdateRunTest() {
    installer.resize(200000);
    for (std::size_t i = 0; i < installer.size(); ++i) {
      installer[i] = static_cast<char>((i * 31) ^ (i >> 8));
    }
    service.handler = [this](const std::string& body) { return Serve(body); };
  }

  test::FakeService::Reply Serve(const std::string& body) {
    const std::string give = test::FormField(body, "give");
    if (give == "dialparams") return {dial_params};
    if (give == "info") return {info};
    const std::size_t resume = std::stoul(test::FormField(body, "resume"));
    return {installer.substr(std::min(resume, installer.size())), arrive};
  }

  UpdateRun::Outcome Run(std::string version = "0.1.0") {
    UpdateRun run(UpdatePorts{Ports(), starter},
                  UpdateIdentity{std::move(version), "Poland", "Poland"}, dir.path(),
                  [this] { return stop; });
    return run.Execute();
  }

  std::filesystem::path Part() const { return dir.path() / "lwupd.dat"; }
  std::filesystem::path Marker() const { return dir.path() / "lwupdv.dat"; }
  std::optional<std::string> Stored(std::string_view name) const {
    return registry.GetString(Hive::CurrentUser, kSettingsKey, name);
  }

  std::string installer;
  std::string dial_params = "number=0202122&user=lark&password=watch";
  std::string info;

  RecordingStarter starter;

  void Offer(const std::string& version = "0.2.0") {
    info = "ver=old&crc=" + std::to_string(Xor(installer)) + "&new=" + version +
           "&sig=" + kSignatureHex;
  }
};

TEST_F(UpdateRunTest, StoresDialParamsThenDownloadsVerifiesAndStartsTheNewVersion) {
  Offer();
  EXPECT_EQ(Run(), UpdateRun::Outcome::kStarted);

  EXPECT_EQ(Stored("LWNo"), "0202122");
  EXPECT_EQ(Stored("LWUser"), "lark");
  EXPECT_EQ(Stored("LWPass"), "watch");
  EXPECT_EQ(service.bodies,
            (std::vector<std::string>{
                "give=dialparams&country=Poland",
                "give=info&name=larkwatch&ver=0.1.0&country=Poland&language=Poland",
                "give=file&name=larkwatch&country=Poland&language=Poland&version=0.2.0&resume=0"}));
  ASSERT_EQ(notifier.notices.size(), 1u);
  EXPECT_EQ(notifier.notices[0].image, 9);
  EXPECT_EQ(notifier.notices[0].text,
            "Jest nowa wersja (0.2.0) LarkWatch dostępna na stronie http://www.larkwatch.pl\r\n"
            "Pobieram nową wersję w celu zapewnienia lepszej ochrony komputera...");
  ASSERT_EQ(signature.signatures.size(), 1u);
  EXPECT_EQ(signature.signatures[0], std::string(32, '\xaa') + std::string(32, '\0'));
  EXPECT_EQ(starter.started, (std::vector<std::filesystem::path>{Part()}));
  EXPECT_TRUE(starter.started_bytes[0] == installer);
  EXPECT_FALSE(std::filesystem::exists(Marker()));
  EXPECT_EQ(service.connects, service.closes);
  EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

TEST_F(UpdateRunTest, AnAnswerWithoutAnUpdateEndsTheRunAfterTheDialParams) {
  for (const char* answer : {"ver=new&crc=1&new=0.2.0", "ver=&new=0.2.0", "", "x=1",
                             "ver=old&crc=1", "ver=old&crc=1&new=", "ver=olden&new=1"}) {
    SCOPED_TRACE(answer);
    info = answer;
    service.bodies.clear();
    EXPECT_EQ(Run(), UpdateRun::Outcome::kNoUpdate);
    EXPECT_EQ(service.bodies.size(), 2u);
    EXPECT_EQ(Stored("LWNo"), "0202122");
    EXPECT_TRUE(notifier.notices.empty());
    EXPECT_FALSE(std::filesystem::exists(Part()));
  }
}

TEST_F(UpdateRunTest, KeysTheDialParamAnswerLacksAreStoredEmpty) {
  registry.PutString(Hive::CurrentUser, kSettingsKey, "LWPass", "old");
  dial_params = "number=0202122&user=lark";
  Run();
  EXPECT_EQ(Stored("LWNo"), "0202122");
  EXPECT_EQ(Stored("LWPass"), "");

  dial_params = "";
  Run();
  EXPECT_EQ(Stored("LWNo"), "");
  EXPECT_EQ(Stored("LWUser"), "");
}

TEST_F(UpdateRunTest, NoAnswerEndsTheRunQuietlyAndKeepsStoredDialParams) {
  registry.PutString(Hive::CurrentUser, kSettingsKey, "LWNo", "0202122");
  service.refuse_from = 0;
  EXPECT_EQ(Run(), UpdateRun::Outcome::kNoAnswer);
  EXPECT_EQ(service.closes, 1);  // the socket of the failed attempt is released

  // An answer that stops coming runs into the time limit: a failed receive, not an empty answer.
  service.refuse_from = 1 << 30;
  service.handler = [](const std::string&) { return test::FakeService::Reply{"number=1", 3}; };
  EXPECT_EQ(Run(), UpdateRun::Outcome::kNoAnswer);
  EXPECT_EQ(Stored("LWNo"), "0202122");
  EXPECT_TRUE(notifier.notices.empty());
  EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

TEST_F(UpdateRunTest, AnUnopenableKeyStoresNothingAndTheRunGoesOn) {
  registry.SetUnopenable(Hive::CurrentUser, kSettingsKey);
  Offer();
  EXPECT_EQ(Run(), UpdateRun::Outcome::kStarted);
  EXPECT_EQ(Stored("LWNo"), std::nullopt);
}

TEST_F(UpdateRunTest, AnInterruptedDownloadIsResumedByTheNextRunOfferedTheSameVersion) {
  Offer();
  arrive = 70000;
  service.on_silence = [this] { stop = true; };
  EXPECT_EQ(Run(), UpdateRun::Outcome::kStopped);
  EXPECT_EQ(ReadFile(Part()), installer.substr(0, 70000));
  EXPECT_EQ(ReadFile(Marker()), std::string("0.2.0\0\0\0\0\0", 10));
  EXPECT_TRUE(starter.started.empty());

  stop = false;
  arrive = std::string::npos;
  service.bodies.clear();
  EXPECT_EQ(Run(), UpdateRun::Outcome::kStarted);
  ASSERT_EQ(service.bodies.size(), 3u);
  EXPECT_EQ(test::FormField(service.bodies[2], "resume"), "70000");
  EXPECT_TRUE(ReadFile(Part()) == installer);
}

TEST_F(UpdateRunTest, ADifferentVersionStartsTheDownloadAfresh) {
  Offer("0.1.5");
  arrive = 70000;
  service.on_silence = [this] { stop = true; };
  EXPECT_EQ(Run(), UpdateRun::Outcome::kStopped);
  ASSERT_TRUE(std::filesystem::exists(Part()));

  stop = false;
  arrive = std::string::npos;
  service.bodies.clear();
  Offer("0.2.0");
  EXPECT_EQ(Run(), UpdateRun::Outcome::kStarted);
  EXPECT_EQ(test::FormField(service.bodies[2], "resume"), "0");
  EXPECT_TRUE(ReadFile(Part()) == installer);
}

TEST_F(UpdateRunTest, ADownloadThatFailsItsChecksIsDeletedAndNothingStarts) {
  struct Case {
    const char* name;
    std::string info;
    bool signature_valid;
  };
  const std::string crc = std::to_string(Xor(installer));
  const std::string wrong_crc = std::to_string(Xor(installer) ^ 1);
  for (const Case& c : {
           Case{"wrong checksum", "ver=old&crc=" + wrong_crc + "&new=0.2.0&sig=" + kSignatureHex,
                true},
           Case{"wrong signature", "ver=old&crc=" + crc + "&new=0.2.0&sig=" + kSignatureHex, false},
           Case{"no signature", "ver=old&crc=" + crc + "&new=0.2.0", true},
           Case{"short signature", "ver=old&crc=" + crc + "&new=0.2.0&sig=abcd", true},
           Case{"signature not hex",
                "ver=old&crc=" + crc + "&new=0.2.0&sig=" + std::string(128, 'g'), true},
       }) {
    SCOPED_TRACE(c.name);
    info = c.info;
    signature.valid = c.signature_valid;
    // A marker left by an earlier interrupted download goes as well.
    std::ofstream(Marker(), std::ios::binary) << std::string("0.1.9\0\0\0\0\0", 10);
    EXPECT_EQ(Run(), UpdateRun::Outcome::kDiscarded);
    EXPECT_FALSE(std::filesystem::exists(Part()));
    EXPECT_FALSE(std::filesystem::exists(Marker()));
    EXPECT_TRUE(starter.started.empty());
  }
}

TEST_F(UpdateRunTest, AStopBeforeTheDownloadSendsNoDownloadRequest) {
  Offer();
  service.handler = [this](const std::string& body) {
    if (test::FormField(body, "give") == "info") stop = true;
    return Serve(body);
  };
  EXPECT_EQ(Run(), UpdateRun::Outcome::kStopped);
  EXPECT_EQ(service.bodies.size(), 2u);
  EXPECT_EQ(notifier.notices.size(), 1u);
}

TEST_F(UpdateRunTest, APartFileThatCannotBeWrittenEndsTheRunBeforeTheDownload) {
  Offer();
  std::filesystem::create_directory(Part());
  EXPECT_EQ(Run(), UpdateRun::Outcome::kCannotStore);
  EXPECT_EQ(service.bodies.size(), 2u);
  EXPECT_TRUE(starter.started.empty());
}

TEST(Download, AReceiveThatFailsMidwayAppendsNothingAndLeavesTheMarker) {
  test::TempDir dir;
  test::TempDir temp;
  test::FakeClock clock;
  test::FakeService service(clock);
  service.handler = [](const std::string&) {
    return test::FakeService::Reply{std::string(300000, 'n'), 200000, /*then_break=*/true};
  };
  FileAnswerSpool spool(temp.path());
  FormPostClient client(kUpdateCopy, service, spool, clock, [] { return false; });
  const PartialDownload files{dir.path() / "part.dat", dir.path() / "marker.dat"};
  std::ofstream(files.part, std::ios::binary) << "earlier";
  ResumePoint resume;
  resume.offset = 7;
  resume.marker = {'1', '.', '0'};
  ASSERT_TRUE(client.ConnectToServer());
  client.PostForm(kUpdatePath, "give=file");
  EXPECT_TRUE(ReceiveInto(client, files, resume));
  EXPECT_EQ(ReadFile(files.part), "earlier");
  EXPECT_EQ(ReadFile(files.marker), std::string("1.0\0\0\0\0\0\0\0", 10));
  EXPECT_EQ(service.closes, 1);
  EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

TEST(UpdateSignature, ReadsExactly128HexadecimalDigits) {
  EXPECT_EQ(SignatureBytes(std::string(126, '0') + "fF"), std::string(63, '\0') + "\xff");
  EXPECT_EQ(SignatureBytes(std::string(127, '0')), std::nullopt);
  EXPECT_EQ(SignatureBytes(std::string(130, '0')), std::nullopt);
  EXPECT_EQ(SignatureBytes(std::string(127, '0') + "x"), std::nullopt);
  EXPECT_EQ(SignatureBytes(""), std::nullopt);
}

}  // namespace
}  // namespace lw
