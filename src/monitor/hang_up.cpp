#include "monitor/hang_up.h"

#include <algorithm>

#include "common/clock.h"
#include "common/format.h"
#include "config/messages.h"
#include "dialup/dialup.h"
#include "monitor/monitor_ports.h"
#include "notify/notifier.h"

namespace lw {

void RunHangUp(const HangUpJob& job, HangUpPorts& p) {
  auto stopping = [&] { return p.stopping && p.stopping(); };
  if (job.delay_seconds > 0) {
    const uint64_t end = p.clock.ElapsedMs() + static_cast<uint64_t>(job.delay_seconds) * 1000;
    for (uint64_t now = p.clock.ElapsedMs(); now < end; now = p.clock.ElapsedMs()) {
      p.clock.Sleep(static_cast<uint32_t>(std::min<uint64_t>(end - now, kHangUpRecheckMs)));
      if (stopping()) return;
    }
    p.notifier.ShowInfo(
        FormatText(p.messages.Text(msg::DelayElapsed),
                   {int64_t{job.delay_seconds / 60}, int64_t{job.delay_seconds % 60}}),
        image::kPolicyHangUp);
  }
  if (job.handle == 0) return;
  const int previous_image = p.tray.TrayImage();
  const std::string previous_hint = p.tray.TrayHint();
  const std::string hanging_up = p.messages.Text(msg::TrayHangingUp);
  p.tray.SetTrayImage(image::kRefused);
  p.tray.SetTrayHint(hanging_up);
  if (p.dialup.HangUp(job.handle) != ras::kOk) {
    // The connection is gone already (it ended during the delay): the icon goes back to what it
    // showed, unless something else has changed it meanwhile.
    if (p.tray.TrayImage() == image::kRefused && p.tray.TrayHint() == hanging_up) {
      p.tray.SetTrayImage(previous_image);
      p.tray.SetTrayHint(previous_hint);
    }
    return;
  }
  p.tray.SetTrayImage(image::kIdle);
  p.notifier.HideInfo();
}

}  // namespace lw
