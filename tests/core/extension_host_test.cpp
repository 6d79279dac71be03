#include "extension_host/extension_host.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "config/message_lines.h"
#include "fakes/fake_registry.h"

namespace lw {
namespace {

// What the libraries' routines were called with, in order.
std::vector<std::string> g_calls;

// The routines of library N; each records its call.
template <int N>
struct Routines {
  static const char* Name() {
    static const std::string name = "Extension " + std::to_string(N);
    return name.c_str();
  }
  static void Entry() { g_calls.push_back(std::to_string(N) + " entry"); }
  static void RunOnce() { g_calls.push_back(std::to_string(N) + " runonce"); }
  static void Dial(const char* what, int32_t country, const char* area, const char* number,
                   const char* entry, const char* phonebook, const char* application) {
    g_calls.push_back(std::to_string(N) + " " + what + " " + std::to_string(country) + "|" + area +
                      "|" + number + "|" + entry + "|" + phonebook + "|" + application);
  }
  static void Connect(int32_t c, const char* a, const char* n, const char* e, const char* p,
                      const char* app) {
    Dial("connect", c, a, n, e, p, app);
  }
  static void Illegal(int32_t c, const char* a, const char* n, const char* e, const char* p,
                      const char* app) {
    Dial("illegal", c, a, n, e, p, app);
  }
  static void Disconnect() { g_calls.push_back(std::to_string(N) + " disconnect"); }
};

const char* LongName() {
  static const std::string name(256, 'n');
  return name.c_str();
}

using Exports = std::map<std::string, void*>;

template <int N>
Exports AllExports() {
  return {{"LarkWatchGetExtName", reinterpret_cast<void*>(&Routines<N>::Name)},
          {"LarkWatchEntry", reinterpret_cast<void*>(&Routines<N>::Entry)},
          {"LarkWatchRunOnce", reinterpret_cast<void*>(&Routines<N>::RunOnce)},
          {"LarkWatchNotifyConnect", reinterpret_cast<void*>(&Routines<N>::Connect)},
          {"LarkWatchNotifyIllegal", reinterpret_cast<void*>(&Routines<N>::Illegal)},
          {"LarkWatchNotifyDisconnect", reinterpret_cast<void*>(&Routines<N>::Disconnect)}};
}

// The folder "extensions" and the loader, in memory.
class FakeSystem : public ExtensionSystem {
 public:
  struct Library {
    std::string file_name;
    uint32_t checksum = 0;
    Exports exports;
    bool loads = true;
  };

  std::vector<std::string> ListLibraries() override {
    std::vector<std::string> names;
    for (const Library& library : folder) names.push_back(library.file_name);
    return names;
  }
  std::string FullPath(const std::string& file_name) override {
    return "C:\\LarkWatch\\extensions\\" + file_name;
  }
  uint32_t Checksum(const std::string& full_path) override {
    const Library* library = Find(full_path);
    return library ? library->checksum : 0;
  }
  void* Load(const std::string& full_path) override {
    loads.push_back(full_path);
    Library* library = Find(full_path);
    return library && library->loads ? library : nullptr;
  }
  void* Export(void* library, const char* name) override {
    const Exports& exports = static_cast<Library*>(library)->exports;
    const auto it = exports.find(name);
    return it == exports.end() ? nullptr : it->second;
  }
  void Free(void* library) override { freed.push_back(static_cast<Library*>(library)->file_name); }

  // A deque: a loaded library's handle is its element, which must stay where it is.
  std::deque<Library> folder;
  std::vector<std::string> loads;
  std::vector<std::string> freed;

 private:
  Library* Find(const std::string& full_path) {
    for (Library& library : folder) {
      if (FullPath(library.file_name) == full_path) return &library;
    }
    return nullptr;
  }
};

class RecordingUi : public ExtensionUi {
 public:
  void Warn(const std::string& text) override { warnings.push_back(text); }
  void AddCommand(std::size_t index, const std::string& caption) override {
    commands.push_back(std::to_string(index) + " " + caption);
  }
  std::vector<std::string> warnings;
  std::vector<std::string> commands;
};

class ExtensionHostTest : public ::testing::Test {
 protected:
  ExtensionHostTest() { g_calls.clear(); }

