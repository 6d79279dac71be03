#include "shell/win/application.h"

#include <shellapi.h>
#include <windows.h>

#include <algorithm>

#include "common/codec.h"
#include "common/format.h"
#include "common/win/program_path.h"
#include "common/win/wide.h"
#include "config/language_file.h"
#include "config/machine_identity.h"
#include "config/settings_io.h"
#include "config/win/machine_identity_win.h"
#include "dialup/win/ras_dialup.h"
#include "hooking/win/hook_injector.h"
#include "monitor/connection_monitor.h"
#include "monitor/win/monitor_workers.h"
#include "monitor/win/ras_events.h"
#include "net/win/addons_service.h"
#include "net/win/update_worker.h"
#include "notify/notifier.h"
#include "notify/win/info_form.h"
#include "notify/win/main_images.h"
#include "notify/win/question_app_form.h"
#include "notify/win/question_form.h"
#include "notify/win/tray_icon.h"
#include "notify/win/win_notifier.h"
#include "notify/win/win_questions.h"
#include "policy/attempt_log.h"
#include "policy/decisions.h"
#include "shell/win/main_thread.h"

namespace lw {

namespace {

std::string ModulePathAnsi() {
  char path[MAX_PATH * 2] = "";
  const DWORD length = GetModuleFileNameA(nullptr, path, static_cast<DWORD>(sizeof path));
  return std::string(path, length < sizeof path ? length : 0);
}

// The country code of the system default locale.
int32_t SystemCountryCode() {
  wchar_t code[16] = L"";
  if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_ICOUNTRY, code, 16)) return 0;
  return static_cast<int32_t>(wcstol(code, nullptr, 10));
}

// The country name of the system default locale, in its own language (UTF-8).
std::string SystemCountryName() {
  wchar_t name[128] = L"";
  if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SNATIVECTRYNAME, name, 128)) return {};
  return Narrow(name);
}

constexpr UINT_PTR kAccelerationTimerId = 0x4C57;
constexpr UINT kAccelerationTimerMs = 2000;
// The one application whose timer dials the accelerated connection.
Application* g_timer_target = nullptr;

}  // namespace

Application::Application()
    : program_path_(ModulePathAnsi()),
      program_dir_(ProgramFolder()),
      own_country_code_(SystemCountryCode()),
      main_form_(texts_, messages_, MainFormHooks()),
      about_form_(texts_,
                  {messages_.Text(msg::TranslatorWeb), messages_.Text(msg::TranslatorMail)}),
      config_ui_({&main_form_, [this] { return options_form_.get(); },
                  [this](std::string_view caption) { return ChooseFirstRunEntry(caption); }}) {}

Application::~Application() {
  addons_.reset();
  StopMonitoring();
  g_timer_target = nullptr;
  // Windows go before the dispatcher that worker threads post to them through.
  tray_.reset();
  ShutdownMainThreadDispatcher();
}

void Application::Run() {
  InitMainThreadDispatcher();
  MainFormCreate();
  CreateWindows();
  if (already_running_) {
    MessageBoxW(nullptr, Widen(messages_.Text(msg::AlreadyRunning)).c_str(), L"LarkWatch",
                MB_OK | MB_ICONERROR);
    return;
  }
  // The extensions are loaded when the interception runs, with the windows their commands and
  // warnings need; then the requests that waited since the queue was created are served.
  if (interception_started_) extensions_->LoadExtensions();
  hooking_.StartServing();
  MessageLoop();
}

