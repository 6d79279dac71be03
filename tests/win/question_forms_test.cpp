// The two question windows, driven by their controls with messages on the test's thread (the
// main thread of the dispatcher), modally and polled from another thread through WinQuestions.
// Needs a display (Xvfb).

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/win/wide.h"
#include "config/checksum.h"
#include "config/control_texts.h"
#include "config/list_file.h"
#include "config/messages.h"
#include "config/settings.h"
#include "fakes/fake_registry.h"
#include "fakes/temp_dir.h"
#include "notify/win/form_support.h"
#include "notify/win/question_app_form.h"
#include "notify/win/question_form.h"
#include "notify/win/win_questions.h"
#include "shell/win/main_thread.h"
#include "support/message_pump.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using test::Pump;
using test::PumpFor;
using test::PumpUntil;
using test::ScreenshotDir;
using test::SnapWindow;

// Sends a key to a window as if typed, with Ctrl held or not.
void Key(HWND window, WPARAM key, bool control = false) {
  BYTE state[256] = {};
  GetKeyboardState(state);
  state[VK_CONTROL] = control ? 0x80 : 0;
  SetKeyboardState(state);
  SendMessageW(window, WM_KEYDOWN, key, 1);
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
}

void EndGuard(QuestionWindow& form) {
  SendMessageW(form.handle(), WM_TIMER, QuestionWindow::kInputGuardTimerId, 0);
}

RECT ClientRectOf(HWND window) {
  RECT rect;
  GetClientRect(window, &rect);
  return rect;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr char kDialerPath[] = "C:\\Program Files\\Dialer\\dialer.exe";
constexpr char kIdentity[] = "TEST-MACHINE-IDENTITY";

class QuestionFormsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(InitMainThreadDispatcher()); }

  QuestionWindowDeps Deps(HWND owner = nullptr) {
    QuestionWindowDeps deps{texts_, messages_};
    deps.owner = owner;
    deps.show_taskbar_button = [this] { ++taskbar_shows_; };
    deps.hide_taskbar_button_unless_dialogs = [this] { ++taskbar_hides_; };
    return deps;
  }
  QuestionForm& Question(HWND owner = nullptr) {
    if (!question_) question_ = std::make_unique<QuestionForm>(Deps(owner));
    // Without a usable display Wine creates no windows; every check would be void.
    EXPECT_NE(question_->handle(), nullptr) << "no window: is there a display (Xvfb)?";
    return *question_;
  }
  QuestionAppForm& AppQuestion() {
    if (!app_question_) {
      AppListDeps lists{settings_};
      lists.save_list = [this](ListKind kind, const std::vector<std::string>& entries) {
        ++saves_;
        return SaveList(kind, Storage(), entries);
      };
      lists.list_changed = [this](ListKind kind) { changed_.push_back(kind); };
      app_question_ = std::make_unique<QuestionAppForm>(Deps(), std::move(lists));
    }
    EXPECT_NE(app_question_->handle(), nullptr) << "no window: is there a display (Xvfb)?";
    return *app_question_;
  }
  ListStorage Storage() { return ListStorage{registry_, dir_.path(), kIdentity, "C:\\lw\\lw.exe"}; }
  std::vector<std::string> PermitList() { return settings_.Snapshot()->PermitList; }
  std::vector<std::string> DenyList() { return settings_.Snapshot()->DenyList; }

  ControlTexts texts_;
  MessageTable messages_;
  SettingsStore settings_;
  test::FakeRegistry registry_;
  test::TempDir dir_;
  int taskbar_shows_ = 0;
  int taskbar_hides_ = 0;
  int saves_ = 0;
  std::vector<ListKind> changed_;
  std::unique_ptr<QuestionForm> question_;
  std::unique_ptr<QuestionAppForm> app_question_;
};

// ---- TQuestionForm ----

