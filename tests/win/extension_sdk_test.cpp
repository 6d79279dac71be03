// The extensions of the SDK and of the scenarios as the program sees them: copied from the
// test's folder into a fresh one (as into "extensions"), loaded with the program's hardened
// search path, their routines looked up by name (as written, then with a leading underscore)
// and called as the program calls them. The dial tally's file and the test extension's log are
// checked to the byte; the tally's message box is read and closed by a watcher thread (needs
// a display).

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "fakes/temp_dir.h"
#include "larkwatch_extension.h"
#include "support/own_window.h"
#include "support/program_run.h"

namespace lw {
namespace {

namespace fs = std::filesystem;
using test::BinFolder;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The text in the system's ANSI code page, as the program's texts are.
std::string Ansi(const std::wstring& text) {
  char bytes[512] = {};
  const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()),
                                         bytes, sizeof bytes, nullptr, nullptr);
  return std::string(bytes, static_cast<std::size_t>(std::max(length, 0)));
}

// One library loaded as the program loads it, and its routines.
class Extension {
 public:
  explicit Extension(const fs::path& path)
      : module_(LoadLibraryExW(path.wstring().c_str(), nullptr,
                               LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)) {}
  ~Extension() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Extension(const Extension&) = delete;
  Extension& operator=(const Extension&) = delete;

  bool loaded() const { return module_ != nullptr; }

  void* Routine(const char* name) const {
    if (module_ == nullptr) return nullptr;
    FARPROC found = GetProcAddress(module_, name);
    if (found == nullptr) found = GetProcAddress(module_, ("_" + std::string(name)).c_str());
    return reinterpret_cast<void*>(found);
  }

  std::string Name() const {
    const auto routine =
        reinterpret_cast<LarkWatchGetExtNameRoutine>(Routine(LARKWATCH_GET_EXT_NAME));
    const char* name = routine != nullptr ? routine() : nullptr;
    return name != nullptr ? name : "";
  }
  void Call(const char* export_name) const {
    const auto routine = reinterpret_cast<LarkWatchRoutine>(Routine(export_name));
    ASSERT_NE(routine, nullptr) << export_name;
    routine();
  }
  void Dial(const char* export_name, int32_t country_code, const char* area_code,
            const char* local_number, const char* entry_name, const char* phonebook,
            const char* application) const {
    const auto routine = reinterpret_cast<LarkWatchDialRoutine>(Routine(export_name));
    ASSERT_NE(routine, nullptr) << export_name;
    // The texts are the program's own and live only during the call.
    std::string texts[] = {area_code, local_number, entry_name, phonebook, application};
    routine(country_code, texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3].c_str(),
            texts[4].c_str());
    for (std::string& text : texts) std::fill(text.begin(), text.end(), '#');
  }
  void Allowed(const char* application) const {
    Dial(LARKWATCH_NOTIFY_CONNECT, 48, "22", "7654321", "Dom", "", application);
  }
  void Refused(const char* application) const {
    Dial(LARKWATCH_NOTIFY_ILLEGAL, 48, "", "0700123456", "", "", application);
  }

 private:
  HMODULE module_;
};

class ExtensionSdkTest : public ::testing::Test {
 protected:
  // The library of the test's folder, copied into the extensions folder of this test under
  // the given name.
  fs::path Install(const wchar_t* built, const wchar_t* installed_as) {
    const fs::path target = dir_.path() / installed_as;
    fs::copy_file(fs::path(BinFolder() + built), target, fs::copy_options::overwrite_existing);
    return target;
  }
  fs::path TallyFile() const { return dir_.path() / "LarkTally.txt"; }

  test::TempDir dir_;
};

