#include "notify/win/info_form.h"

#include <commctrl.h>

#include <algorithm>

#include "common/text.h"
#include "common/win/wide.h"
#include "config/message_lines.h"
#include "config/messages.h"
#include "config/settings.h"
#include "notify/win/form_support.h"
#include "notify/win/main_images.h"

namespace lw {

namespace {

constexpr int kLabelInfoId = 100;
constexpr int kMinHeight = 29;
// The note's length when WarningsTime holds no integer.
constexpr int32_t kShowSecondsFallback = 5;

}  // namespace

InfoForm::InfoForm(InfoFormDeps deps) : deps_(std::move(deps)) {
  ui::RegisterFormClass(kClassName, ui::FormProc<InfoForm>, CS_DBLCLKS,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INFOBK + 1)));
  CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"LarkWatch",
                  WS_POPUP, 0, 0, 276, kMinHeight, nullptr, nullptr, GetModuleHandleW(nullptr),
                  this);
  if (window_ == nullptr) return;
  label_info_ = ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY,
                                  kLabelInfoId);
  ui::SetWindowTextUtf8(label_info_, deps_.messages.Text(msg::NoConnections));
  const SIZE label = ui::MeasureText(ui::MessageFont(), Widen(text()));
  MoveWindow(label_info_, kLabelLeft, kLabelTop, label.cx, label.cy, FALSE);
}

InfoForm::~InfoForm() {
  if (window_) DestroyWindow(window_);
}

std::string InfoForm::text() const { return ui::WindowTextUtf8(label_info_); }

bool InfoForm::visible() const { return window_ != nullptr && IsWindowVisible(window_); }

void InfoForm::ReadSettings() {
  const auto settings = deps_.settings.Snapshot();
  position_mode_ = settings->InfoAppear;
  show_seconds_ = IntegerOr(settings->WarningsTime, kShowSecondsFallback);
  reload_settings_ = false;
}

void InfoForm::ShowInfo(const std::string& text, int image) {
  if (window_ == nullptr) return;
  Close();
  if (image >= 0) image_ = image;
  if (visible()) Close();
  if (!text.empty()) ui::SetWindowTextUtf8(label_info_, text);

  const SIZE label = ui::MeasureText(ui::MessageFont(), Widen(this->text()));
  MoveWindow(label_info_, kLabelLeft, kLabelTop, label.cx, label.cy, FALSE);
  const int height = std::max<int>(label.cy + 16, kMinHeight);
  const int width = label.cx + 45;

  if (reload_settings_) ReadSettings();

  const SIZE desktop = ui::DesktopSize();
  int left, top;
  if (position_mode_ == 0) {
    left = (desktop.cx - width) / 2;
    top = (desktop.cy - height) / 2;
  } else {
    left = desktop.cx - width - 10;
    top = desktop.cy - height - 30;
  }

  remaining_ = show_seconds_;
  SetWindowPos(window_, HWND_TOPMOST, left, top, width, height, SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
  ShowWindow(window_, SW_SHOWNOACTIVATE);
  SetTimer(window_, kTimerInfoId, kTimerInfoMs, nullptr);

  if (deps_.hide_taskbar_button_unless_dialogs) deps_.hide_taskbar_button_unless_dialogs();
}

void InfoForm::Close() {
  if (window_ == nullptr) return;
  KillTimer(window_, kTimerInfoId);
  ShowWindow(window_, SW_HIDE);
}

void InfoForm::TimerInfoTimer() {
  const int before = remaining_--;
  if (before < 1) Close();
}

void InfoForm::FormDblClick() {
  if (deps_.settings.Snapshot()->WarningsDblClk) Close();
}

void InfoForm::LabelInfoDblClick() { FormDblClick(); }

void InfoForm::FormClose() {
  // The note is never destroyed by a close request: it hides, and when the log-on is ending
  // that is all closing means for it too.
  Close();
}

void InfoForm::FormPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  RECT client;
  GetClientRect(window_, &client);
  FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
  if (image_ >= 0 && image_ < kMainImageCount) {
    ImageList_Draw(MainImageList(), image_, dc, kImageLeft, kImageTop, ILD_TRANSPARENT);
  }
  EndPaint(window_, &paint);
}

LRESULT InfoForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kTimerInfoId) {
        TimerInfoTimer();
        return 0;
      }
      break;
    case WM_LBUTTONDBLCLK:
      FormDblClick();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kLabelInfoId && HIWORD(wparam) == STN_DBLCLK) {
        LabelInfoDblClick();
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wparam);
      SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
      SetBkColor(dc, GetSysColor(COLOR_INFOBK));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_INFOBK));
    }
    case WM_PAINT:
      FormPaint();
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    case WM_QUERYENDSESSION:
      shutdown_pending_ = true;
      return TRUE;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace lw
