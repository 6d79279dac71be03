#pragma once
// The monitor's work away from the main thread: hang-up workers (each waits out its delay on
// a thread of its own) and the program's own dials (a dial passes through the hook library and
// may wait for the program's own queue, whose decisions may need the main thread). Results
// reach the main thread by posted work. At shutdown every worker is told to stop and awaited.

#include <windows.h>

#include <atomic>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>

#include "common/clock.h"
#include "monitor/monitor_ports.h"

namespace lw {

class ConnectionMonitor;
class TrayIcon;

// The tray icon as the workers see it: any thread sets, the icon changes on the main thread.
class WinTrayState final : public TrayState {
 public:
  // `tray` returns the icon, or null before the icon exists and after it is gone.
  explicit WinTrayState(std::function<TrayIcon*()> tray) : tray_(std::move(tray)) {}
  void SetTrayImage(int image) override;
  void SetTrayHint(const std::string& hint) override;
  int TrayImage() const override;
  std::string TrayHint() const override;

 private:
  std::function<TrayIcon*()> tray_;
  mutable std::mutex mutex_;
  int image_ = -1;
  std::string hint_;
};

// Threads that are awaited at shutdown, and a stop signal that ends their waits early.
class WorkerThreads {
 public:
  WorkerThreads();
  ~WorkerThreads();
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;

  void Run(std::function<void()> work);
  // Signals the stop and waits for every thread.
  void StopAndJoin();
  bool stopping() const { return stopping_.load(); }
  // A sleep that ends early at the stop.
  void Wait(uint32_t milliseconds) const { WaitForSingleObject(stop_, milliseconds); }

 private:
  struct Worker {
    std::thread thread;
    std::atomic<bool> done{false};
  };
  void Reap();  // joins the finished ones

  HANDLE stop_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::list<Worker> workers_;
};

struct WorkerPorts {
  DialUp& dialup;
  Notifier& notifier;
  TrayState& tray;
  const MessageTable& messages;
  // Where dial results go, on the main thread.
  std::atomic<ConnectionMonitor*>& monitor;
  // The program update check, run to its end on a worker thread; its argument tells it that
  // the program is closing.
  std::function<void(std::function<bool()> stop)> update_check;
};

class WinMonitorWorkers final : public MonitorWorkers {
 public:
  explicit WinMonitorWorkers(WorkerPorts ports) : p_(ports) {}

  void StartHangUp(uint64_t handle, int32_t delay_seconds, bool by_user) override;
  void StartDial(const DialParams& params, bool accelerated) override;
  // The update check runs among the workers, so that the program's closing asks it to stop
  // and waits for its end.
  void StartUpdateCheck() override;

  void StopAndJoin() { threads_.StopAndJoin(); }

 private:
  // The clock of a hang-up worker: its sleeps end early when the program ends.
  class StoppableClock final : public Clock {
   public:
    explicit StoppableClock(const WorkerThreads& threads) : threads_(threads) {}
    void Sleep(uint32_t milliseconds) override { threads_.Wait(milliseconds); }
    uint64_t ElapsedMs() override { return GetTickCount64(); }
    std::string LocalDateTimeText() override { return {}; }

   private:
    const WorkerThreads& threads_;
  };

  WorkerPorts p_;
  WorkerThreads threads_;
};

}  // namespace lw
