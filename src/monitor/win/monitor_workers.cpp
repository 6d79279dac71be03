#include "monitor/win/monitor_workers.h"

#include "monitor/connection_monitor.h"
#include "monitor/hang_up.h"
#include "notify/win/tray_icon.h"
#include "shell/win/main_thread.h"

namespace lw {

void WinTrayState::SetTrayImage(int image) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    image_ = image;
  }
  RunOnMainThread([tray = tray_, image] {
    if (TrayIcon* icon = tray()) icon->SetImage(image);
  });
}

void WinTrayState::SetTrayHint(const std::string& hint) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    hint_ = hint;
  }
  RunOnMainThread([tray = tray_, hint] {
    if (TrayIcon* icon = tray()) icon->SetHint(hint);
  });
}

int WinTrayState::TrayImage() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return image_;
}

std::string WinTrayState::TrayHint() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return hint_;
}

WorkerThreads::WorkerThreads() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WorkerThreads::~WorkerThreads() {
  StopAndJoin();
  if (stop_) CloseHandle(stop_);
}

void WorkerThreads::Run(std::function<void()> work) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_.load()) return;
  Reap();
  Worker& worker = workers_.emplace_back();
  worker.thread = std::thread([&worker, work = std::move(work)] {
    work();
    worker.done.store(true);
  });
}

void WorkerThreads::Reap() {
  for (auto it = workers_.begin(); it != workers_.end();) {
    if (it->done.load()) {
      it->thread.join();
      it = workers_.erase(it);
    } else {
      ++it;
    }
  }
}

void WorkerThreads::StopAndJoin() {
  stopping_.store(true);
  if (stop_) SetEvent(stop_);
  std::list<Worker> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.splice(workers.end(), workers_);
  }
  for (Worker& worker : workers) {
    if (worker.thread.joinable()) worker.thread.join();
  }
}

void WinMonitorWorkers::StartHangUp(uint64_t handle, int32_t delay_seconds, bool by_user) {
  threads_.Run([this, job = HangUpJob{handle, delay_seconds, by_user}] {
    StoppableClock clock(threads_);
    HangUpPorts ports{p_.dialup,   p_.notifier, p_.tray,
                      p_.messages, clock,       [this] { return threads_.stopping(); }};
    RunHangUp(job, ports);
  });
}

void WinMonitorWorkers::StartDial(const DialParams& params, bool accelerated) {
  threads_.Run([this, params, accelerated] {
    std::atomic<ConnectionMonitor*>* monitor = &p_.monitor;
    const uint32_t code =
        p_.dialup.Dial(params, [monitor](uint64_t, uint32_t state, uint32_t error) {
          RunOnMainThread([monitor, state, error] {
            if (ConnectionMonitor* target = monitor->load()) target->DialProgress(state, error);
          });
        });
    RunOnMainThread([monitor, accelerated, code] {
      if (ConnectionMonitor* target = monitor->load()) target->DialStartResult(accelerated, code);
    });
  });
}

void WinMonitorWorkers::StartUpdateCheck() {
  if (!p_.update_check) return;
  threads_.Run([this] { p_.update_check([this] { return threads_.stopping(); }); });
}

}  // namespace lw
