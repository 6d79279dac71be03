#include "monitor/hang_up.h"

#include <gtest/gtest.h>

#include <numeric>

#include "config/messages.h"
#include "fakes/fake_monitor.h"
#include "fakes/fake_ports.h"

namespace lw {
namespace {

class HangUpTest : public ::testing::Test {
 protected:
  void Run(HangUpJob job) {
    HangUpPorts ports{dialup, notifier, tray, messages, clock, stopping};
    RunHangUp(job, ports);
  }
  uint64_t SleptMs() const {
    return std::accumulate(clock.sleeps.begin(), clock.sleeps.end(), uint64_t{0});
  }

  test::FakeDialUp dialup;
  test::RecordingNotifier notifier;
  test::FakeTray tray;
  MessageTable messages;
  test::FakeClock clock;
  std::function<bool()> stopping;
};

TEST_F(HangUpTest, ADelayEndsWithTheElapsedTimeThenTheLineIsDropped) {
  Run({0x42, 180, false});
  EXPECT_EQ(SleptMs(), 180000u);
  ASSERT_FALSE(notifier.notices.empty());
  EXPECT_EQ(notifier.notices[0], (test::Notice{"Upłynęło 3 min, 0 sek.\r\nRozłączam...", 6}));
  EXPECT_EQ(dialup.hang_ups, (std::vector<uint64_t>{0x42}));
  EXPECT_EQ(tray.image, 7);
  EXPECT_EQ(notifier.hides, 1);
}

TEST_F(HangUpTest, WithoutDelayNothingIsSaidAndNoHandleMeansNothingToDo) {
  Run({0x42, 0, true});
  EXPECT_TRUE(clock.sleeps.empty());
  EXPECT_TRUE(notifier.notices.empty());
  EXPECT_EQ(dialup.hang_ups.size(), 1u);

  Run({0, 61, false});
  EXPECT_EQ(notifier.notices.back().text, "Upłynęło 1 min, 1 sek.\r\nRozłączam...");
  EXPECT_EQ(dialup.hang_ups.size(), 1u);
}

TEST_F(HangUpTest, TheMachineSleepingDuringTheDelayDoesNotPostponeTheHangUp) {
  clock.machine_sleep_ms = 3600 * 1000;  // an hour asleep during the first wait
  Run({0x42, 180, false});
  EXPECT_EQ(clock.sleeps.size(), 1u);
  EXPECT_LT(SleptMs(), 180000u);
  EXPECT_EQ(dialup.hang_ups.size(), 1u);
}

TEST_F(HangUpTest, AStaleHandleLeavesTheIconAsItWas) {
  tray.image = 12;
  tray.hint = "Połączony...";
  dialup.hang_up_code = 6;
  Run({0x42, 0, false});
  EXPECT_EQ(tray.image, 12);
  EXPECT_EQ(tray.hint, "Połączony...");
  EXPECT_EQ(notifier.hides, 0);
}

TEST_F(HangUpTest, TheProgramEndingDuringTheDelayStopsTheWorker) {
  stopping = [] { return true; };
  Run({0x42, 600, false});
  EXPECT_EQ(clock.sleeps.size(), 1u);
  EXPECT_TRUE(dialup.hang_ups.empty());
  EXPECT_TRUE(notifier.notices.empty());
}

}  // namespace
}  // namespace lw
