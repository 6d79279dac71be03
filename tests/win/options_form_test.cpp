// The options dialog (TOptionsForm): its pages and texts, changes that reach the settings at
// once, Cancel and the must-configure state, and its layout in Polish and English. Driven with
// messages on the test's thread, message boxes and prompts answered by fakes; needs a display
// (Xvfb).

#include "config/win/options_form.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/codec.h"
#include "common/win/wide.h"
#include "config/control_texts.h"
#include "config/language_file.h"
#include "config/messages.h"
#include "config/settings.h"
#include "notify/win/form_support.h"
#include "support/message_pump.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using test::Pump;
using test::PumpFor;
using test::SnapWindow;

void SetControlKey(bool down) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = down ? 0x80 : 0;
  SetKeyboardState(state);
}

// The shipped English texts, read from the source tree (through Wine's Z: drive); none when
// the tree cannot be reached.
std::optional<std::string> EnglishFile() {
  const std::string path =
      std::string(__FILE__).substr(0, std::string(__FILE__).rfind("/tests/")) + "/lang/English.lng";
  for (const std::string& candidate : {"Z:" + path, path}) {
    std::ifstream in(candidate, std::ios::binary);
    if (in) return std::string(std::istreambuf_iterator<char>(in), {});
  }
  return std::nullopt;
}

class OptionsFormTest : public ::testing::Test {
 protected:
  void SetUp() override { Make(); }

  void Make() {
    form_.reset();
    TOptionsForm::Deps deps{store_, texts_, messages_, "C:\\LW\\larkwatch.exe"};
    deps.save = [this] {
      stored_ = *store_.Snapshot();
      ++saves_;
      return true;
    };
    deps.reload = [this] { store_.Replace(stored_); };
    deps.message = [this](std::string_view text, std::string_view, MessageIcon,
                          MessageButtons buttons) {
      boxes_.emplace_back(text);
      if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
      return answer_;
    };
    deps.application_title = [] { return std::string("LarkWatch"); };
    deps.ask_value = [this](std::string_view) { return typed_; };
    deps.choose_entry = [] { return ChosenEntry{true, "Entry", "123", true}; };
    deps.open_file = [](std::string_view) { return std::optional<std::string>("C:\\a.exe"); };
    deps.accelerated_number = [this] { return accelerated_; };
    deps.on_saved = [this] { ++on_saved_; };
    form_ = std::make_unique<TOptionsForm>(std::move(deps));
    ASSERT_TRUE(form_->Create());
  }

  void TearDown() override {
    form_.reset();
    SetControlKey(false);
    Pump();
  }