TEST_F(QuestionFormsTest, QuestionFormIsASmallToolWindowOnTop) {
  QuestionForm& form = Question();
  ASSERT_NE(form.handle(), nullptr);
  wchar_t name[64] = {};
  GetClassNameW(form.handle(), name, 64);
  EXPECT_STREQ(name, L"TQuestionForm");
  EXPECT_FALSE(IsWindowVisible(form.handle()));
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.countdown(), 0);
  const LONG_PTR ex_style = GetWindowLongPtrW(form.handle(), GWL_EXSTYLE);
  EXPECT_TRUE(ex_style & WS_EX_TOPMOST);
  EXPECT_TRUE(ex_style & WS_EX_TOOLWINDOW);
  const RECT client = ClientRectOf(form.handle());
  EXPECT_EQ(client.right, 316);
  EXPECT_EQ(client.bottom, 51);

  form.Ask("Zezwolić na dostęp do modemu?", 0);
  EXPECT_EQ(ui::WindowTextUtf8(form.handle()), "LarkWatch - pytanie");
  EXPECT_EQ(ui::WindowTextUtf8(form.button_no()), "&Nie");
  EXPECT_EQ(ui::WindowTextUtf8(form.button_yes()), "&Tak");
  EXPECT_EQ(form.question_text(), "Zezwolić na dostęp do modemu?");
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(form.Active());
  EXPECT_EQ(taskbar_shows_, 1);
  // Texts are taken when the question is shown.
  texts_.Set(134, "&Yes");
  form.Ask("Again?", 0);
  EXPECT_EQ(ui::WindowTextUtf8(form.button_yes()), "&Yes");
}

TEST_F(QuestionFormsTest, CountdownOfTwentyCountsAndAnswersNoByItself) {
  QuestionForm& form = Question();
  form.Ask("Pytanie z odliczaniem", 20);
  EXPECT_TRUE(form.Active());
  EXPECT_EQ(form.Answer(), 0);
  EXPECT_TRUE(form.timer_running());
  EXPECT_EQ(form.counter_text(), "");  // no text until the first tick

  auto tick = [&] { SendMessageW(form.handle(), WM_TIMER, QuestionForm::kTimerId, 0); };
  tick();
  EXPECT_EQ(form.counter_text(), "Odpowiem NIE za: 19 sekund");
  for (int i = 0; i < 18; ++i) tick();
  EXPECT_EQ(form.counter_text(), "Odpowiem NIE za: 1 sekund");
  EXPECT_TRUE(form.Active());
  EXPECT_TRUE(form.Visible());
  tick();
  EXPECT_FALSE(form.Active());
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(IsWindowVisible(form.handle()));
  EXPECT_EQ(form.Answer(), 0);
  EXPECT_FALSE(form.timer_running());
  EXPECT_EQ(taskbar_hides_, 1);
}

TEST_F(QuestionFormsTest, WithoutCountdownTheCounterIsEmptyAndTheQuestionWaits) {
  QuestionForm& form = Question();
  form.Ask("Pierwsze", 3);
  SendMessageW(form.handle(), WM_TIMER, QuestionForm::kTimerId, 0);
  EXPECT_EQ(form.counter_text(), "Odpowiem NIE za: 2 sekund");
  form.Ask("Drugie, bez odliczania", 0);
  EXPECT_EQ(form.counter_text(), "");
  EXPECT_FALSE(form.timer_running());
  PumpFor(1500);
  EXPECT_TRUE(form.Active());
  EXPECT_TRUE(form.Visible());
  EXPECT_FALSE(form.input_guarded());
  Key(form.handle(), VK_ESCAPE);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 0);
}

TEST_F(QuestionFormsTest, StrayInputRightAfterTheShowDoesNotAnswer) {
  QuestionForm& form = Question();
  const auto shown = std::chrono::steady_clock::now();
  form.Ask("Zezwolić?", 0);
  EXPECT_TRUE(form.input_guarded());
  EXPECT_FALSE(IsWindowEnabled(form.button_yes()));
  EXPECT_FALSE(IsWindowEnabled(form.button_no()));
  Key(form.handle(), VK_ESCAPE);
  Key(form.handle(), VK_RETURN, true);
  Key(form.handle(), VK_RETURN);
  Key(form.handle(), VK_SPACE);
  SendMessageW(form.handle(), WM_SYSCHAR, L't', 0);
  SendMessageW(form.handle(), WM_COMMAND, MAKEWPARAM(QuestionForm::kButtonYesId, BN_CLICKED),
               reinterpret_cast<LPARAM>(form.button_yes()));
  SendMessageW(form.button_yes(), BM_CLICK, 0, 0);
  SendMessageW(form.handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(form.Active());
  EXPECT_TRUE(form.Visible());

  // The guard ends by itself.
  ASSERT_TRUE(PumpUntil([&] { return !form.input_guarded(); }, 3000));
  EXPECT_GE(std::chrono::steady_clock::now() - shown, std::chrono::milliseconds(600));
  EXPECT_TRUE(IsWindowEnabled(form.button_yes()));
  EXPECT_TRUE(form.Active());
  Key(form.handle(), VK_RETURN, true);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 1);

  // Each show guards again.
  form.Ask("Jeszcze raz?", 0);
  EXPECT_TRUE(form.input_guarded());
  EXPECT_EQ(form.Answer(), 0);
}

