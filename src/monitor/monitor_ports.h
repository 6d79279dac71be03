#pragma once
// What the connection monitor asks of the rest of the program: the statistics window and the
// modal windows (main thread), the tray icon (any thread), and the workers that hang up, dial
// and check for updates away from the main thread.

#include <cstdint>
#include <string>

#include "dialup/dialup.h"
#include "monitor/connection_view.h"

namespace lw {

class AnsiCodec;
class Clock;
class ControlTexts;
class MessageTable;
class Notifier;
class Registry;
class SettingsStore;

// The tray icon's image and hint. Callable from any thread; the icon changes on the main thread.
class TrayState {
 public:
  virtual ~TrayState() = default;
  virtual void SetTrayImage(int image) = 0;
  virtual void SetTrayHint(const std::string& hint) = 0;  // UTF-8
  // What the icon was last told to show.
  virtual int TrayImage() const = 0;
  virtual std::string TrayHint() const = 0;
};

// The windows the monitor drives. Main thread only.
class MonitorUi {
 public:
  virtual ~MonitorUi() = default;
  // The statistics window shows a connection (or none).
  virtual void ShowConnection(const ConnectionView& view) = 0;
  // Message boxes: an error captioned "LarkWatch", a warning captioned with the application's
  // title. Both wait for the user.
  virtual void ErrorBox(const std::string& text) = 0;
  virtual void WarningBox(const std::string& text) = 0;
  // The yes/no question, modal; a countdown of 0 or less waits for the user. 1 yes, 0 no.
  virtual bool QuestionVisible() = 0;
  virtual int32_t AskQuestion(const std::string& text, int32_t countdown) = 0;
  // The credential prompt, modal; true when it was confirmed (the two edits are read back).
  virtual bool LoginVisible() = 0;
  virtual bool AskLogin(LoginFields& fields) = 0;
  // The main window's timer that dials the accelerated connection once.
  virtual void SetAccelerationTimer(bool on) = 0;
};

// Work that must not run on the main thread.
class MonitorWorkers {
 public:
  virtual ~MonitorWorkers() = default;
  // Hangs a connection up after the delay (0 or less: at once); the user flag is carried only.
  virtual void StartHangUp(uint64_t handle, int32_t delay_seconds, bool by_user) = 0;
  // Dials on a worker thread. The progress reaches ConnectionMonitor::DialProgress on the main
  // thread, and a dial that did not start reaches ConnectionMonitor::DialNotStarted.
  virtual void StartDial(const DialParams& params, bool accelerated) = 0;
  // The one update check of a run.
  virtual void StartUpdateCheck() = 0;
};

struct MonitorPorts {
  SettingsStore& settings;
  DialUp& dialup;
  Notifier& notifier;
  TrayState& tray;
  MonitorUi& ui;
  MonitorWorkers& workers;
  Registry& registry;
  const MessageTable& messages;
  const ControlTexts& texts;
  const AnsiCodec& codec;
};

}  // namespace lw