// The main window's creation: its state and menu, the locks, the values read at start, and the
// start of the hooking (the queue's creation is the single-instance test).
void Application::MainFormCreate() {
  main_form_.Create();
  ReadStartValues();
  hooking_.SetUp();
  log_ = std::make_unique<AttemptLog>("logs.txt", messages_, clock_, SystemCodec());
  // The extension folder is watched from before the interception starts, so that no library
  // copied in meanwhile goes unnoticed.
  extension_system_ = std::make_unique<WinExtensionSystem>(program_dir_);
  extension_watch_ = std::make_unique<ExtensionFolderWatch>(extension_system_->folder());
  extensions_ = std::make_unique<ExtensionHost>(
      *extension_system_, registry_, static_cast<ExtensionUi&>(*this), messages_,
      [this](std::vector<std::string> base_names) {
        if (addons_) {
          addons_->StartChecksumRefresh(std::move(base_names));
        }
      });
  const bool created = hooking_.CreateQueue(
      QueueName(hooking_.QueueNumber()),
      [this](std::span<const uint8_t> message, const DialIntake::AnswerSink& answer) {
        if (intake_) {
          intake_->HandleDialRequest(message, answer);
        } else {
          answer(0);
        }
      });
  if (!created) {
    hooking_.TearDown();
    already_running_ = true;
    return;
  }
  interception_started_ = hooking_.Inject() == HookOutcome::Ok;
  extended_ras_sizes_ = SystemUsesExtendedRasSizes();
  dialup_ = std::make_unique<RasDialUp>(extended_ras_sizes_);
  FindLanguages();
}

void Application::ReadStartValues() {
  if (!registry_.KeyExists(Hive::CurrentUser, kSettingsKey)) return;
  RegValue<std::string> number = registry_.ReadString(Hive::CurrentUser, kSettingsKey, "LWNo");
  if (number.ok()) accelerated_number_ = number.value;
  RegValue<std::string> language =
      registry_.ReadString(Hive::CurrentUser, kSettingsKey, "Langugage");
  if (language.ok()) language_ = language.value;
}

// The windows after the main one, in their fixed order; the options dialog, last, completes
// the start-up.
void Application::CreateWindows() {
  auto identity_source = MakeWindowsMachineIdentitySource();
  machine_identity_ = ComputeMachineIdentity(*identity_source);
  info_form_ = std::make_unique<InfoForm>(InfoFormDeps{settings_, messages_, {}});
  about_form_.Create();
  about_form_.on_visibility = [this](bool shown) { SetTaskbarButton(about_form_.hwnd(), shown); };
  login_form_ = std::make_unique<TLoginForm>(
      texts_, [this] { SetTaskbarButton(login_form_->hwnd(), true); },
      [this] { SetTaskbarButton(login_form_->hwnd(), false); }, main_form_.hwnd(),
      [this] { IdleProcessing(); });
  login_form_->Create();
  default_form_ = MakeChooser();
  default_form_->Create();
  question_app_form_ = std::make_unique<QuestionAppForm>(
      QuestionWindowDeps{texts_, messages_, nullptr,
                         [this] { SetTaskbarButton(question_app_form_->handle(), true); },
                         [this] { SetTaskbarButton(question_app_form_->handle(), false); }},
      AppListDeps{settings_,
                  SaveListTo(ListStorage{registry_, std::filesystem::path(program_dir_),
                                         machine_identity_, program_path_}),
                  {}});
  input_form_ = std::make_unique<TInputForm>(
      texts_, [this] { SetTaskbarButton(input_form_->hwnd(), true); },
      [this] { SetTaskbarButton(input_form_->hwnd(), false); }, main_form_.hwnd(),
      [this] { IdleProcessing(); });
  input_form_->Create();
  question_form_ = std::make_unique<QuestionForm>(
      QuestionWindowDeps{texts_, messages_, main_form_.hwnd(),
                         [this] { SetTaskbarButton(question_form_->handle(), true); },
                         [this] {
                           SetTaskbarButton(question_form_->handle(), false);
                           // Posted: a modal question reads its answer before the next one takes
                           // the window.
                           RunOnMainThread([this] {
                             if (questions_) questions_->QuestionClosed();
                           });
                         }});
  CreateOptionsForm();
  if (!already_running_) OptionsFormCreate();
}