TEST_F(QuestionFormsTest, KeysAndButtonsAnswer) {
  QuestionForm& form = Question();
  form.Ask("Esc?", 0);
  EndGuard(form);
  Key(form.handle(), VK_ESCAPE);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 0);

  form.Ask("Ctrl+Enter?", 0);
  EndGuard(form);
  Key(form.handle(), VK_RETURN);  // Enter alone presses nothing while no button has the focus
  EXPECT_TRUE(form.Active());
  Key(form.handle(), VK_RETURN, true);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 1);

  form.Ask("Tak?", 0);
  EndGuard(form);
  PostMessageW(form.button_yes(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Active(); }, 2000));
  EXPECT_EQ(form.Answer(), 1);

  form.Ask("Nie?", 0);
  EXPECT_EQ(form.Answer(), 0);
  EndGuard(form);
  PostMessageW(form.button_no(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Active(); }, 2000));
  EXPECT_EQ(form.Answer(), 0);

  // Keys reach the window from a focused button too.
  form.Ask("Z przycisku?", 0);
  EndGuard(form);
  SetFocus(form.button_yes());
  SendMessageW(form.button_yes(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 0);

  // Alt and the underlined letter.
  form.Ask("Alt+T?", 0);
  EndGuard(form);
  SendMessageW(form.handle(), WM_SYSCHAR, L't', 0);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 1);

  // The frame's close button answers no.
  form.Ask("Zamknięcie?", 0);
  EndGuard(form);
  SendMessageW(form.handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 0);
}

TEST_F(QuestionFormsTest, ShortQuestionLayout) {
  QuestionForm& form = Question();
  form.Ask("Krótkie pytanie?", 5);
  const SIZE label = ui::MeasureText(ui::MessageFont(), L"Krótkie pytanie?");
  const RECT client = ClientRectOf(form.handle());
  const int height = label.cy + 56;
  EXPECT_EQ(client.right, 324);
  EXPECT_EQ(client.bottom, height);
  const RECT no = ui::ControlRect(form.button_no());
  const RECT yes = ui::ControlRect(form.button_yes());
  const RECT counter = ui::ControlRect(form.label_counter());
  const int button_height = no.bottom - no.top;
  EXPECT_EQ(no.top, height - button_height - 28);
  EXPECT_EQ(yes.top, height - button_height - 28);
  EXPECT_EQ(yes.left, 324 - 70);
  EXPECT_LT(no.right, yes.left);
  EXPECT_EQ(counter.top, height - (counter.bottom - counter.top) - 32);
  EXPECT_EQ(counter.right - counter.left, 324 - 183);
  const RECT text = ui::ControlRect(form.label_question());
  EXPECT_EQ(text.right - text.left, label.cx);
  EXPECT_EQ(text.bottom - text.top, label.cy);
  // Centred on the screen.
  RECT window;
  GetWindowRect(form.handle(), &window);
  const SIZE desktop = ui::DesktopSize();
  EXPECT_EQ(window.left, (desktop.cx - (window.right - window.left)) / 2);
  EXPECT_EQ(window.top, (desktop.cy - (window.bottom - window.top)) / 2);
}

