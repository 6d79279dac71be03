// The dial-up adapter and the connection event thread against the simulated line (loaded by
// path, with its state in a folder of the test's own), as the program uses them.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <vector>

#include "dialup/win/ras_dialup.h"
#include "fakes/temp_dir.h"
#include "monitor/win/ras_events.h"
#include "support/program_run.h"

namespace lw {
namespace {

// What arrives from another thread, waited for with a bound.
template <typename T>
class Inbox {
 public:
  void Put(T value) {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back(value);
    changed_.notify_all();
  }
  // Waits until `value` has arrived.
  bool WaitFor(T value, int timeout_ms = 10000) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
      return std::find(items_.begin(), items_.end(), value) != items_.end();
    });
  }
  std::vector<T> Items() {
    std::lock_guard<std::mutex> lock(mutex_);
    return items_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<T> items_;
};

class RasMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"LINESIM_DIR", dir_.path().wstring().c_str());
    std::ofstream book(dir_.path() / "rasphone.pbk", std::ios::binary);
    book << "[Dom]\r\nPhoneNumber=7654321\r\nAreaCode=22\r\nCountryCode=48\r\nCountryID=48\r\n"
            "UseCountryAndAreaCodes=1\r\nDEVICE=modem\r\nLineSimUser=jan\r\n"
            "LineSimPassword=tajne\r\n";
  }
  void TearDown() override { SetEnvironmentVariableW(L"LINESIM_DIR", nullptr); }

  test::TempDir dir_;
  RasDialUp dialup_{true, test::BinFolder() + L"linesim.dll"};
};

TEST_F(RasMonitorTest, ADialIsReportedStepByStepAndItsConnectionComesAndGoesAsEvents) {
  Inbox<int> events;
  RasEvents thread(dialup_, [&](int code) { events.Put(code); });
  thread.Start();
  ASSERT_TRUE(thread.monitoring()) << "the four registrations succeed";

  std::vector<std::string> entries;
  ASSERT_EQ(dialup_.EnumEntries(entries), 0u);
  EXPECT_EQ(entries, std::vector<std::string>{"Dom"});
  StoredCredentials stored;
  ASSERT_EQ(dialup_.GetEntryDialParams("Dom", stored), 0u);
  EXPECT_EQ(stored.UserName, "jan");
  EXPECT_EQ(stored.Password, "tajne");
  EXPECT_EQ(dialup_.GetEntryDialParams("Nie ma", stored), ras::kEntryNotFound);

  Inbox<uint32_t> states;
  ASSERT_EQ(dialup_.Dial({"Dom", "", "jan", "tajne"},
                         [&](uint64_t, uint32_t state, uint32_t error) {
                           states.Put(error ? 0xFFFFFFFF : state);
                         }),
            0u);
  ASSERT_TRUE(states.WaitFor(dial_state::kConnected));
  const std::vector<uint32_t> seen = states.Items();
  EXPECT_EQ(seen.front(), dial_state::kOpenPort);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << "states in their order";
  ASSERT_TRUE(events.WaitFor(1)) << "the connection is announced";

  std::vector<ConnectionRecord> connections;
  ASSERT_EQ(dialup_.EnumConnections(connections), 0u);
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(connections[0].EntryName, "Dom");
  EXPECT_EQ(connections[0].DeviceType, "modem");
  EXPECT_NE(connections[0].Handle, 0u);

  ASSERT_EQ(dialup_.HangUp(connections[0].Handle), 0u);
  ASSERT_TRUE(events.WaitFor(2)) << "the disconnection is announced";
  EXPECT_EQ(dialup_.HangUp(connections[0].Handle), ras::kInvalidHandle) << "a stale handle";
  ASSERT_EQ(dialup_.EnumConnections(connections), 0u);
  EXPECT_TRUE(connections.empty());
}

TEST_F(RasMonitorTest, LinksAddedAndRemovedAreReportedWithTheirOwnCodes) {
  Inbox<int> events;
  RasEvents thread(dialup_, [&](int code) { events.Put(code); });
  thread.Start();
  ASSERT_TRUE(thread.monitoring());
  const test::ProgramRun connect = test::RunProgram(L"linectl.exe", L"connect --entry Dom", 10000);
  ASSERT_EQ(connect.exit_code, 0u) << connect.output;
  ASSERT_TRUE(events.WaitFor(1));
  const std::string handle = connect.output.substr(connect.output.find("0x"), 6);
  const std::wstring wide(handle.begin(), handle.end());
  ASSERT_EQ(test::RunProgram(L"linectl.exe", L"band-add " + wide, 10000).exit_code, 0u);
  EXPECT_TRUE(events.WaitFor(3));
  ASSERT_EQ(test::RunProgram(L"linectl.exe", L"band-remove " + wide, 10000).exit_code, 0u);
  EXPECT_TRUE(events.WaitFor(4));
}

TEST_F(RasMonitorTest, WithoutTheServiceNothingIsMonitored) {
  RasDialUp missing(true, test::BinFolder() + L"no-such-service.dll");
  int calls = 0;
  RasEvents thread(missing, [&](int) { ++calls; });
  thread.Start();
  EXPECT_FALSE(thread.monitoring()) << "a failed registration ends the thread at once";
  thread.SignalTermination();
  EXPECT_EQ(calls, 0);
}

TEST_F(RasMonitorTest, OnlyTheProgramEndsTheEventThread) {
  Inbox<int> events;
  RasEvents thread(dialup_, [&](int code) { events.Put(code); });
  thread.Start();
  ASSERT_TRUE(thread.monitoring());
  HANDLE outside = OpenEventW(EVENT_MODIFY_STATE, FALSE, L"ProgramTermination");
  ASSERT_NE(outside, nullptr);
  SetEvent(outside);
  CloseHandle(outside);
  Sleep(200);
  EXPECT_TRUE(thread.monitoring()) << "another program's signal is ignored";
  thread.SignalTermination();
  for (int i = 0; i < 100 && thread.monitoring(); ++i) Sleep(20);
  EXPECT_FALSE(thread.monitoring());
}

TEST_F(RasMonitorTest, ErrorTextsAndADialWithoutEntryNamedByItsNumber) {
  const std::optional<std::string> text = dialup_.GetErrorString(678);
  ASSERT_TRUE(text.has_value());
  EXPECT_NE(text->find(". "), std::string::npos) << *text;

  Inbox<uint32_t> states;
  ASSERT_EQ(dialup_.Dial({"", "0202122", "lw", "x"},
                         [&](uint64_t, uint32_t state, uint32_t) { states.Put(state); }),
            0u);
  ASSERT_TRUE(states.WaitFor(dial_state::kConnected));
  std::vector<ConnectionRecord> connections;
  ASSERT_EQ(dialup_.EnumConnections(connections), 0u);
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(connections[0].EntryName, ".0202122");
  EXPECT_EQ(dialup_.HangUp(connections[0].Handle), 0u);
}

}  // namespace
}  // namespace lw