// An entry chooser; the shared one lives with the program, the first-run configuration makes
// one of its own.
std::unique_ptr<TDefaultForm> Application::MakeChooser() {
  // The window's taskbar button follows it; the callbacks learn the window once it exists.
  auto self = std::make_shared<TDefaultForm*>(nullptr);
  auto chooser = std::make_unique<TDefaultForm>(
      *dialup_, [this](HWND owner) { return dialup_->CreateEntry(owner); },
      [this](HWND owner, const std::string& name) { return dialup_->EditEntry(owner, name); },
      texts_, messages_, SystemCodec(),
      [this, self] {
        if (*self) SetTaskbarButton((*self)->hwnd(), true);
      },
      [this, self] {
        if (*self) SetTaskbarButton((*self)->hwnd(), false);
      },
      main_form_.hwnd(), [this] { IdleProcessing(); });
  *self = chooser.get();
  return chooser;
}

ChosenEntry Application::ChooseFirstRunEntry(std::string_view caption) {
  if (!dialup_) return {};
  std::unique_ptr<TDefaultForm> chooser = MakeChooser();
  if (!chooser->Create()) return {};
  return chooser->ShowModal(std::string(caption));
}

// What loading and saving the settings work with.
ConfigEnv Application::MakeConfigEnv() {
  return ConfigEnv{settings_,
                   registry_,
                   config_ui_,
                   messages_,
                   std::filesystem::path(program_dir_),
                   program_path_,
                   machine_identity_,
                   [](const std::filesystem::path& dir) { SetCurrentDirectoryW(dir.c_str()); }};
}

// The options dialog, the last window: the editing view of the settings.
void Application::CreateOptionsForm() {
  TOptionsForm::Deps deps{settings_, texts_, messages_, program_path_};
  deps.save = [this] {
    ConfigEnv env = MakeConfigEnv();
    return SaveSettings(env);
  };
  deps.reload = [this] {
    ConfigEnv env = MakeConfigEnv();
    const LoadOutcome outcome = LoadSettings(env, false);
    ReportLoadFailure(env, false, outcome);
  };
  // The dialog's own message boxes: its questions default to No.
  deps.application_title = [this] { return config_ui_.ApplicationTitle(); };
  deps.ask_value = [this](std::string_view prompt) {
    return input_form_ ? input_form_->Ask(std::string(prompt)) : std::nullopt;
  };
  deps.choose_entry = [this] {
    // The chooser reads the phonebook itself when shown; the program's own list is read after
    // it, since entries may have been created or edited in it.
    const ChosenEntry chosen = default_form_ ? default_form_->ShowModal() : ChosenEntry{};
    if (ConnectionMonitor* monitor = Monitor()) monitor->EnumerateEntries();
    return chosen;
  };
  deps.accelerated_number = [this] {
    RegValue<std::string> number = registry_.ReadString(Hive::CurrentUser, kSettingsKey, "LWNo");
    return number.ok() ? number.value : std::string();
  };
  deps.on_saved = [this] {
    // The statistics window takes its stored position at its next show, the information
    // window its settings at its next notice.
    stats_shown_before_ = false;
    if (info_form_) info_form_->ReloadSettings();
  };
  deps.show_taskbar_button = [this] { SetTaskbarButton(options_form_->hwnd(), true); };
  deps.hide_taskbar_button = [this] { SetTaskbarButton(options_form_->hwnd(), false); };
  options_form_ = std::make_unique<TOptionsForm>(std::move(deps));
  options_form_->Create();
}

