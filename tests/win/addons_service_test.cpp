// The add-on service on Windows against a service on loopback (LARKWATCH_SERVICE of the test
// builds): the checksum refresh stores what the service says through the system registry, and
// the catalogue window's browse runs on a worker and reaches the window on the main thread.
// Needs a display (Xvfb) for the window.

#include "net/win/addons_service.h"

#include <gtest/gtest.h>
#include <winsock2.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config/win/win_registry.h"
#include "fakes/fake_ports.h"
#include "fakes/temp_dir.h"
#include "net/win/update_worker.h"
#include "shell/win/main_thread.h"
#include "support/loopback_service.h"
#include "support/message_pump.h"

namespace lw {
namespace {

class AddonsServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(InitMainThreadDispatcher());
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    previous_folder_ = folder;
    SetCurrentDirectoryW(dir_.path().wstring().c_str());
  }
  void TearDown() override {
    SetCurrentDirectoryW(previous_folder_.c_str());
    _putenv("LARKWATCH_SERVICE=");
    WinRegistry registry;
    registry.DeleteValue(Hive::CurrentUser, kExtensionsKey, kName);
  }
  // Points the service at the loopback; false in a build that does not honour the setting.
  bool UseService(uint16_t port) {
    const std::string setting = "LARKWATCH_SERVICE=127.0.0.1:" + std::to_string(port);
    _putenv(setting.c_str());
    return ServiceSetting().has_value();
  }

  static constexpr char kName[] = "lwaddonsservicetest";
  test::TempDir dir_;
  std::wstring previous_folder_;
  test::RecordingNotifier notifier_;
  MessageTable messages_;
  ControlTexts texts_;
  std::atomic<int> reloads_{0};
};

TEST_F(AddonsServiceTest, TheRefreshStoresTheServicesChecksumsAndAsksForAReload) {
  test::LoopbackService service([](const std::string& body) -> std::optional<std::string> {
    return body.find("ext=lwaddonsservicetest") != std::string::npos ? "regno=-196864" : "";
  });
  if (!UseService(service.port())) GTEST_SKIP() << "a build without the service setting";
  AddonsService addons(notifier_, messages_, texts_, [this] { ++reloads_; });
  addons.StartChecksumRefresh({kName});
  ASSERT_TRUE(test::PumpUntil([&] { return reloads_.load() > 0; }, 10000));
  addons.StopAndJoin();
  ASSERT_EQ(service.bodies().size(), 1u);
  // The language is the program's, or the system's country without a version resource.
  EXPECT_FALSE(AddonsLanguage().empty());
  EXPECT_EQ(service.bodies()[0], "give=regno&ext=lwaddonsservicetest&language=" + AddonsLanguage());
  WinRegistry registry;
  const RegValue<uint32_t> stored = registry.ReadDword(Hive::CurrentUser, kExtensionsKey, kName);
  ASSERT_TRUE(stored.ok());
  EXPECT_EQ(stored.value, static_cast<uint32_t>(-196864));
  EXPECT_EQ(reloads_.load(), 1);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "extensions"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "tmp"));
}

TEST_F(AddonsServiceTest, ABrowseRunsOnAWorkerAndFillsTheWindow) {
  test::LoopbackService service([](const std::string& body) -> std::optional<std::string> {
    if (body.find("give=ext_list&path=LarkWatch&") == 0) {
      return "folders=Gry\nSieć&items=Zegar|clock";
    }
    return "";
  });
  if (!UseService(service.port())) GTEST_SKIP() << "a build without the service setting";
  AddonsService addons(notifier_, messages_, texts_, {});
  addons.ShowCatalogue();
  AddonsForm* form = addons.form();
  ASSERT_NE(form, nullptr) << "no window: is there a display (Xvfb)?";
  EXPECT_TRUE(form->IsOpen());
  ASSERT_TRUE(test::PumpUntil([&] { return !form->busy(); }, 10000));
  EXPECT_EQ(SendMessageW(form->tree(), TVM_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(form->list(), LVM_GETITEMCOUNT, 0, 0), 1);
  ASSERT_EQ(form->ItemsOf(0).size(), 1u);
  EXPECT_EQ(form->ItemsOf(0)[0].name, "clock");

  // Esc through the program's loop closes it; the menu command shows it again.
  MSG escape = {form->tree(), WM_KEYDOWN, VK_ESCAPE, 1, 0, {}};
  EXPECT_TRUE(addons.PreTranslate(escape));
  EXPECT_FALSE(form->IsOpen());
  addons.StopAndJoin();
}

}  // namespace
}  // namespace lw
