// The commands that wait for windows, read them and act on them.

#include <string>
#include <vector>

#include "driver_commands.h"
#include "driver_common.h"
#include "driver_keys.h"
#include "driver_windows.h"

namespace lw::e2e {

namespace {

// Checks the number of positional arguments.
bool Positional(const Args& args, std::size_t least, std::size_t most, const char* usage) {
  if (args.positional.size() < least || args.positional.size() > most) {
    PrintError(std::string("usage: lwdriver.exe ") + usage);
    return false;
  }
  return true;
}

// The window CLASS [TITLE] of a command that acts on one, waited for; prints not-found= and
// returns nullptr when it did not appear in time.
HWND TargetWindow(const Args& args, DWORD timeout_ms) {
  const WindowQuery query = QueryOf(args.positional, args.Flag(L"--visible"));
  HWND window = WaitForWindow(query, timeout_ms);
  if (!window) PrintLine("not-found=" + Escape(query.class_name));
  return window;
}

}  // namespace

int WaitWindowCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {L"--visible"});
  if (!args || !Positional(*args, 1, 2, "wait-window CLASS [TITLE] [--timeout MS] [--visible]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  const WindowQuery query = QueryOf(args->positional, args->Flag(L"--visible"));
  HWND window = WaitForWindow(query, static_cast<DWORD>(*timeout));
  if (!window) {
    PrintLine("timeout=" + Escape(query.class_name));
    return kExitNotFound;
  }
  PrintWindow(window);
  return kExitOk;
}

int WaitGoneCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {L"--visible"});
  if (!args || !Positional(*args, 1, 2, "wait-gone CLASS [TITLE] [--timeout MS] [--visible]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  // With --visible, a window that is only hidden counts as gone.
  const WindowQuery query = QueryOf(args->positional, args->Flag(L"--visible"));
  const Deadline deadline(*timeout);
  for (;;) {
    std::vector<HWND> found = FindWindows(query);
    if (found.empty()) {
      PrintLine("gone=" + Escape(query.class_name));
      return kExitOk;
    }
    if (deadline.Passed()) {
      PrintLine("timeout=" + Escape(query.class_name));
      PrintWindow(found.front());
      return kExitNotFound;
    }
    deadline.Pause();
  }
}

int WaitTextCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {L"--visible"});
  if (!args || !Positional(*args, 1, 1, "wait-text TEXT [--timeout MS] [--visible]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  const std::wstring& wanted = args->positional[0];
  const bool visible_only = args->Flag(L"--visible");
  const Deadline deadline(*timeout);
  for (;;) {
    for (HWND top : TopLevelWindows()) {
      if (visible_only && !IsWindowVisible(top)) continue;
      std::vector<HWND> candidates{top};
      for (HWND child : Descendants(top)) candidates.push_back(child);
      for (HWND window : candidates) {
        const std::wstring text = TextOf(window);
        if (text.find(wanted) == std::wstring::npos) continue;
        PrintLine("hwnd=" + HandleText(top));
        PrintLine("class=" + Escape(ClassOf(top)));
        PrintLine("control=" + Escape(ClassOf(window)));
        PrintLine("text=" + Escape(text));
        return kExitOk;
      }
    }
    if (deadline.Passed()) {
      PrintLine("timeout=" + Escape(wanted));
      return kExitNotFound;
    }
    deadline.Pause();
  }
}

int TextCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {L"--visible"});
  if (!args || !Positional(*args, 1, 2, "text CLASS [TITLE] [--timeout MS] [--visible]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  HWND window = TargetWindow(*args, static_cast<DWORD>(*timeout));
  if (!window) return kExitNotFound;
  PrintLine(Escape(ClassOf(window)) + ": " + Escape(TextOf(window)));
  for (HWND child : Descendants(window)) {
    PrintLine(Escape(ClassOf(child)) + ": " + Escape(TextOf(child)));
  }
  return kExitOk;
}

int ClickCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {});
  if (!args || !Positional(*args, 2, 2, "click CLASS BUTTONTEXT [--timeout MS]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  WindowQuery query;
  query.class_name = args->positional[0];
  const std::wstring wanted = WithoutMnemonics(args->positional[1]);
  const Deadline deadline(*timeout);
  // The button may not exist yet, or be disabled for a moment after its window appeared: both
  // are waited for.
  bool seen_disabled = false;
  for (;;) {
    for (HWND window : FindWindows(query)) {
      HWND button = nullptr;
      for (HWND child : Descendants(window)) {
        if (WithoutMnemonics(TextOf(child)) != wanted) continue;
        if (!IsWindowEnabled(child)) {
          seen_disabled = true;
          continue;
        }
        // A button of that text is preferred to a label of the same text.
        if (!button || SameClass(ClassOf(child), L"Button")) button = child;
      }
      if (!button) continue;
      // Posted, not sent: the click may open a modal box, and the sender would wait for it.
      if (!PostMessageW(button, BM_CLICK, 0, 0)) {
        PrintError("PostMessage failed: " + std::to_string(GetLastError()));
        return kExitFailed;
      }
      PrintLine("clicked=" + HandleText(button));
      PrintLine("class=" + Escape(ClassOf(button)));
      PrintLine("text=" + Escape(TextOf(button)));
      PrintLine("window=" + HandleText(window));
      return kExitOk;
    }
    if (deadline.Passed()) {
      PrintLine(std::string(seen_disabled ? "disabled=" : "not-found=") + Escape(wanted));
      return kExitNotFound;
    }
    deadline.Pause();
  }
}

int KeyCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args =
      ParseArgs(argc, argv, first, {L"--timeout"}, {L"--ctrl", L"--post", L"--visible"});
  if (!args ||
      !Positional(*args, 2, 2, "key CLASS VK [--ctrl] [--post] [--timeout MS] [--visible]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  const std::optional<UINT> key = ParseVirtualKey(args->positional[1]);
  if (!key) {
    PrintError("unknown virtual key " + Utf8(args->positional[1]));
    return kExitUsage;
  }
  Args target = *args;
  target.positional.resize(1);
  HWND window = TargetWindow(target, static_cast<DWORD>(*timeout));
  if (!window) return kExitNotFound;
  const KeyOutcome outcome = PressKey(window, *key, args->Flag(L"--ctrl"), args->Flag(L"--post"));
  if (!outcome.delivered) return kExitFailed;
  PrintLine("key=" + std::to_string(*key));
  PrintLine(std::string("ctrl=") + (args->Flag(L"--ctrl") ? "1" : "0"));
  PrintLine("method=" + outcome.method);
  PrintLine("target=" + HandleText(outcome.target));
  PrintLine("window=" + HandleText(window));
  return kExitOk;
}

int CloseCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args =
      ParseArgs(argc, argv, first, {L"--timeout", L"--wparam"}, {L"--visible"});
  if (!args ||
      !Positional(*args, 1, 2, "close CLASS [TITLE] [--wparam N] [--timeout MS] [--visible]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  const std::optional<uint64_t> wparam = args->Number(L"--wparam", 0);
  if (!timeout || !wparam) return kExitUsage;
  HWND window = TargetWindow(*args, static_cast<DWORD>(*timeout));
  if (!window) return kExitNotFound;
  if (!PostMessageW(window, WM_CLOSE, static_cast<WPARAM>(*wparam), 0)) {
    PrintError("PostMessage failed: " + std::to_string(GetLastError()));
    return kExitFailed;
  }
  PrintLine("closed=" + HandleText(window));
  PrintLine("wparam=" + std::to_string(*wparam));
  return kExitOk;
}

int MenuCommandCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {});
  if (!args || !Positional(*args, 2, 2, "command CLASS ID [--timeout MS]")) return kExitUsage;
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  const std::optional<uint64_t> id = ParseNumber(args->positional[1]);
  if (!timeout || !id) return kExitUsage;
  args->positional.pop_back();
  HWND window = TargetWindow(*args, static_cast<DWORD>(*timeout));
  if (!window) return kExitNotFound;
  // Posted, as the menu itself does: the command may open a modal box.
  if (!PostMessageW(window, WM_COMMAND, static_cast<WPARAM>(*id), 0)) {
    PrintError("PostMessage failed: " + std::to_string(GetLastError()));
    return kExitFailed;
  }
  PrintLine("command=" + std::to_string(*id));
  return kExitOk;
}

// The items of the window's list and tree views, by asking them (their counts cross processes
// as plain numbers).
int CountCommand(int argc, wchar_t** argv, int first) {
  std::optional<Args> args = ParseArgs(argc, argv, first, {L"--timeout"}, {L"--visible"});
  if (!args || !Positional(*args, 1, 2, "count CLASS [TITLE] [--timeout MS] [--visible]")) {
    return kExitUsage;
  }
  const std::optional<uint64_t> timeout = args->Number(L"--timeout", kDefaultTimeoutMs);
  if (!timeout) return kExitUsage;
  HWND window = TargetWindow(*args, static_cast<DWORD>(*timeout));
  if (!window) return kExitNotFound;
  for (HWND child : Descendants(window)) {
    const std::wstring name = ClassOf(child);
    if (name == L"SysListView32") {
      const LRESULT items = SendMessageW(child, 0x1004 /* LVM_GETITEMCOUNT */, 0, 0);
      PrintLine("list=" + std::to_string(items));
    } else if (name == L"SysTreeView32") {
      const LRESULT items = SendMessageW(child, 0x1105 /* TVM_GETCOUNT */, 0, 0);
      PrintLine("tree=" + std::to_string(items));
    }
  }
  return kExitOk;
}

}  // namespace lw::e2e