// The options dialog's creation: the settings and lists are loaded (with the first-run
// configuration and the checksum warnings), then the monitoring starts.
void Application::OptionsFormCreate() {
  main_form_.CheckLanguage(language_);
  if (!language_.empty()) ApplyLanguage(language_);
  ConfigEnv env = MakeConfigEnv();
  const LoadOutcome outcome = LoadSettings(env, true);
  ReportLoadFailure(env, true, outcome);
  options_form_->Refresh();

  notifier_ = std::make_unique<WinNotifier>(*info_form_);
  questions_ = std::make_unique<WinQuestions>(*question_form_, *question_app_form_);
  policy_ =
      std::make_unique<Policy>(PolicyPorts{settings_, *dialup_, *notifier_, *questions_, clock_,
                                           registry_, messages_, *this, SystemCodec()});
  intake_ = std::make_unique<DialIntake>(decision_lock_, *policy_, *extensions_, *log_);
  // A checksum stored by an add-on worker reloads the extensions at the next idle moment; the
  // posted nothing wakes the message loop for it.
  addons_ = std::make_unique<AddonsService>(
      *notifier_, messages_, texts_,
      [this] {
        extensions_->RequestReload();
        RunOnMainThread([] {});
      },
      [this](bool shown) {
        if (addons_ && addons_->form()) SetTaskbarButton(addons_->form()->hwnd(), shown);
      });
  StartMonitoring();
  main_form_.Hide();
  // Connections that exist already are drawn, and evaluated at the first idle moment.
  monitor_->DrawConnection(0);
}

// The tray icon, idle, with the menu.
void Application::StartMonitoring() {
  tray_ = std::make_unique<TrayIcon>();
  tray_->SetPopupMenu(main_form_.popup_menu());
  tray_->SetAutoShow(true);
  tray_->OnMenuCommand = [this](UINT command) {
    PostMessageW(main_form_.hwnd(), WM_COMMAND, command, 0);
  };
  tray_->OnLeftBtnClick = [this] {
    if (main_form_.IsVisible()) main_form_.Hide();
  };
  StartConnectionMonitor();
  tray_state_->SetTrayImage(image::kIdle);
  tray_state_->SetTrayHint(messages_.Text(msg::TrayIdle));
  RegValue<uint32_t> on_top = registry_.ReadDword(Hive::CurrentUser, kSettingsKey, "StatsOnTop");
  main_form_.ApplyStatsOnTop(on_top.ok() ? static_cast<int>(on_top.value != 0) : 1);
  PlaceStatsWindow();
  tray_->SetEnabled(true);
  monitor_->SetOwnCountryCode(own_country_code_);
  UpdateStatsCaption();
  monitor_->EnumerateConnections();
  monitor_->EnumerateEntries();
  ras_events_ = std::make_unique<RasEvents>(*dialup_, [this](int code) {
    RunOnMainThread([this, code] {
      if (ConnectionMonitor* monitor = Monitor()) monitor->OnRasEvent(code);
    });
  });
  ras_events_->Start();
}

// The connection monitor with its workers; the tray is reached through them from any thread.
void Application::StartConnectionMonitor() {
  tray_state_ = std::make_unique<WinTrayState>([this] { return tray_.get(); });
  workers_ = std::make_unique<WinMonitorWorkers>(
      WorkerPorts{*dialup_, *notifier_, *tray_state_, messages_, monitor_target_,
                  [this](std::function<bool()> stop) {
                    RunUpdateCheck(*notifier_, messages_, std::move(stop));
                  }});
  monitor_ = std::make_unique<ConnectionMonitor>(
      MonitorPorts{settings_, *dialup_, *notifier_, *tray_state_, *this, *workers_, registry_,
                   messages_, texts_, SystemCodec()});
  monitor_->SetAcceleratedNumber(accelerated_number_);
  monitor_target_.store(monitor_.get());
  g_timer_target = this;
}

// The events are no longer waited for, and every worker has ended, before the windows and the
// dispatcher they post to go.
void Application::StopMonitoring() {
  monitor_target_.store(nullptr);
  if (ras_events_) ras_events_->SignalTermination();
  if (workers_) workers_->StopAndJoin();
  ras_events_.reset();
}

