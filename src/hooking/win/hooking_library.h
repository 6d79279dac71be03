#pragma once
// The hooking machinery as the program starts and stops it, in seven operations:
//
//   SetUp          once, before the others
//   QueueNumber    the number that makes the queue's name: QueueName(QueueNumber())
//   CreateQueue    the queue with its handler; false means another instance serves
//   Inject         the hook library into every process with a message loop
//   Remove         the hook library out again
//   TearDown       last: the queue's threads end, the queue and the hook are released
//   Gate           asked for every request before the handler sees it (see QueueGateAdmits)
//
// and StartServing, which lets held requests through once every window of the program exists.
//
// Threads: the main thread calls all operations. The handler runs on the queue's threads
// (see QueueServer).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "hooking/win/hook_injector.h"
#include "hooking/win/queue_server.h"

namespace lw {

class HookingLibrary {
 public:
  HookingLibrary() = default;
  ~HookingLibrary();  // TearDown
  HookingLibrary(const HookingLibrary&) = delete;
  HookingLibrary& operator=(const HookingLibrary&) = delete;

  // Finds the program's folder, where the hook library lies.
  void SetUp();
  // The session of this process.
  uint32_t QueueNumber() const;
  // Creates the queue `name` and attaches `handler`; requests are held until StartServing.
  // False when the queue cannot be created, which is taken to mean that another instance of
  // the program serves this session.
  bool CreateQueue(std::wstring_view name, QueueHandler handler, const QueueOptions& options = {});
  void StartServing();
  // larkwatch.dll from the program's folder.
  HookOutcome Inject();
  HookOutcome Remove();
  // Removes the hook if it is still in place, ends the queue's threads and releases the queue.
  // A request whose handler is still deciding is waited for, so pending decisions must be
  // brought to an end first (a question window that closes answers its question).
  void TearDown();
  static bool Gate(std::size_t message_length) { return QueueGateAdmits(message_length); }

  // The queue, null before CreateQueue succeeds and after TearDown.
  QueueServer* queue() const { return queue_.get(); }
  // Where Inject looks for the hook library.
  std::wstring HookLibraryPath() const;

 private:
  std::wstring folder_;
  std::unique_ptr<QueueServer> queue_;
  std::unique_ptr<HookInjector> injector_;
};

}  // namespace lw