  HWND C(std::string_view name) { return form_->control(name); }
  bool Checked(std::string_view name) {
    return SendMessageW(C(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  void Click(std::string_view name) {
    SendMessageW(C(name), BM_CLICK, 0, 0);
    Pump();
  }
  // A key as the program's loop hands it to the form.
  bool Key(HWND target, WPARAM key, bool ctrl) {
    SetControlKey(ctrl);
    MSG message = {target, WM_KEYDOWN, key, 1, 0, {}};
    const bool handled = form_->PreTranslate(message);
    SetControlKey(false);
    Pump();
    return handled;
  }
  bool Visible(std::string_view name) { return IsWindowVisible(C(name)) != FALSE; }

  SettingsStore store_;
  ControlTexts texts_;
  MessageTable messages_;
  Settings stored_;
  std::unique_ptr<TOptionsForm> form_;
  std::vector<std::string> boxes_;
  MessageAnswer answer_ = MessageAnswer::Yes;
  std::optional<std::string> typed_;
  std::string accelerated_;
  int saves_ = 0;
  int on_saved_ = 0;
};

TEST_F(OptionsFormTest, PagesAndControlsHaveTheirTexts) {
  wchar_t class_name[64] = {};
  GetClassNameW(form_->hwnd(), class_name, 64);
  EXPECT_STREQ(class_name, L"TOptionsForm");
  EXPECT_EQ(ui::WindowTextUtf8(form_->hwnd()), "LarkWatch - opcje");
  const LONG_PTR ex_style = GetWindowLongPtrW(form_->hwnd(), GWL_EXSTYLE);
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);
  HWND tabs = C("PageControl");
  ASSERT_EQ(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0), 4);
  const char* pages[] = {"Ogólnie", "Połączenia niebezpieczne", "Połączenia bezpieczne",
                         "Uprawnienia"};
  for (int page = 0; page < 4; ++page) {
    wchar_t text[128] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    SendMessageW(tabs, TCM_GETITEMW, page, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Narrow(text), pages[page]);
  }
  EXPECT_EQ(ui::WindowTextUtf8(C("CheckBoxOnlySafe")), "Zezwalaj tylko na bezpieczne numery");
  EXPECT_EQ(ui::WindowTextUtf8(C("RadioGroupShowWarnings.1")), "Na dole po prawej");
  EXPECT_EQ(ui::WindowTextUtf8(C("ButtonCancel")), "Anuluj");
  EXPECT_EQ(form_->HintOf(C("ButtonOk")), "Zatwierdż zmiany (Ctrl+Enter)");
  EXPECT_EQ(form_->HintOf(C("ButtonNewDanger")), "Dodaj numer (Ctrl+Ins)");
  EXPECT_EQ(ui::WindowTextUtf8(C("EditWarnings")), "10");
  EXPECT_EQ(SendMessageW(C("EditWarnings"), EM_GETLIMITTEXT, 0, 0), 3);
  // The explanation of the danger page names the safe page's captions, without placeholders.
  const std::string notebook = ui::WindowTextUtf8(C("LabelNotebook"));
  EXPECT_NE(notebook.find("Bezpieczne numery"), std::string::npos);
  EXPECT_EQ(notebook.find('%'), std::string::npos);
  // A language change re-texts the window.
  texts_.Set(*ControlLineOf("TOptionsForm", "CheckBoxOnlySafe", ControlProperty::Caption),
             "Only safe numbers");
  form_->ApplyTexts();
  EXPECT_EQ(ui::WindowTextUtf8(C("CheckBoxOnlySafe")), "Only safe numbers");
  EXPECT_NE(ui::WindowTextUtf8(C("LabelNotebook")).find("Only safe numbers"), std::string::npos);
}

TEST_F(OptionsFormTest, AChangeReachesTheStoreAtOnceAndCancelRestoresTheStoredValue) {
  form_->ShowOptions(false);
  ASSERT_TRUE(form_->IsVisible());
  EXPECT_FALSE(store_.Snapshot()->AutoRun);
  Click("CheckBoxAutoRun");
  EXPECT_TRUE(store_.Snapshot()->AutoRun);
  Click("RadioGroupShowWarnings.0");
  EXPECT_EQ(store_.Snapshot()->InfoAppear, 0);
  ui::SetWindowTextUtf8(C("EditWarnings"), "7x");
  EXPECT_EQ(store_.Snapshot()->WarningsTime, "7x");
  EXPECT_TRUE(Key(C("CheckBoxAutoRun"), VK_ESCAPE, false));
  EXPECT_FALSE(form_->IsVisible());
  EXPECT_FALSE(store_.Snapshot()->AutoRun);
  EXPECT_EQ(store_.Snapshot()->InfoAppear, 1);
  EXPECT_FALSE(Checked("CheckBoxAutoRun"));
  EXPECT_EQ(ui::WindowTextUtf8(C("EditWarnings")), "10");
  EXPECT_EQ(saves_, 0);
}

TEST_F(OptionsFormTest, MustConfigureRefusesEscCancelAndCloseUntilOk) {
  form_->ShowOptions(true);
  EXPECT_EQ(form_->CurrentPage(), TOptionsForm::kSafePage);
  form_->EnterMustConfigure();
  EXPECT_FALSE(IsWindowEnabled(C("ButtonCancel")));
  Key(C("ListBoxSafe"), VK_ESCAPE, false);
  form_->ButtonCancelClick();
  SendMessageW(form_->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form_->IsVisible());
  // The session may end all the same.
  EXPECT_TRUE(SendMessageW(form_->hwnd(), WM_QUERYENDSESSION, 0, 0));
  // OK with nothing dangerous handled asks first; No keeps the dialog open.
  answer_ = MessageAnswer::No;
  EXPECT_TRUE(Key(C("ListBoxSafe"), VK_RETURN, true));
  EXPECT_TRUE(form_->IsVisible());
  EXPECT_EQ(saves_, 0);
  answer_ = MessageAnswer::Yes;
  EXPECT_TRUE(Key(C("ListBoxSafe"), VK_RETURN, true));
  EXPECT_FALSE(form_->IsVisible());
  EXPECT_EQ(saves_, 1);
  EXPECT_EQ(on_saved_, 1);
  EXPECT_FALSE(form_->MustConfigure());
  EXPECT_TRUE(IsWindowEnabled(C("ButtonCancel")));
}

TEST_F(OptionsFormTest, NumbersAddedAndDeletedWithTheirRules) {
  form_->ShowOptions(false);
  EXPECT_TRUE(form_->Flashing());
  EXPECT_FALSE(IsWindowEnabled(C("RadioButtonDangerAsk")));
  EXPECT_TRUE(Checked("RadioButtonDangerDoNothing"));
  form_->SelectPage(TOptionsForm::kDangerPage);
  typed_ = "0-700 12";
  EXPECT_TRUE(Key(C("ListBoxDanger"), VK_INSERT, true));
  EXPECT_EQ(store_.Snapshot()->DangerList, std::vector<std::string>{"070012"});
  EXPECT_EQ(SendMessageW(C("ListBoxDanger"), LB_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(Checked("RadioButtonDangerAsk"));
  EXPECT_TRUE(IsWindowEnabled(C("RadioButtonDangerAsk")));
  EXPECT_TRUE(IsWindowEnabled(C("PanelAsk")));
  EXPECT_TRUE(IsWindowEnabled(C("EditAskDiscAfterTime")));
  EXPECT_FALSE(IsWindowEnabled(C("EditDisAfterTime")));
  EXPECT_FALSE(form_->Flashing());
  Click("RadioButtonDisAfter");
  EXPECT_TRUE(store_.Snapshot()->RadioButtonDisAfter);
  EXPECT_TRUE(IsWindowEnabled(C("EditDisAfterTime")));
  EXPECT_FALSE(IsWindowEnabled(C("PanelAsk")));

  // The first safe number switches on only-safe numbers, and the danger page explains itself.
  form_->SelectPage(TOptionsForm::kSafePage);
  typed_ = "0202122";
  Click("ButtonNewSafe");
  // With a dangerous number listed the safe one is only appended.
  EXPECT_FALSE(store_.Snapshot()->OnlySafe);
  Click("CheckBoxOnlySafe");
  EXPECT_TRUE(store_.Snapshot()->OnlySafe);
  form_->SelectPage(TOptionsForm::kDangerPage);
  EXPECT_TRUE(Visible("LabelNotebook"));
  EXPECT_FALSE(Visible("ListBoxDanger"));
  // Deleting the last safe number clears only-safe.
  form_->SelectPage(TOptionsForm::kSafePage);
  SendMessageW(C("ListBoxSafe"), LB_SETCURSEL, 0, 0);
  EXPECT_TRUE(Key(C("ListBoxSafe"), VK_DELETE, true));
  EXPECT_TRUE(store_.Snapshot()->SafeList.empty());
  EXPECT_FALSE(store_.Snapshot()->OnlySafe);
  EXPECT_FALSE(Checked("CheckBoxOnlySafe"));
}

TEST_F(OptionsFormTest, OnlySafeNeedsSafeNumbersAndPermitExcludesDeny) {
  form_->ShowOptions(false);
  Click("CheckBoxOnlySafe");
  EXPECT_FALSE(store_.Snapshot()->OnlySafe);
  EXPECT_FALSE(Checked("CheckBoxOnlySafe"));
  ASSERT_EQ(boxes_.size(), 1u);
  EXPECT_EQ(boxes_[0], messages_.Text(msg::AddSafeNumbersFirst));
  EXPECT_TRUE(Checked("CheckBoxDeny"));
  Click("CheckBoxPermit");
  EXPECT_TRUE(Checked("CheckBoxPermit"));
  EXPECT_FALSE(Checked("CheckBoxDeny"));
  EXPECT_FALSE(store_.Snapshot()->Deny);
  // An application added twice is listed once and selected.
  form_->SelectPage(TOptionsForm::kRightsPage);
  SetFocus(C("ListBoxPermit"));
  Click("ToolbarButtonPermitAdd");
  Click("ToolbarButtonPermitAdd");
  EXPECT_EQ(store_.Snapshot()->PermitList, std::vector<std::string>{"C:\\a.exe"});
  EXPECT_EQ(SendMessageW(C("ListBoxPermit"), LB_GETCURSEL, 0, 0), 0);
}

TEST_F(OptionsFormTest, AccelerationControlsOnlyWithAnAcceleratedNumber) {
  form_->ShowOptions(true);
  EXPECT_FALSE(Visible("CheckBoxUseAcceleration"));
  form_->ButtonCancelClick();
  accelerated_ = "0202122";
  form_->ShowOptions(true);
  EXPECT_TRUE(Visible("CheckBoxUseAcceleration"));
  EXPECT_TRUE(Visible("LabelUseAcceleration"));
}

// Every caption fits its control and stays inside the window, in Polish and in the shipped
// English; pictures of the four pages in both.
TEST_F(OptionsFormTest, EverythingFitsItsTexts) {
  accelerated_ = "0202122";
  store_.Update([](Settings& s) { s.DangerList = {"0700*"}; });
  for (const char* language : {"pl", "en"}) {
    if (std::string(language) == "en") {
      const std::optional<std::string> english = EnglishFile();
      if (!english) {
        GTEST_SKIP() << "lang/English.lng cannot be reached from here";
      }
      ApplyLanguage(ParseLanguageFile(*english, Cp1250Codec()), messages_, texts_);
      form_->ApplyTexts();
    }
    form_->ShowOptions(false);
    RECT client;
    GetClientRect(form_->hwnd(), &client);
    for (const std::string& name : form_->ControlNames()) {
      HWND hwnd = C(name);
      RECT rect;
      GetWindowRect(hwnd, &rect);
      MapWindowPoints(nullptr, form_->hwnd(), reinterpret_cast<POINT*>(&rect), 2);
      EXPECT_LE(rect.right, client.right) << language << " " << name;
      EXPECT_LE(rect.bottom, client.bottom) << language << " " << name;
      wchar_t cls[32] = {};
      GetClassNameW(hwnd, cls, 32);
      const std::wstring klass = cls;
      if (name == "LabelNotebook" || name.starts_with("Image") || name.starts_with("Edit") ||
          name.starts_with("ListBox") || name == "PageControl") {
        continue;
      }
      const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE) & 0x0F;
      const bool boxed =
          klass == L"Button" && (style == BS_AUTOCHECKBOX || style == BS_RADIOBUTTON);
      const int need =
          ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(hwnd))).cx + (boxed ? 16 : 0);
      EXPECT_LE(need, rect.right - rect.left) << language << " " << name;
    }
    for (int page = 0; page < 4; ++page) {
      form_->SelectPage(page);
      SnapWindow(form_->hwnd(),
                 std::string("options_") + language + "_page" + std::to_string(page + 1));
    }
    form_->ButtonCancelClick();
  }
}