TEST_F(ExtensionSdkTest, TheDialTallyExportsTheRoutinesItNeeds) {
  const Extension tally(Install(L"LarkTally.dll", L"LarkTally.dll"));
  ASSERT_TRUE(tally.loaded());
  EXPECT_EQ(tally.Name(), Ansi(L"Licznik połączeń"));
  EXPECT_LE(tally.Name().size(), static_cast<std::size_t>(LARKWATCH_MAX_NAME));
  EXPECT_NE(tally.Routine(LARKWATCH_ENTRY), nullptr);
  EXPECT_NE(tally.Routine(LARKWATCH_NOTIFY_ILLEGAL), nullptr);
  EXPECT_NE(tally.Routine(LARKWATCH_NOTIFY_CONNECT), nullptr);
  EXPECT_EQ(tally.Routine(LARKWATCH_RUN_ONCE), nullptr);
  EXPECT_EQ(tally.Routine(LARKWATCH_NOTIFY_DISCONNECT), nullptr);
  // Nothing is written before the first request.
  EXPECT_FALSE(fs::exists(TallyFile()));
}

TEST_F(ExtensionSdkTest, TheDialTallyCountsEveryProgramsRequestsInItsFile) {
  const Extension tally(Install(L"LarkTally.dll", L"LarkTally.dll"));
  ASSERT_TRUE(tally.loaded());
  tally.Allowed("C:\\Program Files\\Dialer\\dialer.exe");
  tally.Refused("C:\\Windows\\bad.exe");
  tally.Allowed("C:\\Program Files\\Dialer\\dialer.exe");
  // The same program whatever the case of its path's letters.
  tally.Refused("c:\\program files\\DIALER\\Dialer.EXE");
  tally.Refused("");
  EXPECT_EQ(ReadBytes(TallyFile()),
            "0 1 \r\n"
            "2 1 C:\\Program Files\\Dialer\\dialer.exe\r\n"
            "0 1 C:\\Windows\\bad.exe\r\n");
  EXPECT_FALSE(fs::exists(dir_.path() / "LarkTally.tmp"));
}

TEST_F(ExtensionSdkTest, TheDialTallyReadsItsFileAtEveryRequest) {
  const Extension tally(Install(L"LarkTally.dll", L"LarkTally.dll"));
  ASSERT_TRUE(tally.loaded());
  tally.Allowed("C:\\a.exe");
  // Edited by hand: lines that are not counts are dropped, LF alone ends a line too.
  WriteBytes(TallyFile(), "5 7 C:\\a.exe\nnot a count\r\n1 2\r\n3 x C:\\c.exe\r\n4 4 C:\\b.exe");
  tally.Refused("C:\\b.exe");
  EXPECT_EQ(ReadBytes(TallyFile()), "5 7 C:\\a.exe\r\n4 5 C:\\b.exe\r\n");
  // A removed file starts the tally afresh.
  fs::remove(TallyFile());
  tally.Allowed("C:\\b.exe");
  EXPECT_EQ(ReadBytes(TallyFile()), "1 0 C:\\b.exe\r\n");
}

