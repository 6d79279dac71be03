// The default entry chooser (TDefaultForm) against the simulated line, loaded by its path with
// its phonebook in a folder of the test's own, asked modally on the test's thread: a timer of
// the test acts while the chooser's own loop runs. Needs a display (Xvfb).

#include "config/win/default_form.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/codec.h"
#include "config/control_texts.h"
#include "config/messages.h"
#include "dialup/win/ras_dialup.h"
#include "fakes/temp_dir.h"
#include "notify/win/form_support.h"
#include "support/modal_script.h"
#include "support/own_window.h"
#include "support/program_run.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using test::PostKey;
using test::Script;
using test::Text;

// Three entries: the first with country and area codes, the second without, the third with a
// name in the ANSI code page (code page 1250 bytes of "Łódź").
constexpr char kThreeEntries[] =
    "[Dom]\r\nPhoneNumber=7654321\r\nAreaCode=22\r\nCountryCode=48\r\nCountryID=48\r\n"
    "UseCountryAndAreaCodes=1\r\nDEVICE=modem\r\n"
    "[Praca]\r\nPhoneNumber=0202122\r\nAreaCode=12\r\nUseCountryAndAreaCodes=0\r\n"
    "[\xA3\xF3"
    "d\x9F]\r\nPhoneNumber=5550100\r\nAreaCode=42\r\nCountryCode=49\r\n"
    "CountryID=49\r\nUseCountryAndAreaCodes=1\r\n";

class DefaultFormTest : public test::ModalWindowTest {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"LINESIM_DIR", dir_.path().wstring().c_str());
    CreateOwner(L"LarkWatchDefaultOwner");
    form_ = std::make_unique<TDefaultForm>(
        dialup_,
        [this](HWND window) {
          create_owners_.push_back(window);
          return create_entry_ ? create_entry_() : ras::kCancelled;
        },
        [this](HWND window, const std::string& name) {
          edit_owners_.push_back(window);
          edited_.push_back(name);
          return ras::kCancelled;
        },
        texts_, messages_, codec_, CountTaskbarShows(), CountTaskbarHides(), owner_, CountIdles());
    ASSERT_TRUE(form_->Create()) << "no window: is there a display (Xvfb)?";
  }
  void TearDown() override {
    form_.reset();
    DestroyOwner();
    SetEnvironmentVariableW(L"LINESIM_DIR", nullptr);
  }

  void WriteBook(const std::string& contents) {
    std::ofstream book(dir_.path() / "rasphone.pbk", std::ios::binary | std::ios::trunc);
    book << contents;
  }

  // Shows the chooser with the given steps; the steps must have run to the last.
  ChosenEntry Show(std::vector<std::function<void()>> steps, const std::string& caption = "") {
    return RunSteps(
        form_->hwnd(), std::move(steps), [&] { return form_->ShowModal(caption); }, "the chooser");
  }

  test::TempDir dir_;
  RasDialUp dialup_{true, test::BinFolder() + L"linesim.dll"};
  ControlTexts texts_;
  MessageTable messages_;
  Cp1250Codec codec_;
  std::function<uint32_t()> create_entry_;
  std::vector<HWND> create_owners_;
  std::vector<HWND> edit_owners_;
  std::vector<std::string> edited_;
  std::unique_ptr<TDefaultForm> form_;
};