TEST_F(QuestionFormsTest, AWideQuestionWidensTheWindowAndTheButtonsKeepToTheRight) {
  QuestionForm& form = Question();
  const std::string line =
      "Następująca aplikacja próbuje nawiązać połączenie z numerem niebezpiecznym "
      "C:\\Program Files\\Bardzo Długa Nazwa Katalogu\\dialer.exe";
  const std::string text = line +
                           "\r\n\r\nNumer: 0 700 123 456\r\nKraj: Polska\r\n\r\n"
                           "Zezwolić na dostęp do modemu?";
  form.Ask(text, 20);
  const SIZE label = ui::MeasureText(ui::MessageFont(), Widen(text));
  ASSERT_GT(label.cx + 16, 324);
  const RECT client = ClientRectOf(form.handle());
  const int width = label.cx + 16;
  const int height = label.cy + 56;
  EXPECT_EQ(client.right, width);
  EXPECT_EQ(client.bottom, height);
  const RECT yes = ui::ControlRect(form.button_yes());
  const RECT no = ui::ControlRect(form.button_no());
  const RECT counter = ui::ControlRect(form.label_counter());
  EXPECT_EQ(yes.left, width - 70);
  EXPECT_EQ(no.left, 8);
  EXPECT_EQ(counter.right - counter.left, width - 183);
  EXPECT_EQ(yes.top, height - (yes.bottom - yes.top) - 28);
  // Nothing overlaps the question.
  const RECT text_rect = ui::ControlRect(form.label_question());
  EXPECT_LE(text_rect.bottom, yes.top);
  EXPECT_LE(text_rect.bottom, counter.top);
}

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  static_assert(sizeof(LONG_PTR) >= sizeof(int));
  if (message == WM_ENTERIDLE && wparam == MSGF_DIALOGBOX) {
    SetWindowLongPtrW(window, GWLP_USERDATA, GetWindowLongPtrW(window, GWLP_USERDATA) + 1);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND MakeOwner() {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = OwnerProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"LarkWatchTestOwner";
  RegisterClassW(&window_class);
  return CreateWindowExW(0, L"LarkWatchTestOwner", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// What a timer of the test sees and does while the modal loop runs.
struct ModalWatch {
  static inline QuestionForm* form = nullptr;
  static inline HWND owner = nullptr;
  static inline bool owner_disabled = false;
  static inline bool clicked = false;
  static inline int ticks = 0;
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!form->Visible()) return;
    if (!IsWindowEnabled(owner)) owner_disabled = true;
    // The click waits for an idle moment too, so that one is seen whatever the load; after
    // 5 s without one it clicks anyway, and the test fails on the missing idle moment.
    const bool idle_seen = GetWindowLongPtrW(owner, GWLP_USERDATA) > 0;
    if (!form->input_guarded() && !clicked && (idle_seen || ++ticks > 100)) {
      clicked = true;
      PostMessageW(form->button_yes(), BM_CLICK, 0, 0);
    }
  }
};

TEST_F(QuestionFormsTest, ShowModalRunsMessagesWithTheOwnerDisabled) {
  HWND owner = MakeOwner();
  ASSERT_NE(owner, nullptr);
  QuestionForm& form = Question(owner);
  ModalWatch::form = &form;
  ModalWatch::owner = owner;
  ModalWatch::owner_disabled = false;
  ModalWatch::clicked = false;
  ModalWatch::ticks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &ModalWatch::Tick);
  EXPECT_EQ(form.ShowModal("Utrzymać połączenie?", 0), 1);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(ModalWatch::clicked);
  EXPECT_TRUE(ModalWatch::owner_disabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_FALSE(form.Visible());
  EXPECT_GT(GetWindowLongPtrW(owner, GWLP_USERDATA), 0);  // idle moments reached the owner

  // A countdown ends the modal question by itself.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(form.ShowModal("Odliczanie", 1), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_TRUE(IsWindowEnabled(owner));
  question_.reset();
  DestroyWindow(owner);
}

TEST_F(QuestionFormsTest, PolledFromTheDecidingThread) {
  QuestionForm& form = Question();
  QuestionAppForm& app_form = AppQuestion();
  WinQuestions questions(form, app_form);
  std::atomic<bool> done{false};
  std::atomic<bool> first_poll{false};
  std::atomic<bool> seen_visible{false};
  std::atomic<int32_t> answer{-1};
  std::thread decider([&] {
    questions.ShowQuestion("Zezwolić na dostęp do modemu?", 0);
    first_poll = questions.QuestionActive();
    while (questions.QuestionActive()) {
      if (questions.QuestionVisible()) seen_visible = true;
      Sleep(20);
    }
    answer = questions.QuestionAnswer();
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return form.Visible() && !form.input_guarded(); }, 3000));
  EXPECT_EQ(form.question_text(), "Zezwolić na dostęp do modemu?");
  PostMessageW(form.button_yes(), BM_CLICK, 0, 0);
  const bool finished = PumpUntil([&] { return done.load(); }, 3000);
  decider.join();
  ASSERT_TRUE(finished);
  EXPECT_TRUE(first_poll);
  EXPECT_TRUE(seen_visible);
  EXPECT_EQ(answer, 1);
  EXPECT_FALSE(questions.QuestionVisible());

  // With a countdown the question answers no by itself.
  done = false;
  std::thread counted([&] {
    questions.ShowQuestion("Odliczanie", 2);
    while (questions.QuestionActive()) Sleep(20);
    answer = questions.QuestionAnswer();
    done = true;
  });
  const bool counted_down = PumpUntil([&] { return done.load(); }, 5000);
  counted.join();
  ASSERT_TRUE(counted_down);
  EXPECT_EQ(answer, 0);
}

