#pragma once
// The running program: its windows in their fixed order, the queue that serves the hook
// library, the policy wired to the real ports, the message loop with its idle processing, and
// the shutdown in order. One object, living on the main thread from start to end.

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/win/system_clock.h"
#include "config/control_texts.h"
#include "config/messages.h"
#include "config/settings.h"
#include "config/settings_io.h"
#include "config/win/default_form.h"
#include "config/win/input_form.h"
#include "config/win/login_form.h"
#include "config/win/options_form.h"
#include "config/win/win_registry.h"
#include "extension_host/extension_host.h"
#include "extension_host/win/win_extension_system.h"
#include "hooking/intake.h"
#include "hooking/win/hooking_library.h"
#include "monitor/monitor_ports.h"
#include "policy/program_state.h"
#include "shell/win/about_form.h"
#include "shell/win/main_form.h"
#include "shell/win/win_config_ui.h"

namespace lw {

class AttemptLog;
class ConnectionMonitor;
class RasEvents;
class WinMonitorWorkers;
class AddonsService;
class WinTrayState;
class InfoForm;
class Policy;
class QuestionAppForm;
class QuestionForm;
class RasDialUp;
class TrayIcon;
class WinNotifier;
class WinQuestions;

class Application final : public ProgramState, private MonitorUi, private ExtensionUi {
 public:
  Application();
  ~Application() override;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Starts up, runs until the program ends, and shuts down. A second instance shows its message
  // and returns.
  void Run();

  // What the decisions read of the program (any thread).
  std::string ProgramPath() override { return program_path_; }
  int32_t OwnCountryCode() override { return own_country_code_; }
  bool OwnDialPending() override;
  void EnableAccelerationTimer() override;

 private:
  void MainFormCreate();
  void CreateWindows();
  void OptionsFormCreate();
  void StartMonitoring();
  void MessageLoop();
  void IdleProcessing();
  void MainFormCommand(UINT command);
  // ExtensionUi: the warning about a library, and its command in the "Dodatki" submenu.
  void Warn(const std::string& text) override;
  void AddCommand(std::size_t index, const std::string& caption) override;
  void MainFormCloseHandler();
  void MainFormDestroy();
  TMainForm::Hooks MainFormHooks();
  std::unique_ptr<TDefaultForm> MakeChooser();
  ChosenEntry ChooseFirstRunEntry(std::string_view caption);
  ConfigEnv MakeConfigEnv();
  void CreateOptionsForm();
  void FindLanguages();
  void LanguageClick(std::size_t index);
  void ApplyLanguage(const std::string& name);
  void ApplyTextsToWindows();
  void UpdateStatsCaption();
  void MenuHelp();
  void SetTaskbarButton(HWND window, bool shown);
  void ReadStartValues();
  void SaveShutdownValues();
  void StartConnectionMonitor();
  void PlaceStatsWindow();
  void ShowStatsWindow();
  void StopMonitoring();

  // The windows of the connection monitor (main thread).
  void ShowConnection(const ConnectionView& view) override;
  void ErrorBox(const std::string& text) override;
  void WarningBox(const std::string& text) override;
  bool QuestionVisible() override;
  int32_t AskQuestion(const std::string& text, int32_t countdown) override;
  bool LoginVisible() override;
  bool AskLogin(LoginFields& fields) override;
  void SetAccelerationTimer(bool on) override;
  static void CALLBACK AccelerationTimerProc(HWND window, UINT message, UINT_PTR id, DWORD time);

  // The program's own file and folder (ANSI bytes for the policy, wide for files).
  std::string program_path_;
  std::wstring program_dir_;
  int32_t own_country_code_ = 0;
  bool stats_shown_before_ = false;
  bool already_running_ = false;
  bool interception_started_ = false;
  bool extended_ras_sizes_ = false;
  std::string accelerated_number_;
  std::string language_;
  std::vector<std::string> languages_;  // the language files' names, in menu order
  std::string machine_identity_;        // computed once, when the windows are created

  MessageTable messages_;
  ControlTexts texts_;
  SettingsStore settings_;
  WinRegistry registry_;
  SystemClock clock_;
  std::mutex decision_lock_;
  std::unique_ptr<RasDialUp> dialup_;

  TMainForm main_form_;
  std::unique_ptr<InfoForm> info_form_;
  TAboutForm about_form_;
  std::unique_ptr<TLoginForm> login_form_;
  std::unique_ptr<TDefaultForm> default_form_;
  std::unique_ptr<QuestionAppForm> question_app_form_;
  std::unique_ptr<TInputForm> input_form_;
  std::unique_ptr<QuestionForm> question_form_;
  std::unique_ptr<TOptionsForm> options_form_;
  std::unique_ptr<TrayIcon> tray_;
  WinConfigUi config_ui_;

  std::unique_ptr<WinNotifier> notifier_;
  std::unique_ptr<WinQuestions> questions_;
  std::unique_ptr<Policy> policy_;
  std::unique_ptr<AttemptLog> log_;
  std::unique_ptr<WinExtensionSystem> extension_system_;
  std::unique_ptr<ExtensionFolderWatch> extension_watch_;
  std::unique_ptr<ExtensionHost> extensions_;
  std::unique_ptr<AddonsService> addons_;
  std::unique_ptr<DialIntake> intake_;
  std::unique_ptr<WinTrayState> tray_state_;
  std::unique_ptr<WinMonitorWorkers> workers_;
  std::unique_ptr<ConnectionMonitor> monitor_;
  // The monitor while it runs (null before and at the end): posted work and the deciding
  // threads reach it through this.
  std::atomic<ConnectionMonitor*> monitor_target_{nullptr};
  ConnectionMonitor* Monitor() const { return monitor_target_.load(); }
  std::unique_ptr<RasEvents> ras_events_;
  HookingLibrary hooking_;
};

}  // namespace lw