TEST_F(DefaultFormTest, ShowsTheFirstEntryWithItsTextsAndStepsRoundFromEitherEnd) {
  WriteBook(kThreeEntries);
  TDefaultForm& form = *form_;
  wchar_t name[64] = {};
  GetClassNameW(form.hwnd(), name, 64);
  EXPECT_STREQ(name, L"TDefaultForm");
  EXPECT_FALSE(form.IsVisible());
  const LONG_PTR style = GetWindowLongPtrW(form.hwnd(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);

  const ChosenEntry chosen = Show(
      {[&] {
         EXPECT_EQ(Text(form.hwnd()), "LarkWatch - numer domyślny");
         EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TDefaultForm::kLabelBookEntryId)), "Nazwa wpisu");
         EXPECT_EQ(Text(GetDlgItem(form.hwnd(), TDefaultForm::kLabelPhoneNoId)), "Numer telefonu:");
         EXPECT_EQ(Text(form.button_ok()), "OK");
         EXPECT_EQ(Text(form.button_cancel()), "Anuluj");
         EXPECT_EQ(form.HintOf(form.button_prev()), "Poprzednie połączenie (-)");
         EXPECT_EQ(form.HintOf(form.button_next()), "Następne połączenie (+)");
         EXPECT_EQ(form.HintOf(form.button_ok()), "Zatwierdż zmiany (Ctrl+Enter)");
         EXPECT_EQ(form.HintOf(form.button_cancel()), "Anulowanie zmian (Esc)");
         EXPECT_EQ(form.HintOf(form.button_create_entry()),
                   "Tworzy nowy wpis do książki telefonicznej (Ctrl+Ins)");
         EXPECT_EQ(form.HintOf(form.button_edit_entry()),
                   "Edycja wpisu z książki telefonicznej (F12)");
         EXPECT_EQ(Text(form.book_entry()), "Dom");
         EXPECT_EQ(form.HintOf(form.book_entry()), "Dom");
         EXPECT_EQ(Text(form.phone_no()), "(kod kraju +48)   22 7654321");
         EXPECT_EQ(form.HintOf(form.phone_no()), "(kod kraju +48)   22 7654321");
         EXPECT_EQ(Text(form.cur_conn_text()), "1/3");
         EXPECT_TRUE(GetWindowLongPtrW(form.cur_conn_text(), GWL_STYLE) & ES_READONLY);
         EXPECT_FALSE(IsWindowEnabled(owner_));
         EXPECT_EQ(taskbar_shows_, 1);
         RECT window;
         GetWindowRect(form.hwnd(), &window);
         const SIZE desktop = ui::DesktopSize();
         EXPECT_EQ(window.left, (desktop.cx - (window.right - window.left)) / 2);
         EXPECT_EQ(window.top, (desktop.cy - (window.bottom - window.top)) / 2);
         test::SnapWindow(form.hwnd(), "default_entry");
         PostKey(form.button_ok(), VK_PRIOR);  // back from the first: the last
       },
       [&] {
         EXPECT_EQ(Text(form.cur_conn_text()), "3/3");
         EXPECT_EQ(Text(form.book_entry()), "Łódź");
         EXPECT_EQ(Text(form.phone_no()), "(kod kraju +49)   42 5550100");
         PostKey(form.button_ok(), VK_NEXT);  // on from the last: the first
       },
       [&] {
         EXPECT_EQ(Text(form.cur_conn_text()), "1/3");
         PostMessageW(form.button_next(), BM_CLICK, 0, 0);
       },
       [&] {
         EXPECT_EQ(Text(form.cur_conn_text()), "2/3");
         EXPECT_EQ(Text(form.book_entry()), "Praca");
         EXPECT_EQ(Text(form.phone_no()), "0202122   (brak kodu kraju i strefy)");
       },
       test::Await([&] { return idles_ > 0; }), [&] { PostKey(form.button_ok(), VK_ESCAPE); }});
  EXPECT_FALSE(chosen.chosen);
  EXPECT_FALSE(form.IsVisible());
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(taskbar_hides_, 1);
  EXPECT_GT(idles_, 0);
}

