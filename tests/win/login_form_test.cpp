// The credential prompt (TLoginForm), asked modally on the test's thread: a timer of the test
// acts while the prompt's own loop runs. Needs a display (Xvfb).

#include "config/win/login_form.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "monitor/connection_view.h"
#include "notify/win/form_support.h"
#include "support/modal_script.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using test::SnapWindow;

using test::PostKey;
using test::Text;
using test::Type;

class LoginFormTest : public test::ModalWindowTest {
 protected:
  void SetUp() override {
    CreateOwner(L"LarkWatchLoginOwner");
    form_ = std::make_unique<TLoginForm>(texts_, CountTaskbarShows(), CountTaskbarHides(), owner_,
                                         CountIdles());
    ASSERT_TRUE(form_->Create()) << "no window: is there a display (Xvfb)?";
  }
  void TearDown() override {
    form_.reset();
    DestroyOwner();
  }

  // Asks with the given steps; the steps must have run to the last.
  bool Ask(LoginFields& fields, std::vector<std::function<void()>> steps) {
    return RunSteps(form_->hwnd(), std::move(steps), [&] { return form_->ShowModal(fields); });
  }

  static LoginFields Connection() {
    LoginFields fields;
    fields.entry_name = "Połączenie z Internetem";
    fields.phone_no = "0 202 122";
    fields.country = "Polska (48)";
    return fields;
  }

  ControlTexts texts_;
  std::unique_ptr<TLoginForm> form_;
};

TEST_F(LoginFormTest, ShowsTheGivenFieldsAndTheTextsOfTheMoment) {
  TLoginForm& form = *form_;
  wchar_t name[64] = {};
  GetClassNameW(form.hwnd(), name, 64);
  EXPECT_STREQ(name, L"TLoginForm");
  EXPECT_FALSE(form.IsVisible());
  const LONG_PTR style = GetWindowLongPtrW(form.hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  LoginFields fields = Connection();
  const bool confirmed = Ask(
      fields,
      {[&] {
         EXPECT_EQ(Text(form.hwnd()), "LarkWatch - logowanie...");
         EXPECT_EQ(Text(form.entry_name()), "Połączenie z Internetem");
         EXPECT_EQ(Text(form.phone_no()), "0 202 122");
         EXPECT_EQ(Text(form.country()), "Polska (48)");
         EXPECT_EQ(Text(form.user_edit()), "");
         EXPECT_EQ(Text(form.pass_edit()), "");
         for (HWND read_only : {form.entry_name(), form.phone_no(), form.country()}) {
           EXPECT_TRUE(GetWindowLongPtrW(read_only, GWL_STYLE) & ES_READONLY);
         }
         EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TLoginForm::kLabelUserId)), "Nazwa użytkownika");
         EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TLoginForm::kLabelPassId)), "Hasło");
         EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TLoginForm::kLabelEntryNameId)),
                   "Nazwa wpisu do książki telefonicznej");
         EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TLoginForm::kLabelCountryId)), "Kraj (kod kraju)");
         EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TLoginForm::kLabelPhoneNoId)),
                   "Numer telefonu (strefa - numer)");
         EXPECT_EQ(Text(form.button_ok()), "OK");
         EXPECT_EQ(Text(form.button_cancel()), "Anuluj");
         EXPECT_EQ(form.HintOf(form.button_ok()), "Potwierdzenie (Ctrl+Enter)");
         EXPECT_EQ(form.HintOf(form.button_cancel()), "Anulowanie (Esc)");
         EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
         // Windows of tests run beside this one may take the foreground, and the focus with it.
         if (GetForegroundWindow() == form.hwnd()) {
           EXPECT_EQ(GetFocus(), form.user_edit());
         }
         // The order of Tab: the two edits and the buttons that are enabled.
         EXPECT_EQ(GetNextDlgTabItem(form.hwnd(), form.user_edit(), FALSE), form.pass_edit());
         EXPECT_EQ(GetNextDlgTabItem(form.hwnd(), form.pass_edit(), FALSE), form.button_cancel());
         EXPECT_EQ(GetNextDlgTabItem(form.hwnd(), form.button_cancel(), FALSE), form.user_edit());
         EXPECT_FALSE(IsWindowEnabled(owner_));
         EXPECT_EQ(taskbar_shows_, 1);
         EXPECT_EQ(taskbar_hides_, 0);
         // Centred on the screen.
         RECT window;
         GetWindowRect(form.hwnd(), &window);
         const SIZE desktop = ui::DesktopSize();
         EXPECT_EQ(window.left, (desktop.cx - (window.right - window.left)) / 2);
         EXPECT_EQ(window.top, (desktop.cy - (window.bottom - window.top)) / 2);
         SnapWindow(form.hwnd(), "login_pl");
       },
       test::Await([&] { return idles_ > 0; }), [&] { PostKey(form.user_edit(), VK_ESCAPE); }});
  EXPECT_FALSE(confirmed);
  EXPECT_FALSE(form.IsVisible());
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(taskbar_hides_, 1);
  EXPECT_GT(idles_, 0);  // the program's idle processing went on

  // A language file applied meanwhile: the next show has its texts, laid out for them.
  texts_.Set(62, "LarkWatch - log on...");
  texts_.Set(67, "User name");
  texts_.Set(69, "Phonebook entry name");
  texts_.Set(71, "Phone number (area code - number), a much longer translation");
  texts_.Set(65, "Cancel the log-on");
  EXPECT_FALSE(
      Ask(fields, {[&] {
            EXPECT_EQ(Text(form.hwnd()), "LarkWatch - log on...");
            EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TLoginForm::kLabelUserId)), "User name");
            for (HWND control :
                 {GetDlgItem(form.hwnd(), TLoginForm::kLabelPhoneNoId), form.button_cancel()}) {
              const SIZE text = ui::MeasureText(ui::MessageFont(), Widen(Text(control)));
              const RECT rect = ui::ControlRect(control);
              EXPECT_GE(rect.right - rect.left, text.cx) << Text(control);
              RECT client;
              GetClientRect(form.hwnd(), &client);
              EXPECT_LE(rect.right, client.right) << Text(control);
            }
            SnapWindow(form.hwnd(), "login_en");
            PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
          }}));
}

