#include "shell/win/main_thread.h"

#include <windows.h>

#include <atomic>
#include <future>
#include <memory>

namespace lw {

namespace {

constexpr UINT kRunWork = WM_APP + 0x51;
constexpr wchar_t kClassName[] = L"LarkWatchMainThreadDispatcher";

std::atomic<HWND> g_window{nullptr};
DWORD g_main_thread_id = 0;

LRESULT CALLBACK DispatcherProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunWork) {
    std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lparam));
    if (*work) (*work)();
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

bool InitMainThreadDispatcher() {
  if (g_window.load()) return true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = DispatcherProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  RegisterClassW(&window_class);
  HWND window =
      CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (!window) return false;
  g_main_thread_id = GetCurrentThreadId();
  g_window.store(window);
  return true;
}

void ShutdownMainThreadDispatcher() {
  HWND window = g_window.exchange(nullptr);
  if (!window) return;
  // Work that was posted but never ran is freed, not run.
  MSG message;
  while (PeekMessageW(&message, window, kRunWork, kRunWork, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  }
  DestroyWindow(window);
}

bool IsMainThread() { return GetCurrentThreadId() == g_main_thread_id; }

bool RunOnMainThread(std::function<void()> work) {
  HWND window = g_window.load();
  if (!window) return false;
  auto* posted = new std::function<void()>(std::move(work));
  if (!PostMessageW(window, kRunWork, 0, reinterpret_cast<LPARAM>(posted))) {
    delete posted;
    return false;
  }
  return true;
}

bool RunOnMainThreadAndWait(const std::function<void()>& work) {
  if (IsMainThread()) {
    work();
    return true;
  }
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> finished = done->get_future();
  if (!RunOnMainThread([done, &work] {
        work();
        done->set_value();
      })) {
    return false;
  }
  // The work is dropped, not run, if the dispatcher goes first: then the promise breaks.
  try {
    finished.get();
    return true;
  } catch (const std::future_error&) {
    return false;
  }
}

}  // namespace lw