TEST_F(QuestionFormsTest, ADecisionWaitsWhileTheWindowCarriesAnotherQuestion) {
  QuestionForm& form = Question();
  QuestionAppForm& app_form = AppQuestion();
  WinQuestions questions(form, app_form);
  form.MarkActive();
  form.Ask("Czy utrzymać to połączenie ?", 0);  // the connection monitor's question
  std::atomic<bool> done{false};
  std::atomic<int32_t> answer{-1};
  std::thread decider([&] {
    questions.ShowQuestion("Zezwolić na dostęp do modemu?", 0);
    while (questions.QuestionActive()) Sleep(20);
    answer = questions.QuestionAnswer();
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return questions.Busy() && !form.input_guarded(); }, 3000));
  PumpFor(100);
  EXPECT_EQ(form.question_text(), "Czy utrzymać to połączenie ?") << "not taken over";
  PostMessageW(form.button_no(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Visible(); }, 3000));
  EXPECT_FALSE(done) << "the other question's answer is not the decision's";
  questions.QuestionClosed();  // what the window's hiding posts
  ASSERT_TRUE(PumpUntil([&] { return form.Visible() && !form.input_guarded(); }, 3000));
  EXPECT_EQ(form.question_text(), "Zezwolić na dostęp do modemu?");
  PostMessageW(form.button_yes(), BM_CLICK, 0, 0);
  const bool finished = PumpUntil([&] { return done.load(); }, 3000);
  decider.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(answer, 1);
  EXPECT_FALSE(questions.Busy());
}

TEST_F(QuestionFormsTest, AQuestionThatCannotBeShownIsNotWaitedFor) {
  QuestionForm& form = Question();
  QuestionAppForm& app_form = AppQuestion();
  WinQuestions questions(form, app_form);
  ShutdownMainThreadDispatcher();
  questions.ShowQuestion("Nikt nie odpowie", 0);
  EXPECT_FALSE(questions.QuestionActive());
  EXPECT_EQ(questions.QuestionAnswer(), 0);
  questions.ShowAppQuestion("Nikt nie odpowie", kDialerPath);
  EXPECT_FALSE(questions.AppQuestionActive());
  EXPECT_EQ(questions.AppQuestionAnswer(), 0);
  ASSERT_TRUE(InitMainThreadDispatcher());
}

// ---- TQuestionAppForm ----

TEST_F(QuestionFormsTest, AppFormButtonsAndLayout) {
  QuestionAppForm& form = AppQuestion();
  wchar_t name[64] = {};
  GetClassNameW(form.handle(), name, 64);
  EXPECT_STREQ(name, L"TQuestionAppForm");
  const std::string text = "Następująca aplikacja próbuje nawiązać połączenie\r\n" +
                           std::string(kDialerPath) +
                           "\r\n\r\nPozwolić aplikacji na wybranie numeru ?";
  form.Ask(text, kDialerPath);
  EXPECT_EQ(ui::WindowTextUtf8(form.handle()), "LarkWatch - pytanie");
  EXPECT_EQ(ui::WindowTextUtf8(form.button_no()), "&Nie");
  EXPECT_EQ(ui::WindowTextUtf8(form.button_yes()), "&Tak");
  EXPECT_EQ(ui::WindowTextUtf8(form.button_add_to_permit()), "Dodaj do &uprawnionych");
  EXPECT_EQ(ui::WindowTextUtf8(form.button_add_to_deny()), "Dodaj to &zabronionych");
  EXPECT_EQ(form.app_path(), kDialerPath);
  EXPECT_EQ(taskbar_shows_, 1);

  const SIZE label = ui::MeasureText(ui::MessageFont(), Widen(text));
  const RECT client = ClientRectOf(form.handle());
  const int width = std::max<int>(label.cx + 16, 324);
  const int height = label.cy + 81;
  EXPECT_EQ(client.right, width);
  EXPECT_EQ(client.bottom, height);
  const RECT no = ui::ControlRect(form.button_no());
  const RECT yes = ui::ControlRect(form.button_yes());
  const RECT permit = ui::ControlRect(form.button_add_to_permit());
  const RECT deny = ui::ControlRect(form.button_add_to_deny());
  const int button_height = no.bottom - no.top;
  EXPECT_EQ(no.top, height - button_height - 48);
  EXPECT_EQ(yes.top, height - button_height - 48);
  EXPECT_EQ(permit.top, height - button_height - 28);
  EXPECT_EQ(deny.top, height - button_height - 28);
  EXPECT_EQ(yes.left, width - 70);
  EXPECT_EQ(permit.left, width - 152);
  EXPECT_LE(no.bottom, deny.top);
  EXPECT_LE(ui::ControlRect(form.label_app_name()).bottom, no.top);
}