TEST_F(LoginFormTest, OkWaitsForBothFieldsAndCtrlEnterConfirms) {
  TLoginForm& form = *form_;
  LoginFields fields = Connection();
  const bool confirmed =
      Ask(fields, {[&] {
                     EXPECT_EQ(SendMessageW(form.pass_edit(), EM_GETPASSWORDCHAR, 0, 0), L'*');
                     Type(form.user_edit(), L"jan");
                     EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
                     PostKey(form.user_edit(), VK_RETURN, true);  // not yet: nothing happens
                   },
                   [&] {
                     Type(form.pass_edit(), L"tajne");
                     EXPECT_TRUE(IsWindowEnabled(form.button_ok()));
                     SetWindowTextW(form.user_edit(), L"");
                     EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
                     PostKey(form.pass_edit(), VK_RETURN, true);  // disabled again: nothing
                   },
                   [&] {
                     Type(form.user_edit(), L"kowalski");
                     EXPECT_TRUE(IsWindowEnabled(form.button_ok()));
                     PostKey(form.pass_edit(), VK_RETURN, true);
                   }});
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(fields.user, "kowalski");
  EXPECT_EQ(fields.password, "tajne");
  EXPECT_EQ(fields.entry_name, "Połączenie z Internetem");
  EXPECT_FALSE(form.IsVisible());
  // The password does not stay in the hidden window.
  EXPECT_EQ(Text(form.pass_edit()), "");

  // Shown again with what the caller has: OK is enabled from the start.
  EXPECT_TRUE(Ask(fields, {[&] {
                    EXPECT_EQ(Text(form.user_edit()), "kowalski");
                    EXPECT_TRUE(IsWindowEnabled(form.button_ok()));
                    PostMessageW(form.button_ok(), BM_CLICK, 0, 0);
                  }}));
  EXPECT_EQ(fields.password, "tajne");
}

TEST_F(LoginFormTest, PastingTwentyCharactersKeepsSixteen) {
  TLoginForm& form = *form_;
  const std::wstring pasted = L"ąbcdefghijklmnopqrśt";
  ASSERT_EQ(pasted.size(), 20u);
  auto paste = [&](HWND edit) {
    ASSERT_TRUE(OpenClipboard(form.hwnd()));
    EmptyClipboard();
    const std::size_t bytes = (pasted.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), pasted.c_str(), bytes);
    GlobalUnlock(memory);
    EXPECT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    CloseClipboard();
    SetFocus(edit);
    SendMessageW(edit, WM_PASTE, 0, 0);
  };
  LoginFields fields = Connection();
  EXPECT_TRUE(Ask(fields, {[&] {
                    paste(form.user_edit());
                    paste(form.pass_edit());
                    EXPECT_EQ(GetWindowTextLengthW(form.user_edit()), 16);
                    EXPECT_EQ(GetWindowTextLengthW(form.pass_edit()), 16);
                    // Enter in an edit confirms once both are filled.
                    PostKey(form.pass_edit(), VK_RETURN);
                  }}));
  const std::string sixteen = Narrow(pasted.substr(0, 16));
  EXPECT_EQ(fields.user, sixteen);
  EXPECT_EQ(fields.password, sixteen);

  // A longer name given by the caller is shown cut as well.
  fields.user = Narrow(pasted);
  EXPECT_FALSE(Ask(fields, {[&] {
                     EXPECT_EQ(Text(form.user_edit()), sixteen);
                     PostKey(form.user_edit(), VK_ESCAPE);
                   }}));
}

TEST_F(LoginFormTest, EveryWayOutButOkCancels) {
  TLoginForm& form = *form_;
  const struct {
    const char* name;
    std::function<void()> act;
    bool confirmed;
  } kWays[] = {
      {"Esc", [&] { PostKey(form.pass_edit(), VK_ESCAPE); }, false},
      {"Esc with Ctrl", [&] { PostKey(form.user_edit(), VK_ESCAPE, true); }, false},
      {"close box", [&] { PostMessageW(form.hwnd(), WM_CLOSE, 0, 0); }, false},
      {"Cancel", [&] { PostMessageW(form.button_cancel(), BM_CLICK, 0, 0); }, false},
      {"Enter on Cancel",
       [&] {
         SetFocus(form.button_cancel());
         PostKey(form.button_cancel(), VK_RETURN);
       },
       false},
      {"OK", [&] { PostMessageW(form.button_ok(), BM_CLICK, 0, 0); }, true},
      {"Ctrl+Enter on Cancel",
       [&] {
         SetFocus(form.button_cancel());
         PostKey(form.button_cancel(), VK_RETURN, true);
       },
       true},
  };
  for (const auto& way : kWays) {
    LoginFields fields = Connection();
    fields.user = "jan";
    fields.password = "tajne";
    EXPECT_EQ(Ask(fields, {way.act}), way.confirmed) << way.name;
    EXPECT_FALSE(form.IsVisible()) << way.name;
    EXPECT_TRUE(IsWindowEnabled(owner_)) << way.name;
  }
  EXPECT_EQ(taskbar_shows_, static_cast<int>(std::size(kWays)));
  EXPECT_EQ(taskbar_hides_, static_cast<int>(std::size(kWays)));
}

}  // namespace
}  // namespace lw
