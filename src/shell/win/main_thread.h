#pragma once
// The one route from worker threads to windows: work is posted to the main thread and runs
// there, in its message loop (modal loops included). No worker touches a window directly.

#include <functional>

namespace lw {

// Creates the hidden message-only window that runs posted work. Called once, on the main
// thread, before any worker thread starts.
bool InitMainThreadDispatcher();
// Destroys it at shutdown; work posted afterwards is dropped, work still queued is discarded.
void ShutdownMainThreadDispatcher();

bool IsMainThread();

// Runs `work` on the main thread later. From the main thread itself it is queued too, so the
// caller's state is never re-entered. False when the work was dropped (no dispatcher).
bool RunOnMainThread(std::function<void()> work);

// Runs `work` on the main thread and waits until it has run (at once when called there).
// Only for short reads of window state; never call it while holding a lock that the main
// thread may wait for. False when the work could not run.
bool RunOnMainThreadAndWait(const std::function<void()>& work);

}  // namespace lw