TEST_F(DefaultFormTest, OkReturnsTheShownEntryWithOrWithoutCodes) {
  WriteBook(kThreeEntries);
  TDefaultForm& form = *form_;
  ChosenEntry chosen = Show({[&] { PostKey(form.button_ok(), VK_RETURN, true); }});
  EXPECT_TRUE(chosen.chosen);
  EXPECT_EQ(chosen.name, "Dom");
  EXPECT_EQ(chosen.number, "227654321");
  EXPECT_TRUE(chosen.has_codes);

  // Each show starts again at the first entry.
  chosen = Show({[&] {
                   EXPECT_EQ(Text(form.cur_conn_text()), "1/3");
                   PostKey(form.button_cancel(), VK_NEXT);
                 },
                 [&] { PostMessageW(form.button_ok(), BM_CLICK, 0, 0); }},
                "LarkWatch - wybierz bezpieczny numer do Internetu");
  EXPECT_TRUE(chosen.chosen);
  EXPECT_EQ(chosen.name, "Praca");
  EXPECT_EQ(chosen.number, "0202122");
  EXPECT_FALSE(chosen.has_codes);

  chosen = Show({[&] {
                   EXPECT_EQ(Text(form.hwnd()), "LarkWatch - numer domyślny");
                   PostKey(form.button_ok(), VK_PRIOR);
                 },
                 [&] { PostKey(form.book_entry(), VK_RETURN, true); }});
  EXPECT_TRUE(chosen.chosen);
  EXPECT_EQ(chosen.name,
            "\xA3\xF3"
            "d\x9F")
      << "the name as the phonebook has it";
  EXPECT_EQ(chosen.number, "425550100");
}

TEST_F(DefaultFormTest, TheCallersCaptionIsShown) {
  WriteBook(kThreeEntries);
  TDefaultForm& form = *form_;
  Show({[&] {
         EXPECT_EQ(Text(form.hwnd()), "LarkWatch - wybierz bezpieczny numer do Internetu");
         PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
       }},
       "LarkWatch - wybierz bezpieczny numer do Internetu");
}

TEST_F(DefaultFormTest, WithoutEntriesOnlyCancelAndCreateAreUsable) {
  TDefaultForm& form = *form_;
  const ChosenEntry chosen =
      Show({[&] {
              EXPECT_EQ(Text(form.book_entry()), "brak wpisów w książce (dodaj wpis)");
              EXPECT_EQ(Text(form.phone_no()), "");
              EXPECT_EQ(form.HintOf(form.phone_no()),
                        "Numer składa się z kodu kraju np. +48 (Polska) oraz numeru wybranego "
                        "telefonu");
              for (HWND control : {form.button_prev(), form.cur_conn_text(), form.button_next(),
                                   form.button_ok(), form.button_edit_entry()}) {
                EXPECT_FALSE(IsWindowEnabled(control)) << GetDlgCtrlID(control);
              }
              EXPECT_TRUE(IsWindowEnabled(form.button_cancel()));
              EXPECT_TRUE(IsWindowEnabled(form.button_create_entry()));
              test::SnapWindow(form.hwnd(), "default_empty");
              PostKey(form.button_cancel(), VK_RETURN, true);  // nothing: OK is disabled
            },
            [&] {
              PostMessageW(form.button_ok(), BM_CLICK, 0, 0);  // nothing either
              PostKey(form.button_cancel(), VK_F12);           // no entry to edit
              PostKey(form.button_cancel(), VK_NEXT);
            },
            [&] {
              EXPECT_TRUE(form.IsVisible());
              EXPECT_TRUE(edited_.empty());
              EXPECT_EQ(Text(form.book_entry()), "brak wpisów w książce (dodaj wpis)");
              PostKey(form.button_cancel(), VK_INSERT, true);  // the create dialog, cancelled
            },
            [&] {
              EXPECT_EQ(create_owners_, std::vector<HWND>{form.hwnd()});
              EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
              PostMessageW(form.button_cancel(), BM_CLICK, 0, 0);
            }});
  EXPECT_FALSE(chosen.chosen);
  EXPECT_TRUE(chosen.name.empty());
}

