#include "notify/win/win_notifier.h"

#include "notify/win/info_form.h"
#include "shell/win/main_thread.h"

namespace lw {

// Only the newest state of the window matters (a later notice replaces an earlier one), so
// calls that come faster than the main thread shows them are merged into one pending state:
// a burst of requests never leaves the window minutes behind.
void WinNotifier::Post(Pending next) {
  bool post = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (next.show && pending_.show) {
      // An empty text re-shows the current one, an image below 0 keeps the current image: the
      // notice still waiting to be shown is the current one for them.
      if (next.text.empty()) next.text = pending_.text;
      if (next.image < 0) next.image = pending_.image;
    }
    pending_ = std::move(next);
    post = !posted_;
    posted_ = true;
  }
  if (post && !RunOnMainThread([this] { ShowPending(); })) {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_ = false;
  }
}

void WinNotifier::ShowPending() {
  Pending state;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    state = std::move(pending_);
    pending_ = {};
    posted_ = false;
  }
  if (state.show) {
    info_.ShowInfo(state.text, state.image);
  } else if (state.hide) {
    info_.Close();
  }
}

void WinNotifier::ShowInfo(const std::string& text, int image) { Post({true, false, text, image}); }

void WinNotifier::HideInfo() { Post({false, true, {}, -1}); }

}  // namespace lw
