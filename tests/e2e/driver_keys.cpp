#include "driver_keys.h"

#include <cwctype>
#include <iterator>
#include <string>

#include "driver_common.h"

namespace lw::e2e {

namespace {

struct NamedKey {
  std::wstring_view name;
  UINT key;
};

constexpr NamedKey kNamedKeys[] = {
    {L"ESC", VK_ESCAPE},    {L"ESCAPE", VK_ESCAPE}, {L"RETURN", VK_RETURN}, {L"ENTER", VK_RETURN},
    {L"TAB", VK_TAB},       {L"SPACE", VK_SPACE},   {L"BACK", VK_BACK},     {L"DELETE", VK_DELETE},
    {L"INSERT", VK_INSERT}, {L"HOME", VK_HOME},     {L"END", VK_END},       {L"PRIOR", VK_PRIOR},
    {L"PAGEUP", VK_PRIOR},  {L"NEXT", VK_NEXT},     {L"PAGEDOWN", VK_NEXT}, {L"LEFT", VK_LEFT},
    {L"RIGHT", VK_RIGHT},   {L"UP", VK_UP},         {L"DOWN", VK_DOWN},
};

// The lParam of a key message: repeat count 1, the scan code, and for a release the previous
// state and transition bits.
LPARAM KeyLParam(UINT key, bool up) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  LPARAM lparam = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
  if (up) lparam |= (LPARAM{1} << 30) | (LPARAM{1} << 31);
  return lparam;
}

// The control of `window` that has the keyboard focus, or nullptr.
HWND FocusInside(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  HWND focus = info.hwndFocus;
  if (focus && (focus == window || IsChild(window, focus))) return focus;
  return nullptr;
}

bool BringToFront(HWND window) {
  const Deadline deadline(1000);
  for (;;) {
    SetForegroundWindow(window);
    if (GetForegroundWindow() == window) return true;
    if (deadline.Passed()) return false;
    deadline.Pause();
  }
}

INPUT KeyInput(UINT key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = static_cast<WORD>(key);
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

bool SendAsInput(UINT key, bool ctrl) {
  INPUT inputs[4];
  UINT count = 0;
  if (ctrl) inputs[count++] = KeyInput(VK_CONTROL, false);
  inputs[count++] = KeyInput(key, false);
  inputs[count++] = KeyInput(key, true);
  if (ctrl) inputs[count++] = KeyInput(VK_CONTROL, true);
  return SendInput(count, inputs, sizeof(INPUT)) == count;
}

bool PostKeys(HWND target, UINT key, bool ctrl) {
  const DWORD thread = GetWindowThreadProcessId(target, nullptr);
  const bool attached = ctrl && AttachThreadInput(GetCurrentThreadId(), thread, TRUE);
  BYTE saved[256] = {};
  if (attached) {
    GetKeyboardState(saved);
    BYTE held[256];
    std::copy(std::begin(saved), std::end(saved), held);
    held[VK_CONTROL] |= 0x80;
    held[VK_LCONTROL] |= 0x80;
    SetKeyboardState(held);
  }
  bool ok = true;
  if (ctrl) ok &= PostMessageW(target, WM_KEYDOWN, VK_CONTROL, KeyLParam(VK_CONTROL, false)) != 0;
  ok &= PostMessageW(target, WM_KEYDOWN, key, KeyLParam(key, false)) != 0;
  ok &= PostMessageW(target, WM_KEYUP, key, KeyLParam(key, true)) != 0;
  if (ctrl) ok &= PostMessageW(target, WM_KEYUP, VK_CONTROL, KeyLParam(VK_CONTROL, true)) != 0;
  if (attached) {
    Sleep(kPostSettleMs);
    SetKeyboardState(saved);
    AttachThreadInput(GetCurrentThreadId(), thread, FALSE);
  }
  return ok;
}

}  // namespace

std::optional<UINT> ParseVirtualKey(std::wstring_view text) {
  if (std::optional<uint64_t> number = ParseNumber(text)) {
    if (*number == 0 || *number > 0xFE) return std::nullopt;
    return static_cast<UINT>(*number);
  }
  std::wstring upper;
  for (wchar_t c : text) upper += static_cast<wchar_t>(std::towupper(c));
  if (upper.rfind(L"VK_", 0) == 0) upper.erase(0, 3);
  if (upper.size() == 1 &&
      ((upper[0] >= L'A' && upper[0] <= L'Z') || (upper[0] >= L'0' && upper[0] <= L'9'))) {
    return static_cast<UINT>(upper[0]);
  }
  if (upper.size() >= 2 && upper[0] == L'F') {
    std::optional<uint64_t> n = ParseNumber(std::wstring_view(upper).substr(1));
    if (n && *n >= 1 && *n <= 24) return static_cast<UINT>(VK_F1 + *n - 1);
  }
  for (const NamedKey& named : kNamedKeys) {
    if (named.name == upper) return named.key;
  }
  return std::nullopt;
}

KeyOutcome PressKey(HWND window, UINT key, bool ctrl, bool post_only) {
  KeyOutcome outcome;
  if (!post_only && BringToFront(window)) {
    outcome.method = "input";
    HWND focus = FocusInside(window);
    outcome.target = focus ? focus : window;
    outcome.delivered = SendAsInput(key, ctrl);
    if (!outcome.delivered) PrintError("SendInput failed: " + std::to_string(GetLastError()));
    return outcome;
  }
  outcome.method = "post";
  HWND focus = FocusInside(window);
  outcome.target = focus ? focus : window;
  outcome.delivered = PostKeys(outcome.target, key, ctrl);
  if (!outcome.delivered) PrintError("PostMessage failed: " + std::to_string(GetLastError()));
  return outcome;
}

}  // namespace lw::e2e