TEST_F(QuestionFormsTest, AppFormYesAndNo) {
  QuestionAppForm& form = AppQuestion();
  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  EXPECT_TRUE(form.Active());
  EndGuard(form);
  PostMessageW(form.button_yes(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Active(); }, 2000));
  EXPECT_EQ(form.Answer(), 1);

  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  EXPECT_EQ(form.Answer(), 0);
  EndGuard(form);
  PostMessageW(form.button_no(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Active(); }, 2000));
  EXPECT_EQ(form.Answer(), 0);

  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  EndGuard(form);
  Key(form.handle(), VK_RETURN, true);
  EXPECT_EQ(form.Answer(), 1);
  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  EndGuard(form);
  Key(form.handle(), VK_ESCAPE);
  EXPECT_FALSE(form.Active());
  EXPECT_EQ(form.Answer(), 0);

  EXPECT_TRUE(PermitList().empty());
  EXPECT_TRUE(DenyList().empty());
  EXPECT_EQ(saves_, 0);
}

TEST_F(QuestionFormsTest, AddToPermittedAppendsSavesAndAnswersYes) {
  settings_.Update([](Settings& s) { s.PermitList = {"C:\\Windows\\explorer.exe"}; });
  QuestionAppForm& form = AppQuestion();
  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  SendMessageW(form.button_add_to_permit(), BM_CLICK, 0, 0);  // guarded: nothing happens
  EXPECT_TRUE(form.Active());
  EXPECT_EQ(PermitList().size(), 1u);
  EndGuard(form);
  PostMessageW(form.button_add_to_permit(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Active(); }, 2000));
  EXPECT_EQ(form.Answer(), 1);
  EXPECT_FALSE(form.Visible());
  const std::vector<std::string> expected = {"C:\\Windows\\explorer.exe", kDialerPath};
  EXPECT_EQ(PermitList(), expected);
  EXPECT_TRUE(DenyList().empty());
  EXPECT_EQ(saves_, 1);
  EXPECT_EQ(changed_, std::vector<ListKind>{ListKind::Permit});

  // The file: one length byte and the bytes of each entry; its checksum in the registry.
  const std::string file = ReadFile(dir_.path() / "lwp.dat");
  std::string records;
  for (const std::string& entry : expected) records += static_cast<char>(entry.size()) + entry;
  EXPECT_EQ(file, records);
  const std::optional<uint32_t> stored =
      registry_.GetDword(Hive::CurrentUser, kSettingsKey, "CRClwp");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(*stored, TextChecksum(kIdentity, ListText(expected)));
  EXPECT_FALSE(ReadList(ListKind::Permit, Storage()).damaged);

  // Once more: no second line, nothing saved, still yes.
  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  EndGuard(form);
  PostMessageW(form.button_add_to_permit(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Active(); }, 2000));
  EXPECT_EQ(form.Answer(), 1);
  EXPECT_EQ(PermitList(), expected);
  EXPECT_EQ(saves_, 1);
  EXPECT_EQ(ReadFile(dir_.path() / "lwp.dat"), records);
}

