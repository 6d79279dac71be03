#include "net/addons_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
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

const std::string kSignatureHex = std::string(64, 'b') + std::string(64, '1');

// ---- todolist.txt and the answers ----

TEST(AddonsTodoList, NamesAreReadWordByWord) {
  EXPECT_EQ(TodoNames("alpha\r\nbeta\r\n"), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_EQ(TodoNames("  alpha beta\tgamma\n\ndelta"),
            (std::vector<std::string>{"alpha", "beta", "gamma", "delta"}));
  EXPECT_TRUE(TodoNames("").empty());
  EXPECT_TRUE(TodoNames("\r\n \r\n").empty());
}

TEST(AddonsTodoList, TheTextHasOneNameALineWithCrLf) {
  EXPECT_EQ(TodoText({"alpha", "", "beta"}), "alpha\r\nbeta\r\n");
  EXPECT_EQ(TodoText({}), "");
}

TEST(AddonsTodoList, AMissingFileHasNoNamesAndAWrittenOneIsReadBack) {
  test::TempDir dir;
  const std::filesystem::path file = dir.path() / "todolist.txt";
  EXPECT_TRUE(ReadTodoList(file).empty());
  ASSERT_TRUE(WriteTodoList(file, {"one", "two"}));
  EXPECT_EQ(ReadFile(file), "one\r\ntwo\r\n");
  EXPECT_EQ(ReadTodoList(file), (std::vector<std::string>{"one", "two"}));
}

TEST(AddonsTodoList, TheRewriteHoldsExactlyTheChosenItemsOfTheLoadedCatalogue) {
  test::TempDir dir;
  const std::filesystem::path file = dir.path() / "todolist.txt";
  // "older" was chosen in a folder the window has not loaded: it is not written again.
  WriteTodoList(file, {"older", "beta"});
  std::vector<CatalogueItem> root = {{"A", "alpha", true}, {"B", "beta", false}};
  std::vector<CatalogueItem> tools = {{"C", "gamma", true}, {"D", "", true}, {"E", "eps", false}};
  ASSERT_TRUE(WriteTodoList(file, ChosenNames({&root, nullptr, &tools})));
  EXPECT_EQ(ReadFile(file), "alpha\r\ngamma\r\n");
}

TEST(AddonsTodoList, ChoicesAreMarkedWithoutRegardToCase) {
  Cp1250Codec codec;
  std::vector<CatalogueItem> items = {
      {"A", "Alpha", false}, {"B", "beta", false}, {"C", codec.FromUtf8("ŻUK"), false}};
  MarkChosen(items, {"ALPHA", codec.FromUtf8("żuk"), "other"}, codec);
  EXPECT_TRUE(items[0].chosen);
  EXPECT_FALSE(items[1].chosen);
  EXPECT_TRUE(items[2].chosen);
}

TEST(AddonsCatalogueAnswer, ValuesAreCutAtLineFeedsWithoutEmptyPieces) {
  EXPECT_EQ(ValueLines("a\nb"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ValueLines("a\nb\n"), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ValueLines("a\n\nb"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(ValueLines("").empty());
}

TEST(AddonsCatalogueAnswer, FoldersAndItemsInTheOrderOfTheAnswer) {
  const CatalogueFolder folder =
      ParseCatalogue("folders=Narzedzia\nGry&items=Zegar|clock\nLicznik | rachunku|bill\nX|y");
  EXPECT_FALSE(folder.empty);
  EXPECT_EQ(folder.folders, (std::vector<std::string>{"Narzedzia", "Gry"}));
  EXPECT_EQ(folder.items, (std::vector<CatalogueItem>{{"Zegar", "clock", false},
                                                      {"Licznik | rachunku", "bill", false},
                                                      {"X", "y", false}}));
}

TEST(AddonsCatalogueAnswer, AnEmptyAnswerMeansNoChildren) {
  const CatalogueFolder folder = ParseCatalogue("");
  EXPECT_TRUE(folder.empty);
  EXPECT_TRUE(folder.folders.empty());
  EXPECT_TRUE(folder.items.empty());
}

TEST(AddonsCatalogueAnswer, AMissingKeyIsNoFolderOrItemCalledZero) {
  CatalogueFolder folder = ParseCatalogue("items=Zegar|clock");
  EXPECT_FALSE(folder.empty);
  EXPECT_TRUE(folder.folders.empty());
  ASSERT_EQ(folder.items.size(), 1u);

  folder = ParseCatalogue("folders=Gry");
  EXPECT_EQ(folder.folders, std::vector<std::string>{"Gry"});
  EXPECT_TRUE(folder.items.empty());

  // A folder that is really called "0" is still one.
  folder = ParseCatalogue("folders=0&items=");
  EXPECT_EQ(folder.folders, std::vector<std::string>{"0"});
  EXPECT_TRUE(folder.items.empty());
}

TEST(AddonsCatalogueAnswer, AnItemLineWithoutABarIsSkipped) {
  const CatalogueFolder folder = ParseCatalogue("folders=&items=no bar here\nZegar|clock\n|bare");
  EXPECT_EQ(folder.items,
            (std::vector<CatalogueItem>{{"Zegar", "clock", false}, {"", "bare", false}}));
}

TEST(AddonsCatalogueAnswer, ARegisteredChecksumIsASigned32BitNumber) {
  EXPECT_EQ(RegisteredChecksum("196864"), 196864);
  EXPECT_EQ(RegisteredChecksum("-5"), -5);
  EXPECT_EQ(RegisteredChecksum("2147483647"), 2147483647);
  EXPECT_EQ(RegisteredChecksum("2147483648"), 0);
  EXPECT_EQ(RegisteredChecksum("12x"), 0);
  EXPECT_EQ(RegisteredChecksum(""), 0);
  EXPECT_EQ(RegisteredChecksum("0"), 0);
}

// ---- the runs against the service in memory ----

struct Library {
  std::string bytes;
  std::string version = "1.0";
  std::string status = "a";
  std::string description;
  int32_t regno = 0;
  bool signed_ = true;
  // Deliberately wrong checksum in the info answer.
  bool wrong_crc = false;
};

class AddonsRunTest : public ::testing::Test, protected test::OnlineRig {
 protected:
  AddonsRunTest() {
    service.handler = [this](const std::string& body) { return Serve(body); };
  }

  test::FakeService::Reply Serve(const std::string& body) {
    const std::string give = test::FormField(body, "give");
    if (give == "ext_list") return {listings[test::FormField(body, "path")]};
    if (give == "regno") {
      const auto it = libraries.find(test::FormField(body, "ext"));
      return {"regno=" + std::to_string(it == libraries.end() ? 0 : it->second.regno)};
    }
    if (give == "info") {
      const auto it = libraries.find(test::FormField(body, "ext"));
      if (it == libraries.end()) return {"status=n"};
      const Library& library = it->second;
      std::string info = "status=" + library.status + "&crc=" +
                         std::to_string(Xor(library.bytes) ^ (library.wrong_crc ? 1 : 0)) +
                         "&ver=" + library.version;
      if (library.signed_) info += "&sig=" + kSignatureHex;
      return {info + "&desc=" + library.description};
    }
    // give=file
    const Library& library = libraries.at(test::FormField(body, "name"));
    const std::size_t resume = std::stoul(test::FormField(body, "resume"));
    return {library.bytes.substr(std::min(resume, library.bytes.size())), arrive};
  }

  AddonsRun MakeRun() {
    AddonsRun run(
        AddonsPorts{Ports(), codec}, "Poland", dir.path(), [this] { return stop; },
        [this] { ++reloads; });
    return run;
  }

  std::filesystem::path Todo() const { return dir.path() / "todolist.txt"; }
  std::filesystem::path Extension(const std::string& name) const {
    return dir.path() / "extensions" / (name + ".dll");
  }
  std::optional<uint32_t> Stored(const std::string& name) const {
    return registry.GetDword(Hive::CurrentUser, kExtensionsKey, name);
  }
  std::vector<std::string> Gives() const {
    std::vector<std::string> gives;
    for (const std::string& body : service.bodies) {
      gives.push_back(test::FormField(body, "give") + ":" + test::FormField(body, "ext") +
                      test::FormField(body, "name"));
    }
    return gives;
  }
  void AddLibrary(const std::string& name, std::size_t size, int32_t regno) {
    Library library;
    library.bytes.resize(size);
    for (std::size_t i = 0; i < size; ++i) {
      library.bytes[i] = static_cast<char>((i * 7 + name.size()) ^ (i >> 5));
    }
    library.description = "Opis " + name;
    library.regno = regno;
    libraries[name] = library;
  }

  std::map<std::string, std::string> listings;
  std::map<std::string, Library> libraries;
  int reloads = 0;

  Cp1250Codec codec;
};

TEST_F(AddonsRunTest, ABrowseFindsTheFoldersAndItemsAndMarksTheNamesOfTheList) {
  listings["LarkWatch\\Narzedzia"] =
      "folders=Sieć\nModem&items=Zegar|clock\nLicznik|Counter\nMapa|map";
  WriteFile(Todo(), "counter\r\nother\r\n");
  AddonsRun run = MakeRun();
  const CatalogueFolder folder = run.Browse("LarkWatch\\Narzedzia");

  EXPECT_EQ(service.bodies,
            std::vector<std::string>{"give=ext_list&path=LarkWatch\\Narzedzia&language=Poland"});
  EXPECT_FALSE(folder.empty);
  EXPECT_EQ(folder.folders, (std::vector<std::string>{"Sieć", "Modem"}));
  EXPECT_EQ(folder.items,
            (std::vector<CatalogueItem>{
                {"Zegar", "clock", false}, {"Licznik", "Counter", true}, {"Mapa", "map", false}}));
  // Every run makes the folders it may need.
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "extensions"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "tmp"));
  EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(AddonsRunTest, AnEmptyAnswerOrNoneMarksTheFolderEmpty) {
  AddonsRun run = MakeRun();
  EXPECT_TRUE(run.Browse("LarkWatch\\Nic").empty);
  service.refuse_from = service.connects;
  AddonsRun offline = MakeRun();
  const CatalogueFolder folder = offline.Browse("LarkWatch");
  EXPECT_TRUE(folder.empty);
  EXPECT_TRUE(offline.Finished());
}

TEST_F(AddonsRunTest, AnEmptyPathAsksNothing) {
  AddonsRun run = MakeRun();
  const CatalogueFolder folder = run.Browse("");
  EXPECT_FALSE(folder.empty);
  EXPECT_TRUE(service.bodies.empty());
}

TEST_F(AddonsRunTest, InstallsEveryNameOfTheListRegistersItAndDeletesTheList) {
  AddLibrary("clock", 70000, 196864);
  AddLibrary("map", 3000, -117507072);
  WriteFile(Todo(), "clock\r\nmap\r\n");
  AddonsRun run = MakeRun();
  const AddonsRun::InstallResult result = run.Install();

  EXPECT_EQ(result.installed, (std::vector<std::string>{"clock", "map"}));
  EXPECT_TRUE(result.pending.empty());
  EXPECT_EQ(ReadFile(Extension("clock")), libraries["clock"].bytes);
  EXPECT_EQ(ReadFile(Extension("map")), libraries["map"].bytes);
  EXPECT_EQ(Gives(), (std::vector<std::string>{"info:clock", "file:clock", "regno:clock",
                                               "info:map", "file:map", "regno:map"}));
  EXPECT_EQ(service.bodies[0], "give=info&ext=clock&language=Poland");
  EXPECT_EQ(service.bodies[1], "give=file&name=clock&language=Poland&resume=0");
  EXPECT_EQ(service.bodies[2], "give=regno&ext=clock&language=Poland");
  EXPECT_EQ(Stored("clock"), 196864u);
  EXPECT_EQ(Stored("map"), static_cast<uint32_t>(-117507072));
  EXPECT_EQ(reloads, 2);
  EXPECT_EQ(notifier.notices, (std::vector<test::Notice>{
                                  {"Pobieram nowe rozszerzenie programu:\r\nOpis clock", 9},
                                  {"Pobrałem rozszrzenie (clock)", 9},
                                  {"Pobieram nowe rozszerzenie programu:\r\nOpis map", 9},
                                  {"Pobrałem rozszrzenie (map)", 9},
                              }));
  ASSERT_EQ(signature.files.size(), 2u);
  EXPECT_EQ(signature.files[0], run.DownloadFiles("clock").part);
  EXPECT_EQ(signature.signatures[0], std::string(32, '\xbb') + std::string(32, '\x11'));
  EXPECT_FALSE(std::filesystem::exists(Todo()));
}

TEST_F(AddonsRunTest, ANameWhoseLibraryExistsIsDroppedWithoutARequest) {
  AddLibrary("map", 100, 5);
  std::filesystem::create_directory(dir.path() / "extensions");
  WriteFile(Extension("clock"), "old");
  WriteFile(Todo(), "clock map\r\n");
  AddonsRun run = MakeRun();
  const AddonsRun::InstallResult result = run.Install();
  EXPECT_EQ(result.installed, std::vector<std::string>{"map"});
  EXPECT_EQ(Gives(), (std::vector<std::string>{"info:map", "file:map", "regno:map"}));
  EXPECT_EQ(ReadFile(Extension("clock")), "old");
  EXPECT_FALSE(Stored("clock").has_value());
  EXPECT_FALSE(std::filesystem::exists(Todo()));
}

TEST_F(AddonsRunTest, NamesThatAreNotPlainAreNeitherOfferedNorInstalledNorAskedFor) {
  // A catalogue or a changed todolist.txt could name files outside "extensions" and "tmp", or
  // change the forms sent.
  listings["LarkWatch"] = "folders=&items=Zły|..\\..\\evil\nAbs|C:\\x\nDobry|good\nUkryty|.hidden";
  AddonsRun browse = MakeRun();
  const CatalogueFolder folder = browse.Browse("LarkWatch");
  EXPECT_EQ(folder.items, (std::vector<CatalogueItem>{{"Dobry", "good", false}}));

  AddLibrary("map", 100, 5);
  WriteFile(Todo(), "..\\..\\evil C:\\x /etc/x a&b map\r\n");
  service.bodies.clear();
  AddonsRun run = MakeRun();
  const AddonsRun::InstallResult result = run.Install();
  EXPECT_EQ(result.installed, std::vector<std::string>{"map"});
  EXPECT_TRUE(result.pending.empty());
  EXPECT_EQ(Gives(), (std::vector<std::string>{"info:map", "file:map", "regno:map"}));
  EXPECT_FALSE(std::filesystem::exists(Todo()));

  service.bodies.clear();
  run.RefreshChecksums({"..\\x", "map"});
  EXPECT_EQ(Gives(), std::vector<std::string>{"regno:map"});
}

TEST(AddonsName, IsPlainOnlyWithoutSeparatorsControlsAndFormCharacters) {
  for (const char* name : {"clock", "Licznik-2", "a.b",
                           "\xb3\xf3"
                           "d\xbc"}) {
    EXPECT_TRUE(IsPlainAddonName(name)) << name;
  }
  for (const char* name :
       {"", ".", "..", ".x", "a\\b", "a/b", "C:x", "a&b", "a=b", "a|b", "a b", "a\tb", "a\x7f"}) {
    EXPECT_FALSE(IsPlainAddonName(name)) << name;
  }
  EXPECT_TRUE(IsPlainAddonName(std::string(200, 'n')));
  EXPECT_FALSE(IsPlainAddonName(std::string(201, 'n')));
}

TEST_F(AddonsRunTest, OneFailureKeepsTheWholeList) {
  AddLibrary("clock", 500, 7);
  libraries["gone"].status = "n";
  WriteFile(Todo(), "gone\r\nclock\r\n");
  AddonsRun run = MakeRun();
  const AddonsRun::InstallResult result = run.Install();
  EXPECT_EQ(result.installed, std::vector<std::string>{"clock"});
  EXPECT_EQ(result.pending, std::vector<std::string>{"gone"});
  EXPECT_EQ(ReadFile(Todo()), "gone\r\nclock\r\n");
  // The refused one was not asked for its file, and no notice named it.
  EXPECT_EQ(Gives(),
            (std::vector<std::string>{"info:gone", "info:clock", "file:clock", "regno:clock"}));
  EXPECT_EQ(notifier.notices.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(Extension("gone")));

  // The next run finds clock installed and asks for gone alone.
  service.bodies.clear();
  AddonsRun again = MakeRun();
  EXPECT_EQ(again.Install().pending, std::vector<std::string>{"gone"});
  EXPECT_EQ(Gives(), std::vector<std::string>{"info:gone"});
}

TEST_F(AddonsRunTest, OnlyTheStatusAInstalls) {
  AddLibrary("clock", 500, 7);
  for (const std::string status : {"A", "n", "a ", ""}) {
    libraries["clock"].status = status;
    service.bodies.clear();
    WriteFile(Todo(), "clock\r\n");
    AddonsRun run = MakeRun();
    EXPECT_EQ(run.Install().pending, std::vector<std::string>{"clock"}) << status;
    EXPECT_EQ(Gives(), std::vector<std::string>{"info:clock"}) << status;
  }
  EXPECT_TRUE(notifier.notices.empty());
  EXPECT_FALSE(std::filesystem::exists(Extension("clock")));
}

TEST_F(AddonsRunTest, NoAnswerLeavesTheNamePending) {
  AddLibrary("clock", 500, 7);
  WriteFile(Todo(), "clock\r\n");
  service.refuse_from = 0;
  AddonsRun run = MakeRun();
  EXPECT_EQ(run.Install().pending, std::vector<std::string>{"clock"});
  EXPECT_TRUE(run.Finished());
  EXPECT_TRUE(std::filesystem::exists(Todo()));
  EXPECT_FALSE(Stored("clock").has_value());
}

TEST_F(AddonsRunTest, AWrongChecksumDeletesTheDownloadAndKeepsTheNamePending) {
  AddLibrary("clock", 500, 7);
  libraries["clock"].wrong_crc = true;
  WriteFile(Todo(), "clock\r\n");
  AddonsRun run = MakeRun();
  EXPECT_EQ(run.Install().pending, std::vector<std::string>{"clock"});
  EXPECT_FALSE(std::filesystem::exists(run.DownloadFiles("clock").part));
  EXPECT_FALSE(std::filesystem::exists(run.DownloadFiles("clock").marker));
  EXPECT_FALSE(std::filesystem::exists(Extension("clock")));
  EXPECT_TRUE(signature.files.empty());
  EXPECT_FALSE(Stored("clock").has_value());
  EXPECT_EQ(reloads, 0);
  EXPECT_TRUE(std::filesystem::exists(Todo()));
}

TEST_F(AddonsRunTest, AWrongSignatureIsTreatedLikeAWrongChecksum) {
  AddLibrary("clock", 500, 7);
  signature.valid = false;
  WriteFile(Todo(), "clock\r\n");
  AddonsRun run = MakeRun();
  EXPECT_EQ(run.Install().pending, std::vector<std::string>{"clock"});
  EXPECT_EQ(signature.files.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(run.DownloadFiles("clock").part));
  EXPECT_FALSE(std::filesystem::exists(Extension("clock")));
  EXPECT_EQ(Gives(), (std::vector<std::string>{"info:clock", "file:clock"}));
  EXPECT_TRUE(std::filesystem::exists(Todo()));
}

TEST_F(AddonsRunTest, AMissingSignatureIsRefusedWithoutAsking) {
  AddLibrary("clock", 500, 7);
  libraries["clock"].signed_ = false;
  WriteFile(Todo(), "clock\r\n");
  AddonsRun run = MakeRun();
  EXPECT_EQ(run.Install().pending, std::vector<std::string>{"clock"});
  EXPECT_TRUE(signature.files.empty());
  EXPECT_FALSE(std::filesystem::exists(run.DownloadFiles("clock").part));
  EXPECT_FALSE(std::filesystem::exists(Extension("clock")));
}

TEST_F(AddonsRunTest, AnInterruptedDownloadResumesFromThePartSize) {
  AddLibrary("clock", 300000, 7);
  WriteFile(Todo(), "clock\r\n");
  // The server falls silent after 100000 bytes and the program is closed meanwhile.
  arrive = 100000;
  service.on_silence = [this] { stop = true; };
  AddonsRun first = MakeRun();
  EXPECT_EQ(first.Install().pending, std::vector<std::string>{"clock"});
  const PartialDownload files = first.DownloadFiles("clock");
  EXPECT_EQ(std::filesystem::file_size(files.part), 100000u);
  EXPECT_EQ(ReadFile(files.marker), std::string("1.0") + std::string(7, '\0'));
  EXPECT_FALSE(std::filesystem::exists(Extension("clock")));

  stop = false;
  arrive = std::string::npos;
  service.bodies.clear();
  AddonsRun second = MakeRun();
  EXPECT_EQ(second.Install().installed, std::vector<std::string>{"clock"});
  ASSERT_EQ(service.bodies.size(), 3u);
  EXPECT_EQ(service.bodies[1], "give=file&name=clock&language=Poland&resume=100000");
  EXPECT_EQ(ReadFile(Extension("clock")), libraries["clock"].bytes);
  EXPECT_FALSE(std::filesystem::exists(Todo()));
}

TEST_F(AddonsRunTest, AnotherVersionStartsTheDownloadAfresh) {
  AddLibrary("clock", 2000, 7);
  std::filesystem::create_directory(dir.path() / "tmp");
  AddonsRun run = MakeRun();
  WriteFile(run.DownloadFiles("clock").part, "stale bytes");
  WriteFile(run.DownloadFiles("clock").marker, std::string("0.9") + std::string(7, '\0'));
  WriteFile(Todo(), "clock\r\n");
  EXPECT_EQ(run.Install().installed, std::vector<std::string>{"clock"});
  EXPECT_EQ(service.bodies[1], "give=file&name=clock&language=Poland&resume=0");
  EXPECT_EQ(ReadFile(Extension("clock")), libraries["clock"].bytes);
}

TEST_F(AddonsRunTest, AStopLeavesTheRestPending) {
  AddLibrary("clock", 500, 7);
  AddLibrary("map", 500, 7);
  WriteFile(Todo(), "clock\r\nmap\r\n");
  stop = true;
  AddonsRun run = MakeRun();
  EXPECT_EQ(run.Install().pending, (std::vector<std::string>{"clock", "map"}));
  EXPECT_TRUE(service.bodies.empty());
  EXPECT_TRUE(std::filesystem::exists(Todo()));
}

TEST_F(AddonsRunTest, WithoutAListNothingHappens) {
  AddonsRun run = MakeRun();
  const AddonsRun::InstallResult result = run.Install();
  EXPECT_TRUE(result.installed.empty());
  EXPECT_TRUE(result.pending.empty());
  EXPECT_TRUE(service.bodies.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "extensions"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "tmp"));
}

TEST_F(AddonsRunTest, TheRefreshStoresEveryChecksumAndAsksForAReloadOfNonZeroOnes) {
  AddLibrary("clock", 10, 196864);
  AddLibrary("zero", 10, 0);
  AddLibrary("negative", 10, -2);
  AddonsRun run = MakeRun();
  run.RefreshChecksums({"clock", "zero", "negative"});
  EXPECT_EQ(Gives(), (std::vector<std::string>{"regno:clock", "regno:zero", "regno:negative"}));
  EXPECT_EQ(Stored("clock"), 196864u);
  EXPECT_EQ(Stored("zero"), 0u);
  EXPECT_EQ(Stored("negative"), 0xFFFFFFFEu);
  EXPECT_EQ(reloads, 2);
  EXPECT_TRUE(notifier.notices.empty());
}

TEST_F(AddonsRunTest, ARefreshWithoutAnAnswerStoresZero) {
  registry.PutDword(Hive::CurrentUser, kExtensionsKey, "clock", 196864);
  service.refuse_from = 0;
  AddonsRun run = MakeRun();
  run.RefreshChecksums({"clock"});
  EXPECT_EQ(Stored("clock"), 0u);
  EXPECT_EQ(reloads, 0);
  EXPECT_TRUE(run.Finished());
}

}  // namespace
}  // namespace lw
