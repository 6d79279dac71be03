#pragma once
// The Notifier port on Windows: notices from any thread are handed to the information window
// on the main thread.

#include <mutex>
#include <string>

#include "notify/notifier.h"

namespace lw {

class InfoForm;

class WinNotifier : public Notifier {
 public:
  // The window must outlive the main thread's dispatcher (work still queued when the
  // dispatcher shuts down is dropped).
  explicit WinNotifier(InfoForm& info) : info_(info) {}

  // Any thread; the notice is shown later, on the main thread (also when called there).
  void ShowInfo(const std::string& text, int image) override;
  void HideInfo() override;

 private:
  struct Pending {
    bool show = false;
    bool hide = false;
    std::string text;
    int image = -1;
  };
  void Post(Pending next);
  void ShowPending();  // main thread

  InfoForm& info_;
  std::mutex mutex_;
  Pending pending_;      // the newest state not yet shown
  bool posted_ = false;  // a ShowPending is on its way to the main thread
};

}  // namespace lw
