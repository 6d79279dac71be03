// Speed of the work done for every intercepted dial: mask matching at its worst, and a whole
// non-interactive dial decision against long lists. Run: build/bench/bench/lw_bench

#include <benchmark/benchmark.h>

#include <string>

#include "policy/masks.h"
#include "support/policy_rig.h"
#include "support/reference_match.h"

namespace lw {
namespace {

using test::ReferenceMatch;

// "*1*1...*1" followed by a '2' that no number of ones can match: every split is tried.
std::string WorstMask(int stars) {
  std::string mask;
  for (int i = 0; i < stars; ++i) mask += "*1";
  return mask + "2";
}

void BM_MatchMaskWorstCase(benchmark::State& state) {
  const std::string mask = WorstMask(32).substr(0, 63) + "2";  // 64 characters
  const std::string number(128, '1');
  for (auto _ : state) benchmark::DoNotOptimize(MatchMask(mask, number));
}
BENCHMARK(BM_MatchMaskWorstCase)->Unit(benchmark::kMicrosecond);

// The reference on the same shape with a handful of stars and a short number; its time grows
// steeply with each star, so a 64-character mask is out of its reach.
void BM_ReferenceMatchWorstCase(benchmark::State& state) {
  const std::string mask = WorstMask(static_cast<int>(state.range(0)));
  const std::string number(32, '1');
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceMatch(mask.c_str(), number.c_str()));
}
BENCHMARK(BM_ReferenceMatchWorstCase)->DenseRange(2, 6, 2)->Unit(benchmark::kMicrosecond);

void BM_DecideDialWithLongLists(benchmark::State& state) {
  test::PolicyRig rig;
  rig.store.Update([](Settings& s) {
    s.PDAsk = false;
    s.UseAcceleration = false;
    s.OnlySafe = true;
    s.SetDangerDisNow(true);
    for (int i = 0; i < 200; ++i) {
      // Built piecewise: GCC 12 at -O3 warns wrongly (-Wrestrict) on a chained "a" + b + "c".
      std::string safe = "0", danger = "07";
      safe += std::to_string(300 + i);
      safe += '*';
      danger += std::to_string(100 + i);
      danger += "??*";
      s.SafeList.push_back(safe);
      s.DangerList.push_back(danger);
    }
    s.SafeList.back() = "22*";  // the match is the last mask
  });
  rig.dialup.entries["Modem"] = {kEntryUsesCountryAndAreaCodes, 48, 48, "22", "123 45 67", "modem"};
  rig.dialup.countries[48] = "Polska";
  const DialFields dial{48, "22", "123 45 67", "Modem", "", "C:\\dialer.exe"};
  for (auto _ : state) {
    benchmark::DoNotOptimize(rig.policy.DecideDial(dial));
    rig.notifier.notices.clear();
  }
}
BENCHMARK(BM_DecideDialWithLongLists)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace lw