TEST_F(QuestionFormsTest, TheListComparisonHeedsLetterCase) {
  const std::string lower = "c:\\program files\\dialer\\dialer.exe";
  settings_.Update([&](Settings& s) { s.PermitList = {lower}; });
  QuestionAppForm& form = AppQuestion();
  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  EndGuard(form);
  form.ButtonAddToPermitClick();
  EXPECT_EQ(PermitList(), (std::vector<std::string>{lower, kDialerPath}));
}

TEST_F(QuestionFormsTest, AddToDeniedAppendsSavesAndAnswersNo) {
  QuestionAppForm& form = AppQuestion();
  form.MarkActive();
  form.Ask("Pozwolić?", kDialerPath);
  EndGuard(form);
  PostMessageW(form.button_add_to_deny(), BM_CLICK, 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form.Active(); }, 2000));
  EXPECT_EQ(form.Answer(), 0);
  EXPECT_EQ(DenyList(), std::vector<std::string>{kDialerPath});
  EXPECT_TRUE(PermitList().empty());
  EXPECT_EQ(ReadFile(dir_.path() / "lwd.dat"),
            static_cast<char>(sizeof(kDialerPath) - 1) + std::string(kDialerPath));
  EXPECT_EQ(registry_.GetDword(Hive::CurrentUser, kSettingsKey, "CRClwd"),
            TextChecksum(kIdentity, ListText({kDialerPath})));
  EXPECT_EQ(changed_, std::vector<ListKind>{ListKind::Deny});
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "lwp.dat"));
}

TEST_F(QuestionFormsTest, APathThatCannotBeStoredIsNotAdded) {
  const std::string long_path = "C:\\" + std::string(300, 'x') + ".exe";
  QuestionAppForm& form = AppQuestion();
  form.MarkActive();
  form.Ask("Pozwolić?", long_path);
  EndGuard(form);
  form.ButtonAddToPermitClick();
  EXPECT_EQ(form.Answer(), 1);
  EXPECT_FALSE(form.Active());
  EXPECT_TRUE(PermitList().empty());
  EXPECT_EQ(saves_, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_.path() / "lwp.dat"));
}

TEST_F(QuestionFormsTest, AppQuestionPolledFromTheDecidingThread) {
  QuestionForm& form = Question();
  QuestionAppForm& app_form = AppQuestion();
  WinQuestions questions(form, app_form);
  std::atomic<bool> done{false};
  std::atomic<bool> first_poll{false};
  std::atomic<int32_t> answer{-1};
  std::thread decider([&] {
    questions.ShowAppQuestion("Następująca aplikacja próbuje nawiązać połączenie", kDialerPath);
    first_poll = questions.AppQuestionActive();
    while (questions.AppQuestionActive()) Sleep(20);
    answer = questions.AppQuestionAnswer();
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return app_form.Visible() && !app_form.input_guarded(); }, 3000));
  EXPECT_EQ(app_form.app_path(), kDialerPath);
  PostMessageW(app_form.button_add_to_deny(), BM_CLICK, 0, 0);
  const bool finished = PumpUntil([&] { return done.load(); }, 3000);
  decider.join();
  ASSERT_TRUE(finished);
  EXPECT_TRUE(first_poll);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(DenyList(), std::vector<std::string>{kDialerPath});
}

TEST_F(QuestionFormsTest, Screenshots) {
  QuestionForm& form = Question();
  form.Ask(
      "Następująca aplikacja próbuje nawiązać połączenie z numerem niebezpiecznym\r\n"
      "C:\\Program Files\\Dialer\\dialer.exe\r\n\r\nNumer: 0 700 123 456\r\nKraj: Polska"
      "\r\n\r\nZezwolić na dostęp do modemu?",
      20);
  SnapWindow(form.handle(), "question_guarded");
  EndGuard(form);
  SendMessageW(form.handle(), WM_TIMER, QuestionForm::kTimerId, 0);
  SnapWindow(form.handle(), "question_countdown");
  form.Close();

  QuestionAppForm& app_form = AppQuestion();
  app_form.MarkActive();
  app_form.Ask("Następująca aplikacja próbuje nawiązać połączenie\r\n" + std::string(kDialerPath) +
                   "\r\n\r\nPozwolić aplikacji na wybranie numeru ?",
               kDialerPath);
  EndGuard(app_form);
  SnapWindow(app_form.handle(), "question_app");
  app_form.Close();
}

}  // namespace
}  // namespace lw