  void Store(const std::string& base_name, uint32_t value) {
    registry.PutDword(Hive::CurrentUser, kExtensionsKey, base_name, value);
  }
  ExtensionHost& Host() {
    if (!host) {
      host = std::make_unique<ExtensionHost>(
          system, registry, ui, messages,
          [this](std::vector<std::string> names) { refreshes.push_back(std::move(names)); });
    }
    return *host;
  }

  FakeSystem system;
  test::FakeRegistry registry;
  RecordingUi ui;
  MessageTable messages;
  std::vector<std::vector<std::string>> refreshes;
  std::unique_ptr<ExtensionHost> host;
};

const DialFields kDial{48, "22", "7654321", "Dom", "C:\\rasphone.pbk", "C:\\dialer.exe"};

TEST_F(ExtensionHostTest, LoadsMatchingLibrariesWithACommandAndTheirRunOnceInListingOrder) {
  system.folder = {{"Tally.dll", 17, AllExports<1>()}, {"Other.dll", 99, AllExports<2>()}};
  Store("Tally", 17);
  Store("Other", 99);
  Host().LoadExtensions();
  EXPECT_EQ(Host().LoadedFileNames(), (std::vector<std::string>{"Tally.dll", "Other.dll"}));
  EXPECT_EQ(ui.commands, (std::vector<std::string>{"0 Extension 1", "1 Extension 2"}));
  EXPECT_EQ(g_calls, (std::vector<std::string>{"1 runonce", "2 runonce"}));
  EXPECT_EQ(system.loads, (std::vector<std::string>{"C:\\LarkWatch\\extensions\\Tally.dll",
                                                    "C:\\LarkWatch\\extensions\\Other.dll"}));
  EXPECT_FALSE(Host().check_failed());

  g_calls.clear();
  Host().RunCommand(1);
  Host().RunCommand(7);  // no such command
  EXPECT_EQ(g_calls, (std::vector<std::string>{"2 entry"}));
}

TEST_F(ExtensionHostTest, TellsEveryExtensionInListOrderAndSkipsMissingRoutines) {
  Exports without_connect = AllExports<2>();
  without_connect.erase("LarkWatchNotifyConnect");
  Exports underscored;
  for (const auto& [name, routine] : AllExports<3>()) underscored["_" + name] = routine;
  system.folder = {
      {"A.dll", 1, AllExports<1>()}, {"B.dll", 2, without_connect}, {"C.dll", 3, underscored}};
  Store("A", 1);
  Store("B", 2);
  Store("C", 3);
  Host().LoadExtensions();
  g_calls.clear();

  Host().NotifyConnect(kDial);
  Host().NotifyIllegal(kDial);
  Host().NotifyDisconnect();
  const std::string args = " 48|22|7654321|Dom|C:\\rasphone.pbk|C:\\dialer.exe";
  EXPECT_EQ(g_calls,
            (std::vector<std::string>{"1 connect" + args, "3 connect" + args, "1 illegal" + args,
                                      "2 illegal" + args, "3 illegal" + args, "1 disconnect",
                                      "2 disconnect", "3 disconnect"}));
}

TEST_F(ExtensionHostTest, AMissingOrZeroValueLoadsNothingSilentlyAndStartsTheOneRefresh) {
  system.folder = {{"A.dll", 5, AllExports<1>()}, {"B.dll", 6, AllExports<2>()}};
  Store("B", 0);
  Host().LoadExtensions();
  EXPECT_TRUE(Host().LoadedFileNames().empty());
  EXPECT_TRUE(ui.warnings.empty());
  EXPECT_TRUE(Host().check_failed());
  EXPECT_TRUE(system.loads.empty());

  // The next idle moment starts the refresh, with every library of the folder.
  Host().IdleProcessing(false);
  EXPECT_EQ(refreshes, (std::vector<std::vector<std::string>>{{"A", "B"}}));

  // The refresh stores a value and asks for a reload: the library loads at the next idle moment.
  Store("A", 5);
  Host().RequestReload();
  Host().IdleProcessing(false);
  EXPECT_EQ(Host().LoadedFileNames(), (std::vector<std::string>{"A.dll"}));
  // B still fails, but there is one refresh per run.
  Host().IdleProcessing(false);
  EXPECT_EQ(refreshes.size(), 1u);
}

TEST_F(ExtensionHostTest, AWrongNonZeroValueIsWarnedAboutAtEveryScan) {
  system.folder = {{"Fake.dll", 5, AllExports<1>()}};
  Store("Fake", 6);
  Host().LoadExtensions();
  Host().IdleProcessing(/*folder_changed=*/true);
  const std::string warning =
      "Rozszerzenie 'Fake.dll' ma zapisany niewłaściwy klucz autoryzacji (rozszerzenie może być "
      "fałszywe).\r\nDla bezpieczeństwa usuń to rozszerzenie.";
  EXPECT_EQ(ui.warnings, (std::vector<std::string>{warning, warning}));
  EXPECT_TRUE(Host().LoadedFileNames().empty());
  EXPECT_TRUE(system.loads.empty());
}

TEST_F(ExtensionHostTest, ALibraryWithoutItsRequiredExportsStaysLoadedButIsNeverCalled) {
  Exports no_entry = AllExports<1>();
  no_entry.erase("LarkWatchEntry");
  Exports long_name = AllExports<2>();
  long_name["LarkWatchGetExtName"] = reinterpret_cast<void*>(&LongName);
  Exports no_name = AllExports<3>();
  no_name.erase("LarkWatchGetExtName");
  system.folder = {{"NoEntry.dll", 1, no_entry},
                   {"LongName.dll", 2, long_name},
                   {"NoName.dll", 3, no_name},
                   {"Good.dll", 4, AllExports<4>()}};
  Store("NoEntry", 1);
  Store("LongName", 2);
  Store("NoName", 3);
  Store("Good", 4);
  Host().LoadExtensions();
  EXPECT_EQ(Host().LoadedFileNames(),
            (std::vector<std::string>{"NoEntry.dll", "LongName.dll", "NoName.dll", "Good.dll"}));
  EXPECT_EQ(ui.commands, (std::vector<std::string>{"0 Extension 4"}));
  g_calls.clear();
  Host().NotifyConnect(kDial);
  Host().NotifyDisconnect();
  ASSERT_EQ(g_calls.size(), 2u);
  EXPECT_EQ(g_calls[0].substr(0, 10), "4 connect ");
  EXPECT_EQ(g_calls[1], "4 disconnect");

  // Not tried again at the next scan.
  Host().IdleProcessing(true);
  EXPECT_EQ(system.loads.size(), 4u);
}

TEST_F(ExtensionHostTest, ANameDifferingOnlyInCaseIsNotLoadedTwiceAndAFailedLoadIsRetried) {
  system.folder = {{"Tally.dll", 1, AllExports<1>()}};
  Store("Tally", 1);
  Host().LoadExtensions();
  system.folder.push_back({"TALLY.DLL", 1, AllExports<2>()});
  system.folder.push_back({"New.dll", 2, AllExports<3>(), /*loads=*/false});
  Store("New", 2);
  Host().IdleProcessing(true);
  EXPECT_EQ(Host().LoadedFileNames(), (std::vector<std::string>{"Tally.dll"}));
  system.folder.back().loads = true;
  Host().IdleProcessing(true);
  EXPECT_EQ(Host().LoadedFileNames(), (std::vector<std::string>{"Tally.dll", "New.dll"}));
  EXPECT_EQ(system.loads.size(), 3u);
}

TEST_F(ExtensionHostTest, UnloadingReleasesEveryLibraryAndTellsNobodyAfterwards) {
  system.folder = {{"A.dll", 1, AllExports<1>()}, {"B.dll", 2, AllExports<2>()}};
  Store("A", 1);
  Store("B", 2);
  Host().LoadExtensions();
  Host().UnloadExtensions();
  EXPECT_EQ(system.freed, (std::vector<std::string>{"A.dll", "B.dll"}));
  g_calls.clear();
  Host().NotifyDisconnect();
  Host().RunCommand(0);
  EXPECT_TRUE(g_calls.empty());
  host.reset();
  EXPECT_EQ(system.freed.size(), 2u);
}

}  // namespace
}  // namespace lw