TEST_F(DefaultFormTest, AnEntryCreatedInTheDialogIsShownAtOnce) {
  TDefaultForm& form = *form_;
  create_entry_ = [&] {
    WriteBook(
        "[Nowy]\r\nPhoneNumber=0202122\r\nAreaCode=22\r\nCountryCode=48\r\n"
        "UseCountryAndAreaCodes=1\r\n");
    return ras::kOk;
  };
  const ChosenEntry chosen =
      Show({[&] {
              EXPECT_FALSE(IsWindowEnabled(form.button_ok()));
              PostMessageW(form.button_create_entry(), BM_CLICK, 0, 0);
            },
            [&] {
              EXPECT_EQ(Text(form.cur_conn_text()), "1/1");
              EXPECT_EQ(Text(form.book_entry()), "Nowy");
              EXPECT_EQ(Text(form.phone_no()), "(kod kraju +48)   22 0202122");
              EXPECT_TRUE(IsWindowEnabled(form.button_ok()));
              EXPECT_TRUE(IsWindowEnabled(form.button_edit_entry()));
              PostKey(form.button_ok(), VK_F12);  // edit, cancelled
            },
            [&] {
              EXPECT_EQ(edited_, std::vector<std::string>{"Nowy"});
              EXPECT_EQ(edit_owners_, std::vector<HWND>{form.hwnd()});
              PostKey(form.button_ok(), VK_RETURN, true);
            }});
  EXPECT_TRUE(chosen.chosen);
  EXPECT_EQ(chosen.name, "Nowy");
  EXPECT_EQ(chosen.number, "220202122");
  EXPECT_TRUE(chosen.has_codes);
}

// The service's own dialogs of the simulated line, as the program passes them: a new entry
// saved there is shown at once, and so is an edited number.
TEST_F(DefaultFormTest, TheServicesDialogsCreateAndEditTheEntryShown) {
  TDefaultForm chooser(
      dialup_, [this](HWND owner) { return dialup_.CreateEntry(owner); },
      [this](HWND owner, const std::string& name) { return dialup_.EditEntry(owner, name); },
      texts_, messages_, codec_, nullptr, nullptr, owner_, nullptr);
  ASSERT_TRUE(chooser.Create());
  // The dialog's fields: name, country code, area code, number.
  constexpr int kNameField = 101;
  constexpr int kNumberField = 104;
  auto dialog = [] { return test::FindOwnWindow(L"LineSimEntryDialog"); };
  const std::size_t steps = 6;
  Script script(chooser.hwnd(),
                {[&] { PostKey(chooser.button_cancel(), VK_INSERT, true); },
                 [&] {
                   HWND window = dialog();
                   ASSERT_NE(window, nullptr) << "the service's dialog is open";
                   SetDlgItemTextW(window, kNameField, L"Nowy");
                   SetDlgItemTextW(window, kNumberField, L"0202122");
                   PostMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
                 },
                 [&] {
                   EXPECT_EQ(dialog(), nullptr);
                   EXPECT_EQ(Text(chooser.cur_conn_text()), "1/1");
                   EXPECT_EQ(Text(chooser.book_entry()), "Nowy");
                   EXPECT_EQ(Text(chooser.phone_no()), "0202122   (brak kodu kraju i strefy)");
                   PostKey(chooser.button_ok(), VK_F12);
                 },
                 [&] {
                   HWND window = dialog();
                   ASSERT_NE(window, nullptr);
                   EXPECT_EQ(Text(GetDlgItem(window, kNameField)), "Nowy");
                   SetDlgItemTextW(window, kNumberField, L"7654321");
                   PostMessageW(GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
                 },
                 [&] {
                   EXPECT_EQ(Text(chooser.phone_no()), "7654321   (brak kodu kraju i strefy)");
                   PostKey(chooser.button_ok(), VK_F12);
                 },
                 [&] {
                   // Cancelled in the dialog: nothing changes.
                   ASSERT_NE(dialog(), nullptr);
                   PostMessageW(dialog(), WM_CLOSE, 0, 0);
                   PostKey(chooser.button_ok(), VK_RETURN, true);
                 }},
                "the chooser");
  const ChosenEntry chosen = chooser.ShowModal();
  EXPECT_EQ(script.done(), steps);
  EXPECT_TRUE(chosen.chosen);
  EXPECT_EQ(chosen.name, "Nowy");
  EXPECT_EQ(chosen.number, "7654321");
  EXPECT_FALSE(chosen.has_codes);
}

TEST_F(DefaultFormTest, TheServicesEditDialogAnswersForAMissingEntry) {
  EXPECT_EQ(dialup_.EditEntry(nullptr, "Nie ma"), ras::kEntryNotFound);
}

}  // namespace
}  // namespace lw