// The stored position, or the bottom-right corner of the desktop; a position outside the
// desktop (another screen setup since) is moved back onto it.
void Application::PlaceStatsWindow() {
  const SIZE desktop = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  const SIZE size = main_form_.WindowSize();
  RegValue<uint32_t> x = registry_.ReadDword(Hive::CurrentUser, kSettingsKey, "X");
  RegValue<uint32_t> y = registry_.ReadDword(Hive::CurrentUser, kSettingsKey, "Y");
  int left = x.ok() ? static_cast<int32_t>(x.value) : desktop.cx - size.cx - 10;
  int top = y.ok() ? static_cast<int32_t>(y.value) : desktop.cy - size.cy - 40;
  left = std::max(0, std::min(left, static_cast<int>(desktop.cx - size.cx)));
  top = std::max(0, std::min(top, static_cast<int>(desktop.cy - size.cy)));
  main_form_.MoveTo(left, top);
}

void Application::ShowStatsWindow() {
  if (!stats_shown_before_) {
    stats_shown_before_ = true;
    PlaceStatsWindow();
  }
  main_form_.Show(SW_SHOWNORMAL);
  SetForegroundWindow(main_form_.hwnd());
}

bool Application::OwnDialPending() {
  ConnectionMonitor* monitor = Monitor();
  return monitor && monitor->OwnDialPending();
}

// A decision thread asks for the accelerated dial: the main window's timer makes it once.
void Application::EnableAccelerationTimer() {
  RunOnMainThread([this] { SetAccelerationTimer(true); });
}

void Application::SetAccelerationTimer(bool on) {
  if (on) {
    SetTimer(main_form_.hwnd(), kAccelerationTimerId, kAccelerationTimerMs, AccelerationTimerProc);
  } else {
    KillTimer(main_form_.hwnd(), kAccelerationTimerId);
  }
}

void CALLBACK Application::AccelerationTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  Application* app = g_timer_target;
  if (ConnectionMonitor* monitor = app ? app->Monitor() : nullptr) monitor->TimerTimer();
}

void Application::ShowConnection(const ConnectionView& view) { main_form_.ShowConnection(view); }

void Application::ErrorBox(const std::string& text) {
  MessageBoxW(main_form_.hwnd(), Widen(text).c_str(), L"LarkWatch", MB_OK | MB_ICONERROR);
}

void Application::WarningBox(const std::string& text) {
  MessageBoxW(main_form_.hwnd(), Widen(text).c_str(), L"LarkWatch", MB_OK | MB_ICONWARNING);
}

bool Application::QuestionVisible() { return question_form_ && question_form_->Visible(); }