TEST_F(ExtensionSdkTest, TheDialTallyKeepsCountingWhenTwoThreadsAreTold) {
  const Extension tally(Install(L"LarkTally.dll", L"LarkTally.dll"));
  ASSERT_TRUE(tally.loaded());
  const auto connect =
      reinterpret_cast<LarkWatchDialRoutine>(tally.Routine(LARKWATCH_NOTIFY_CONNECT));
  ASSERT_NE(connect, nullptr);
  std::vector<std::thread> threads;
  for (int t = 0; t < 2; ++t) {
    threads.emplace_back([connect] {
      for (int i = 0; i < 25; ++i) connect(48, "", "1", "", "", "C:\\a.exe");
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(ReadBytes(TallyFile()), "50 0 C:\\a.exe\r\n");
}

// The texts of a message box with the caption, read by a thread of its own while the box is
// shown on the test's thread, which it then closes with its OK button.
class MessageBoxWatcher {
 public:
  explicit MessageBoxWatcher(std::wstring caption) : caption_(std::move(caption)) {
    thread_ = std::thread([this] { Watch(); });
  }
  ~MessageBoxWatcher() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  // The box's longest static text, once it was found.
  std::wstring Text() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    return text_;
  }
  bool found() const { return found_; }

 private:
  static BOOL CALLBACK Child(HWND child, LPARAM context) {
    auto* longest = reinterpret_cast<std::wstring*>(context);
    wchar_t class_name[32] = {};
    GetClassNameW(child, class_name, 32);
    if (lstrcmpiW(class_name, L"Static") == 0) {
      wchar_t text[2048] = {};
      GetWindowTextW(child, text, 2048);
      if (lstrlenW(text) > static_cast<int>(longest->size())) *longest = text;
    }
    return TRUE;
  }

  void Watch() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!stop_ && std::chrono::steady_clock::now() < deadline) {
      const HWND box = test::FindOwnWindow(L"#32770", caption_.c_str());
      if (box != nullptr && IsWindowVisible(box)) {
        EnumChildWindows(box, &Child, reinterpret_cast<LPARAM>(&text_));
        found_ = true;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  std::wstring caption_;
  std::wstring text_;
  std::atomic<bool> found_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

constexpr const wchar_t* kTallyCaption = L"LarkWatch - licznik połączeń";

TEST_F(ExtensionSdkTest, TheDialTallysCommandShowsTheTally) {
  const Extension tally(Install(L"LarkTally.dll", L"LarkTally.dll"));
  ASSERT_TRUE(tally.loaded());
  {
    MessageBoxWatcher watcher(kTallyCaption);
    tally.Call(LARKWATCH_ENTRY);
    EXPECT_TRUE(watcher.found()) << "no message box: is there a display?";
    EXPECT_EQ(watcher.Text(), L"Brak połączeń: żaden program jeszcze nie dzwonił.");
  }
  tally.Allowed("C:\\Program Files\\Dialer\\dialer.exe");
  tally.Allowed("C:\\Program Files\\Dialer\\dialer.exe");
  tally.Refused("C:\\Program Files\\Dialer\\dialer.exe");
  tally.Refused(Ansi(L"C:\\Pobrane\\łącze.exe").c_str());
  tally.Refused("");
  {
    MessageBoxWatcher watcher(kTallyCaption);
    tally.Call(LARKWATCH_ENTRY);
    EXPECT_TRUE(watcher.found());
    EXPECT_EQ(watcher.Text(),
              L"(nieznany program): dozwolone 0, odrzucone 1\n"
              L"C:\\Pobrane\\łącze.exe: dozwolone 0, odrzucone 1\n"
              L"C:\\Program Files\\Dialer\\dialer.exe: dozwolone 2, odrzucone 1");
  }
}

TEST_F(ExtensionSdkTest, TheSmallestExtensionExportsItsDefFilesNames) {
  const Extension hello(Install(L"LarkHello.dll", L"LarkHello.dll"));
  ASSERT_TRUE(hello.loaded());
  EXPECT_EQ(hello.Name(), "Przywitanie");
  EXPECT_NE(hello.Routine(LARKWATCH_ENTRY), nullptr);
  EXPECT_NE(hello.Routine(LARKWATCH_NOTIFY_CONNECT), nullptr);
  EXPECT_EQ(hello.Routine(LARKWATCH_NOTIFY_ILLEGAL), nullptr);
  hello.Allowed("C:\\a.exe");
  hello.Allowed("C:\\a.exe");
  MessageBoxWatcher watcher(L"LarkWatch - przywitanie");
  hello.Call(LARKWATCH_ENTRY);
  EXPECT_TRUE(watcher.found());
  EXPECT_EQ(watcher.Text(), L"Dzień dobry! Połączenia dozwolone od wczytania dodatku: 2.");
}

// The log the test extension writes to, named by LWTESTEXT_LOG for the test's run.
class TestExtensionTest : public ExtensionSdkTest {
 protected:
  void SetUp() override {
    log_ = dir_.path() / "calls.log";
    SetEnvironmentVariableW(L"LWTESTEXT_LOG", log_.wstring().c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"LWTESTEXT_LOG", nullptr); }
  std::string Log() const { return ReadBytes(log_); }

  fs::path log_;
};

TEST_F(TestExtensionTest, WritesDownEveryCallUnderItsOwnFileName) {
  const Extension a(Install(L"lwtestext.dll", L"lwtestA.dll"));
  const Extension b(Install(L"lwtestext.dll", L"lwtestB.dll"));
  ASSERT_TRUE(a.loaded());
  ASSERT_TRUE(b.loaded());
  EXPECT_EQ(a.Name(), "Test lwtestA");
  EXPECT_EQ(b.Name(), "Test lwtestB");
  a.Call(LARKWATCH_RUN_ONCE);
  b.Call(LARKWATCH_RUN_ONCE);
  a.Dial(LARKWATCH_NOTIFY_CONNECT, 48, "22", "7654321", "Dom", "C:\\x\\rasphone.pbk",
         "C:\\x\\dialer.exe");
  b.Dial(LARKWATCH_NOTIFY_CONNECT, 48, "22", "7654321", "Dom", "C:\\x\\rasphone.pbk",
         "C:\\x\\dialer.exe");
  a.Dial(LARKWATCH_NOTIFY_ILLEGAL, 0, "", "0700123456", "", "", "C:\\y\\bad.exe");
  a.Call(LARKWATCH_NOTIFY_DISCONNECT);
  b.Call(LARKWATCH_ENTRY);
  EXPECT_EQ(Log(),
            "lwtestA name\n"
            "lwtestB name\n"
            "lwtestA runonce\n"
            "lwtestB runonce\n"
            "lwtestA connect 48|22|7654321|Dom|C:\\x\\rasphone.pbk|C:\\x\\dialer.exe\n"
            "lwtestB connect 48|22|7654321|Dom|C:\\x\\rasphone.pbk|C:\\x\\dialer.exe\n"
            "lwtestA illegal 0||0700123456|||C:\\y\\bad.exe\n"
            "lwtestA disconnect\n"
            "lwtestB entry\n");
}

TEST_F(TestExtensionTest, TheBuiltNamesAndTheVariants) {
  const Extension plain(Install(L"lwtestext.dll", L"lwtestext.dll"));
  const Extension no_entry(Install(L"lwtestext_noentry.dll", L"lwtestext_noentry.dll"));
  const Extension long_name(Install(L"lwtestext_longname.dll", L"lwtestext_longname.dll"));
  ASSERT_TRUE(plain.loaded() && no_entry.loaded() && long_name.loaded());
  EXPECT_EQ(plain.Name(), "Test lwtestext");
  EXPECT_EQ(no_entry.Name(), "Test lwtestext_noentry");
  EXPECT_EQ(no_entry.Routine(LARKWATCH_ENTRY), nullptr);
  for (const char* routine : {LARKWATCH_RUN_ONCE, LARKWATCH_NOTIFY_ILLEGAL,
                              LARKWATCH_NOTIFY_CONNECT, LARKWATCH_NOTIFY_DISCONNECT}) {
    EXPECT_NE(no_entry.Routine(routine), nullptr) << routine;
  }
  const std::string name = long_name.Name();
  EXPECT_EQ(name.size(), static_cast<std::size_t>(LARKWATCH_MAX_NAME) + 1);
  EXPECT_EQ(name.substr(0, 24), "Test lwtestext_longnamex");
  EXPECT_NE(long_name.Routine(LARKWATCH_ENTRY), nullptr);
}

TEST_F(TestExtensionTest, WritesNothingWithoutALog) {
  SetEnvironmentVariableW(L"LWTESTEXT_LOG", nullptr);
  const Extension a(Install(L"lwtestext.dll", L"lwtestA.dll"));
  ASSERT_TRUE(a.loaded());
  a.Call(LARKWATCH_ENTRY);
  EXPECT_FALSE(fs::exists(log_));
}

}  // namespace
}  // namespace lw