TEST_F(OptionsFormTest, CaptionsFlashWhileBothNumberListsAreEmpty) {
  form_->ShowOptions(true);
  ASSERT_TRUE(form_->Flashing());
  std::vector<int> phases;
  test::PumpUntil(
      [&] {
        if (phases.empty() || phases.back() != form_->ShownFlashPhase()) {
          phases.push_back(form_->ShownFlashPhase());
        }
        return phases.size() >= 3;
      },
      3000);
  EXPECT_EQ(phases, (std::vector<int>{0, 2, 0}));
  typed_ = "0202";
  Click("ButtonNewSafe");
  EXPECT_FALSE(form_->Flashing());
  EXPECT_EQ(form_->ShownFlashPhase(), 0);
}

TEST_F(OptionsFormTest, NumberEditsFallBackWhenLeft) {
  form_->ShowOptions(false);
  SetFocus(C("EditWarnings"));
  ui::SetWindowTextUtf8(C("EditWarnings"), "x1");
  SetFocus(C("CheckBoxAutoRun"));
  Pump();
  EXPECT_EQ(ui::WindowTextUtf8(C("EditWarnings")), "10");
  EXPECT_EQ(store_.Snapshot()->WarningsTime, "10");
  SetFocus(C("EditWarnings"));
  ui::SetWindowTextUtf8(C("EditWarnings"), "007");
  SetFocus(C("CheckBoxAutoRun"));
  Pump();
  EXPECT_EQ(store_.Snapshot()->WarningsTime, "7");
}

