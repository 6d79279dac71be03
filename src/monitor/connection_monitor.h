#pragma once
// The run-time state of the main window for the connections: the connection and entry lists,
// the connection the statistics window shows, the hand-over from the connection events to the
// idle processing, the enforcement of the policy after a connection came up, and the program's
// own dialling. Everything here runs on the main thread, except OwnDialPending, which the
// deciding threads read.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "dialup/dialup.h"
#include "monitor/connection_view.h"
#include "monitor/monitor_ports.h"

namespace lw {

// Codes of the connection events as the event thread hands them on (0: a manual refresh).
namespace ras_event {
inline constexpr int kRefresh = 0;
inline constexpr int kConnected = 1;
inline constexpr int kDisconnected = 2;
inline constexpr int kLinkAdded = 3;
inline constexpr int kLinkRemoved = 4;
}  // namespace ras_event

// PendingRasEvent values.
namespace pending {
inline constexpr int32_t kNone = 0;
inline constexpr int32_t kConnected = 1;
inline constexpr int32_t kDisconnected = 2;
}  // namespace pending

class ConnectionMonitor {
 public:
  explicit ConnectionMonitor(MonitorPorts ports) : p_(ports) {}

  // Start-up values.
  void SetOwnCountryCode(int32_t code) { own_country_code_ = code; }
  void SetAcceleratedNumber(std::string number) { accelerated_number_ = std::move(number); }

  // The connection list (the service's records) and the phonebook entries.
  void EnumerateConnections();
  void EnumerateEntries();
  // Shows the connection `step` (-1, 0, +1) away from the current one.
  void DrawConnection(int step);
  // A connection event (1 to 4) or a manual refresh (0): lists read again, window redrawn, and
  // the event left for the idle processing.
  void OnRasEvent(int code);

  // The statistics window's buttons.
  void ButtonPrevClick() { DrawConnection(-1); }
  void ButtonNextClick() { DrawConnection(+1); }
  void ButtonRefreshStatsClick();
  void ButtonDisconnectClick();

  // The enforcement after a connection event; returns at once while it already runs (a modal
  // question inside it runs idle processing of its own).
  void IdleProcessing();

  // The program's own dialling.
  void DialDefaultClick();
  // Both return whether a dial was handed to the worker.
  bool DialDefaultEntry();
  bool DialAccelerated();
  void TimerTimer() { DialAccelerated(); }
  // A dial's progress (main thread).
  void DialProgress(uint32_t state, uint32_t error);
  // What the worker's call to the service returned (main thread): 0 when the dial started.
  void DialStartResult(bool accelerated, uint32_t code);

  // Any thread.
  bool OwnDialPending() const { return own_dial_pending_.load(); }

  // State, for the window and for tests.
  const std::vector<ConnectionRecord>& connections() const { return connections_; }
  const std::vector<std::string>& entries() const { return entries_; }
  int32_t current_connection() const { return current_; }
  uint32_t previous_connection_count() const { return previous_count_; }
  int32_t pending_ras_event() const { return pending_ras_event_; }
  bool redial_pending() const { return redial_pending_; }
  bool safe_connection_active() const { return safe_connection_active_; }
  bool foreign_country() const { return foreign_country_; }
  bool update_check_started() const { return update_check_started_; }
  const ConnectionView& view() const { return view_; }
  uint64_t shown_handle() const { return shown_handle_; }
  int32_t own_country_code() const { return own_country_code_; }

 private:
  void ConnectedBranch();
  void DisconnectedBranch();
  void StartUpdateCheck();
  void HangUpCurrent(int32_t delay_seconds);
  void SetOwnDialPending(bool on) { own_dial_pending_.store(on); }
  // The program's own dial ended without a connection.
  void OwnDialFailed(bool accelerated);

  MonitorPorts p_;
  std::vector<ConnectionRecord> connections_;
  std::vector<std::string> entries_;
  int32_t current_ = -1;
  // The handle of the connection the window shows: the one the enforcement and the disconnect
  // button act on (the index moves on after each redraw).
  uint64_t shown_handle_ = 0;
  uint32_t previous_count_ = 0;
  // The count before the refresh of a disconnection: the redraw sets previous_count_ to the new
  // count, and a connection ended while others stay up would pass for a modem reset.
  uint32_t count_before_disconnect_ = 0;
  int32_t own_country_code_ = 0;
  std::string accelerated_number_;  // ANSI bytes
  bool foreign_country_ = false;
  bool safe_connection_active_ = false;
  bool manual_refresh_ = false;
  int32_t pending_ras_event_ = pending::kNone;
  bool redial_pending_ = false;
  std::atomic<bool> own_dial_pending_{false};
  bool update_check_started_ = false;
  // The menu command clears OwnDialPending once its dial has started.
  bool clear_own_dial_after_start_ = false;
  std::mutex idle_lock_;
  bool idle_busy_ = false;
  ConnectionView view_;
};

}  // namespace lw