// A decision's question in the window is answered first: one window never carries two
// questions at once.
int32_t Application::AskQuestion(const std::string& text, int32_t countdown) {
  if (!question_form_) return 0;
  while (question_form_->Visible() || (questions_ && questions_->Busy())) {
    MSG message;
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjectsEx(0, nullptr, kQuestionPollMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return 0;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return question_form_->ShowModal(text, countdown);
}

bool Application::LoginVisible() { return login_form_ && login_form_->IsVisible(); }

bool Application::AskLogin(LoginFields& fields) {
  return login_form_ && login_form_->ShowModal(fields);
}

// The statistics window's buttons and keys act on the connection monitor.
TMainForm::Hooks Application::MainFormHooks() {
  TMainForm::Hooks hooks{[this] { IdleProcessing(); },
                         [this](UINT command) { MainFormCommand(command); },
                         [this] { MainFormCloseHandler(); }, [this] { MainFormDestroy(); }};
  hooks.prev = [this] {
    if (ConnectionMonitor* monitor = Monitor()) monitor->ButtonPrevClick();
  };
  hooks.next = [this] {
    if (ConnectionMonitor* monitor = Monitor()) monitor->ButtonNextClick();
  };
  hooks.disconnect = [this] {
    if (ConnectionMonitor* monitor = Monitor()) monitor->ButtonDisconnectClick();
  };
  hooks.refresh = [this] {
    if (ConnectionMonitor* monitor = Monitor()) monitor->ButtonRefreshStatsClick();
  };
  hooks.last_info = [this] {
    if (info_form_) info_form_->ShowInfo(std::string(), -1);
  };
  return hooks;
}

void Application::MessageLoop() {
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return;
      // Only posted close messages pass here: "--stop" ends the program without a question,
      // whatever window it was posted to.
      if (message.message == WM_CLOSE) {
        main_form_.ForceClose();
        continue;
      }
      if (about_form_.IsVisible() && IsDialogMessageW(about_form_.hwnd(), &message)) continue;
      if (main_form_.PreTranslate(message)) continue;
      if (options_form_ && options_form_->PreTranslate(message)) continue;
      if (addons_ && addons_->PreTranslate(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    IdleProcessing();
    // A change in the extension folder wakes the loop as a message would.
    HANDLE watch = extension_watch_ ? extension_watch_->handle() : nullptr;
    MsgWaitForMultipleObjectsEx(watch ? 1 : 0, watch ? &watch : nullptr, INFINITE, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

// The program's windows are tool windows, without taskbar buttons; a window that waits for the
// user gets one while it is shown, so that it can be found again behind other windows.
void Application::SetTaskbarButton(HWND window, bool shown) {
  if (!window) return;
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  const LONG_PTR wanted = shown ? (style | WS_EX_APPWINDOW) : (style & ~WS_EX_APPWINDOW);
  if (wanted != style) SetWindowLongPtrW(window, GWL_EXSTYLE, wanted);
}

// Runs whenever the main thread has nothing else to do.
void Application::IdleProcessing() {
  if (ConnectionMonitor* monitor = Monitor()) monitor->IdleProcessing();
  if (extensions_ && extension_watch_) extensions_->IdleProcessing(extension_watch_->Changed());
}

// The warning is owned by the main window and captioned with the program's path.
void Application::Warn(const std::string& text) {
  MessageBoxW(main_form_.hwnd(), Widen(text).c_str(), OwnProgramPath().c_str(),
              MB_OK | MB_ICONWARNING);
}

// An extension's name is text of the system's code page.
void Application::AddCommand(std::size_t index, const std::string& caption) {
  main_form_.AddExtensionCommand(index, Narrow(WidenFrom(CP_ACP, caption)));
}

void Application::MainFormCommand(UINT command) {
  switch (command) {
    case kMenuStats:
      ShowStatsWindow();
      break;
    case kMenuDialDefault:
      if (ConnectionMonitor* monitor = Monitor()) monitor->DialDefaultClick();
      break;
    case kMenuOptions:
      if (options_form_) options_form_->ShowOptions(false);
      break;
    case kMenuAbout:
      about_form_.ShowAbout();
      break;
    case kMenuAddonsScan:
      if (addons_) addons_->ShowCatalogue();
      break;
    case kMenuHelp:
      MenuHelp();
      break;
    case kMenuLangVersionTranslation:
      break;
    case kMenuLangVersionHttp:
      ShellExecuteW(nullptr, L"open", Widen(messages_.Text(msg::TranslatorWeb)).c_str(), nullptr,
                    nullptr, SW_SHOWNORMAL);
      break;
    case kMenuLangVersionEmail:
      ShellExecuteW(nullptr, L"open",
                    Widen("mailto:" + messages_.Text(msg::TranslatorMail)).c_str(), nullptr,
                    nullptr, SW_SHOWNORMAL);
      break;
    default:
      if (command >= kMenuLanguageFirst && command - kMenuLanguageFirst < languages_.size()) {
        LanguageClick(command - kMenuLanguageFirst);
      } else if (command >= kMenuExtensionFirst && extensions_) {
        extensions_->RunCommand(command - kMenuExtensionFirst);
      }
      break;
  }
}

// The language files beside the program, one menu item each, by name (the order the file
// system of Windows lists them in).
void Application::FindLanguages() {
  languages_.clear();
  WIN32_FIND_DATAW found;
  const std::wstring pattern = Widen(LanguageSearchPattern(Narrow(program_dir_)));
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      languages_.push_back(LanguageCaption(Narrow(found.cFileName)));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  std::sort(languages_.begin(), languages_.end(), [](const std::string& a, const std::string& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, Widen(a).c_str(), -1, Widen(b).c_str(),
                          -1) == CSTR_LESS_THAN;
  });
  main_form_.SetLanguages(languages_);
}

void Application::LanguageClick(std::size_t index) {
  language_ = languages_[index];
  main_form_.CheckLanguage(language_);
  ApplyLanguage(language_);
}

// A file that cannot be read changes nothing.
void Application::ApplyLanguage(const std::string& name) {
  if (ApplyLanguageFile(LanguageFilePath(Narrow(program_dir_), name), SystemCodec(), messages_,
                        texts_)) {
    ApplyTextsToWindows();
  }
}

// The statistics caption: the own country's code and name in the current language's format.
void Application::UpdateStatsCaption() {
  main_form_.SetCaption(FormatText(messages_.Text(msg::StatsCaption),
                                   {int64_t{own_country_code_}, SystemCountryName()}));
}

// Every live window takes its texts again (the credential prompt takes them when it is shown);
// the statistics caption is formatted anew.
void Application::ApplyTextsToWindows() {
  main_form_.ApplyTexts();
  UpdateStatsCaption();
  about_form_.ApplyTexts();
  if (question_form_) question_form_->ApplyTexts();
  if (question_app_form_) question_app_form_->ApplyTexts();
  if (default_form_) default_form_->ApplyTexts();
  if (options_form_) options_form_->ApplyTexts();
  if (addons_) addons_->ApplyTexts();
}

// The help file beside the program, opened by the shell; its errors are not reported.
void Application::MenuHelp() {
  const std::wstring help = program_dir_ + L"Help\\index.html";
  ShellExecuteW(nullptr, L"open", help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// The program is really closing: the icon says so and goes.
void Application::MainFormCloseHandler() {
  main_form_.Hide();
  if (tray_) {
    tray_->OnLeftBtnClick = nullptr;
    tray_->SetHint(messages_.Text(msg::TrayClosing));
    tray_->SetEnabled(false);
  }
}

// The main window's destruction: the hook library leaves every process and the queue stops
// before anything it needs goes; then the values kept across runs are saved.
void Application::MainFormDestroy() {
  if (already_running_) return;
  // A decision still waiting for an answer is ended, so that the queue can stop.
  if (questions_) questions_->Abandon();
  if (question_form_) question_form_->Abandon();
  if (question_app_form_) question_app_form_->Abandon();
  hooking_.Remove();
  hooking_.TearDown();
  // No request is decided any more: the extensions are told nothing more and can go.
  if (extension_watch_) extension_watch_->Close();
  if (extensions_) extensions_->UnloadExtensions();
  // The add-on workers' connections are cut short and the workers awaited.
  if (addons_) addons_->StopAndJoin();
  StopMonitoring();
  SaveShutdownValues();
}

void Application::SaveShutdownValues() {
  if (!registry_.CreateKey(Hive::CurrentUser, kSettingsKey)) return;
  RECT rect = {};
  GetWindowRect(main_form_.hwnd(), &rect);
  registry_.WriteDword(Hive::CurrentUser, kSettingsKey, "X", static_cast<uint32_t>(rect.left));
  registry_.WriteDword(Hive::CurrentUser, kSettingsKey, "Y", static_cast<uint32_t>(rect.top));
  registry_.WriteString(Hive::CurrentUser, kSettingsKey, "Langugage", language_);
  registry_.WriteDword(Hive::CurrentUser, kSettingsKey, "StatsOnTop",
                       main_form_.StatsOnTop() ? 1 : 0);
}

}  // namespace lw