TEST_F(OptionsFormTest, CtrlF12ChoosesTheDefaultEntryOnTheSafePage) {
  form_->ShowOptions(false);
  form_->SelectPage(TOptionsForm::kGeneralPage);
  Key(C("CheckBoxAutoRun"), VK_F12, true);
  EXPECT_EQ(store_.Snapshot()->DefaultEntry, "");
  form_->SelectPage(TOptionsForm::kSafePage);
  EXPECT_TRUE(Key(C("ListBoxSafe"), VK_F12, true));
  EXPECT_EQ(store_.Snapshot()->DefaultEntry, "Entry");
  EXPECT_EQ(ui::WindowTextUtf8(C("EditDefaultEntry")), "Entry");
}

TEST_F(OptionsFormTest, HoveringAnApplicationShowsItsPathAsTheHint) {
  store_.Update([](Settings& s) { s.PermitList = {"C:\\Programs\\dialer one.exe", "C:\\b.exe"}; });
  form_->ShowOptions(false);
  form_->SelectPage(TOptionsForm::kRightsPage);
  HWND list = C("ListBoxPermit");
  RECT item;
  SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
  SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(item.left + 2, item.top + 2));
  EXPECT_EQ(form_->HintOf(list), "C:\\Programs\\dialer one.exe");
  SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
  SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(item.left + 2, item.top + 2));
  EXPECT_EQ(form_->HintOf(list), "C:\\b.exe");
  RECT client;
  GetClientRect(list, &client);
  SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(client.left + 2, client.bottom - 2));
  EXPECT_EQ(form_->HintOf(list), "");
}

}  // namespace
}  // namespace lw
