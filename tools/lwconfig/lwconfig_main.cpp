// lwconfig.exe: writes LarkWatch's settings and lists the way the options dialog's OK does
// (SaveSettings over the system registry, keyed with this machine's identity), so that a test
// or a demo can start the program already configured: no first-run question, no checksum
// warning. Also clears the program's configuration, and checks what the start-up load would say
// about the stored one.
//
//   lwconfig.exe --dir DIR [--program EXE] [--keep] [--set Name=Value ...] [--danger MASK ...]
//                [--safe MASK ...] [--permit PATH ...] [--deny PATH ...] [--verify]
//   lwconfig.exe --clear [--dir DIR]
//   lwconfig.exe --dir DIR [--program EXE] --verify
//
// DIR is the program's folder (the lists are written there); EXE the program's executable as
// the program itself sees it, by default DIR\larkwatch.exe (it is the autorun value, and it is
// never kept in the path lists). A path that starts with '/' is a Unix path of the Wine host
// and is taken through drive Z:.
//
// Writing starts from the built-in settings, or with --keep from the stored ones. The lists are
// filled first, in the order given: a number goes through the dialog's input rule (only 0-9,
// '*' and '?' are kept) and every entry must fit its list. Then the danger action falls back
// to "do nothing" when the danger list is empty, and the --set values are applied in order, with
// the dialog's rules: setting a member of a one-of group clears the others, OnlySafe=1 needs a
// safe number and the danger actions other than DangerDoNothing need a danger number (refused
// with exit code 2 otherwise). Names are those of the registry values (letter case ignored):
// every field of the settings key, AutoRun, and X and Y (the statistics window's position;
// by default the stored one, or 0).
//
// --clear deletes HKCU\Software\LarkWatch with everything under it and the autorun value;
// with --dir also the four list files. It may be combined with writing: clearing comes first.
//
// --verify loads the stored configuration as the program's start-up does and prints every
// message box that load would show ("message=..."), "first-run-question=1" when both number
// lists are empty (the load is not run then, as it would write the autorun value), and
// "verify=ok" when the program would start silently. It combines with writing: writing first.
//
// Output (stdout, UTF-8, one "name=value" per line; CR, LF and TAB written as \r, \n, \t):
// what was cleared, every value as read back after writing, the list files and their entries.
// Exit codes: 0 done; 1 a write, a clear or the verification failed; 2 a usage error.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "common/text.h"
#include "common/win/wide.h"
#include "config/config_ui.h"
#include "config/list_file.h"
#include "config/machine_identity.h"
#include "config/mask_input.h"
#include "config/messages.h"
#include "config/registry.h"
#include "config/settings.h"
#include "config/settings_io.h"
#include "config/settings_rules.h"
#include "config/stored_fields.h"
#include "config/win/machine_identity_win.h"
#include "config/win/win_registry.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr wchar_t kUsage[] =
    L"usage: lwconfig.exe --dir DIR [--program EXE] [--keep] [--set Name=Value ...]\n"
    L"                    [--danger MASK ...] [--safe MASK ...] [--permit PATH ...]\n"
    L"                    [--deny PATH ...] [--verify]\n"
    L"       lwconfig.exe --clear [--dir DIR]\n";

void PrintLine(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void PrintError(std::string_view line) {
  std::fputs("lwconfig: ", stderr);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

// UTF-8 with the characters that would break a line escaped (backslashes stay as they are, so
// that Windows paths read as they are).
std::string Escape(std::string_view utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// ANSI bytes (the program's own form of paths and names) as escaped UTF-8.
std::string ShowAnsi(std::string_view ansi) {
  return Escape(lw::Narrow(lw::WidenFrom(CP_ACP, ansi)));
}

std::string Utf8(std::wstring_view wide) { return lw::Narrow(wide); }

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A Unix path of the Wine host is reached through drive Z:; any path is made absolute.
std::wstring WindowsPath(std::wstring path) {
  if (!path.empty() && path[0] == L'/') {
    for (wchar_t& c : path) {
      if (c == L'/') c = L'\\';
    }
    path = L"Z:" + path;
  }
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
  full.resize(got);
  while (full.size() > 3 && full.back() == L'\\') full.pop_back();
  return full;
}

// Shows nothing: message boxes are recorded (and answered No), the options dialog and the
// choosers stay closed, the statistics window stands where the caller says.
class SilentConfigUi final : public lw::ConfigUi {
 public:
  explicit SilentConfigUi(lw::WindowPosition position) : position_(position) {}

  lw::MessageAnswer ShowMessage(std::string_view text, std::string_view /*caption*/,
                                lw::MessageIcon /*icon*/, lw::MessageButtons buttons) override {
    messages.emplace_back(text);
    return buttons == lw::MessageButtons::Ok ? lw::MessageAnswer::Ok : lw::MessageAnswer::No;
  }
  std::string ApplicationTitle() override { return "LarkWatch"; }
  void SetListCaptionAlert(lw::ListKind /*list*/, bool /*alert*/) override {}
  void EnableDangerActions(bool /*enabled*/) override {}
  void EnterMustConfigure() override { must_configure_ = true; }
  bool MustConfigure() const override { return must_configure_; }
  lw::ChosenEntry ChooseFirstRunEntry(std::string_view /*caption*/) override { return {}; }
  void ShowOptions(bool /*safe_page*/) override { options_shown = true; }
  void ApplyStatsOnTop(bool /*on_top*/) override {}
  lw::WindowPosition StatsWindowPosition() override { return position_; }

  std::vector<std::string> messages;
  bool options_shown = false;

 private:
  lw::WindowPosition position_;
  bool must_configure_ = false;
};

struct Options {
  std::optional<std::wstring> dir;
  std::optional<std::wstring> program;
  std::vector<std::pair<std::string, std::wstring>> sets;  // name (UTF-8), value
  std::vector<std::pair<lw::ListKind, std::wstring>> entries;
  bool keep = false;
  bool clear = false;
  bool verify = false;
  bool write = false;
};

std::optional<Options> ParseOptions(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::wstring_view arg = argv[i];
    const auto value = [&]() -> std::optional<std::wstring> {
      if (i + 1 >= argc) {
        PrintError(Utf8(arg) + " needs a value");
        return std::nullopt;
      }
      return std::wstring(argv[++i]);
    };
    const auto list = [&](lw::ListKind kind) {
      std::optional<std::wstring> entry = value();
      if (!entry) return false;
      options.entries.emplace_back(kind, *entry);
      options.write = true;
      return true;
    };
    if (arg == L"--dir") {
      if (!(options.dir = value())) return std::nullopt;
    } else if (arg == L"--program") {
      if (!(options.program = value())) return std::nullopt;
    } else if (arg == L"--set") {
      std::optional<std::wstring> pair = value();
      if (!pair) return std::nullopt;
      const std::size_t equals = pair->find(L'=');
      if (equals == std::wstring::npos || equals == 0) {
        PrintError("--set takes Name=Value, not " + Utf8(*pair));
        return std::nullopt;
      }
      options.sets.emplace_back(Utf8(pair->substr(0, equals)), pair->substr(equals + 1));
      options.write = true;
    } else if (arg == L"--danger") {
      if (!list(lw::ListKind::Danger)) return std::nullopt;
    } else if (arg == L"--safe") {
      if (!list(lw::ListKind::Safe)) return std::nullopt;
    } else if (arg == L"--permit") {
      if (!list(lw::ListKind::Permit)) return std::nullopt;
    } else if (arg == L"--deny") {
      if (!list(lw::ListKind::Deny)) return std::nullopt;
    } else if (arg == L"--keep") {
      options.keep = options.write = true;
    } else if (arg == L"--clear") {
      options.clear = true;
    } else if (arg == L"--verify") {
      options.verify = true;
    } else {
      PrintError("unknown argument " + Utf8(arg));
      return std::nullopt;
    }
  }
  // With nothing else to do, the built-in settings are written.
  if (!options.clear && !options.verify) options.write = true;
  if ((options.write || options.verify) && !options.dir) {
    PrintError("--dir is needed to write or verify the settings");
    return std::nullopt;
  }
  return options;
}

// Everything the settings functions are given, as the program sets it up at start-up.
struct Setup {
  std::filesystem::path dir;
  std::string program_path;  // ANSI
  lw::WinRegistry registry;
  lw::SettingsStore store;
  lw::MessageTable messages;
  std::string identity;
};

void Prepare(Setup& setup, const Options& options) {
  const std::wstring dir = WindowsPath(*options.dir);
  setup.dir = std::filesystem::path(dir);
  const std::wstring program =
      options.program ? WindowsPath(*options.program) : dir + L"\\larkwatch.exe";
  setup.program_path = lw::NarrowTo(CP_ACP, program);
  std::unique_ptr<lw::MachineIdentitySource> source = lw::MakeWindowsMachineIdentitySource();
  setup.identity = lw::ComputeMachineIdentity(*source);
  PrintLine("dir=" + Escape(Utf8(dir)));
  PrintLine("program=" + ShowAnsi(setup.program_path));
  PrintLine("identity-bytes=" + std::to_string(setup.identity.size()));
}

lw::ConfigEnv EnvOf(Setup& setup, lw::ConfigUi& ui) {
  return lw::ConfigEnv{setup.store,        setup.registry, ui, setup.messages, setup.dir,
                       setup.program_path, setup.identity, {}};
}

lw::WindowPosition StoredPosition(lw::Registry& registry) {
  const auto read = [&](std::string_view name) {
    lw::RegValue<uint32_t> value =
        registry.ReadDword(lw::Hive::CurrentUser, lw::kSettingsKey, name);
    return value.ok() ? static_cast<int32_t>(value.value) : 0;
  };
  return {read("X"), read("Y")};
}

// --- clearing ---------------------------------------------------------------------------------

bool Clear(const Options& options) {
  bool ok = true;
  const LSTATUS tree = RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\LarkWatch");
  if (tree == ERROR_SUCCESS || tree == ERROR_FILE_NOT_FOUND) {
    // The tree function may leave the empty key itself behind.
    const LSTATUS key = RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\LarkWatch");
    if (key != ERROR_SUCCESS && key != ERROR_FILE_NOT_FOUND) ok = false;
  } else {
    ok = false;
  }
  PrintLine(std::string("cleared-key=") + (ok ? "HKCU\\Software\\LarkWatch" : "failed"));

  HKEY run = nullptr;
  bool run_ok = true;
  const LSTATUS opened =
      RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                    KEY_SET_VALUE, &run);
  if (opened == ERROR_SUCCESS) {
    const LSTATUS deleted = RegDeleteValueW(run, L"LarkWatch");
    run_ok = deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
    RegCloseKey(run);
  } else {
    run_ok = opened == ERROR_FILE_NOT_FOUND;
  }
  PrintLine(std::string("cleared-run-value=") + (run_ok ? "LarkWatch" : "failed"));
  ok &= run_ok;

  if (options.dir) {
    const std::filesystem::path dir(WindowsPath(*options.dir));
    for (lw::ListKind kind : lw::kAllLists) {
      const std::filesystem::path file = dir / std::string(lw::InfoOf(kind).file);
      std::error_code error;
      std::filesystem::remove(file, error);
      PrintLine("cleared-file=" + Escape(Utf8(file.wstring())) + (error ? " failed" : ""));
      ok &= !error;
    }
  }
  return ok;
}

// --- writing ----------------------------------------------------------------------------------

bool ParseFlag(std::wstring_view text, bool& on) {
  if (text == L"0" || text == L"false") {
    on = false;
  } else if (text == L"1" || text == L"true") {
    on = true;
  } else {
    return false;
  }
  return true;
}

bool IsDangerAction(std::string_view name) {
  return name == "DangerDisNow" || name == "RadioButtonDisAfter" || name == "DangerAsk";
}

// Applies one --set; false (with the reason printed) when the name is unknown or the dialog
// would refuse the value.
bool ApplySet(lw::Settings& settings, lw::WindowPosition& position, std::string_view name,
              const std::wstring& value) {
  const std::string text = Utf8(value);
  const auto refuse = [&](std::string_view why) {
    PrintError(std::string(name) + "=" + text + ": " + std::string(why));
    return false;
  };
  if (EqualsNoCase(name, "AutoRun")) {
    return ParseFlag(value, settings.AutoRun) || refuse("a flag takes 0 or 1");
  }
  if (EqualsNoCase(name, "X") || EqualsNoCase(name, "Y")) {
    std::optional<int32_t> number = lw::ParseInteger(text);
    if (!number) return refuse("not an integer");
    (EqualsNoCase(name, "X") ? position.left : position.top) = *number;
    return true;
  }
  for (const lw::StoredField& field : lw::StoredFields()) {
    if (!EqualsNoCase(name, field.name)) continue;
    switch (field.kind) {
      case lw::StoredKind::Flag: {
        bool on = false;
        if (!ParseFlag(value, on)) return refuse("a flag takes 0 or 1");
        if (on && IsDangerAction(field.name) && settings.DangerList.empty()) {
          return refuse("the danger actions need a danger number (--danger)");
        }
        if (!field.set_flag(settings, on)) return refuse("needs a safe number first (--safe)");
        return true;
      }
      case lw::StoredKind::Integer: {
        std::optional<int32_t> number = lw::ParseInteger(text);
        if (!number) return refuse("not an integer");
        settings.*field.integer = *number;
        return true;
      }
      case lw::StoredKind::Number:
        // The edit's text, as typed; it is stored as its integer or the field's fallback.
        settings.*field.text = text;
        return true;
      case lw::StoredKind::Text:
        settings.*field.text = lw::NarrowTo(CP_ACP, value);
        return true;
    }
  }
  return refuse("no such setting");
}

bool AddEntry(lw::Settings& settings, lw::ListKind kind, const std::wstring& input) {
  const bool masks = lw::InfoOf(kind).masks;
  std::string entry = masks ? lw::ReduceToMask(Utf8(input)) : lw::NarrowTo(CP_ACP, input);
  if (!lw::AppendListEntry(kind, lw::ListOf(settings, kind), entry)) {
    PrintError(std::string(lw::InfoOf(kind).short_name) + ": cannot store \"" + Utf8(input) +
               "\" (empty, or longer than " + std::to_string(lw::InfoOf(kind).max_length) +
               " bytes)");
    return false;
  }
  return true;
}

std::string StoredValueText(lw::Registry& registry, const lw::StoredField& field) {
  if (field.kind == lw::StoredKind::Text) {
    lw::RegValue<std::string> value =
        registry.ReadString(lw::Hive::CurrentUser, lw::kSettingsKey, field.name);
    return value.ok() ? ShowAnsi(value.value) : "(absent)";
  }
  lw::RegValue<uint32_t> value =
      registry.ReadDword(lw::Hive::CurrentUser, lw::kSettingsKey, field.name);
  return value.ok() ? std::to_string(static_cast<int32_t>(value.value)) : "(absent)";
}

// Prints what the registry and the list files hold now.
void PrintStored(Setup& setup) {
  lw::Registry& registry = setup.registry;
  lw::RegValue<std::string> run =
      registry.ReadString(lw::Hive::CurrentUser, lw::kRunKey, lw::kRunValue);
  PrintLine("run=" + (run.ok() ? ShowAnsi(run.value) : std::string("(absent)")));
  for (std::string_view name : {"X", "Y"}) {
    lw::RegValue<uint32_t> value =
        registry.ReadDword(lw::Hive::CurrentUser, lw::kSettingsKey, name);
    PrintLine(std::string(name) + "=" +
              (value.ok() ? std::to_string(static_cast<int32_t>(value.value)) : "(absent)"));
  }
  for (const lw::StoredField& field : lw::StoredFields()) {
    PrintLine(std::string(field.name) + "=" + StoredValueText(registry, field));
  }
  PrintLine("CRCreg=" + std::to_string(lw::ReadStoredChecksum(registry, "reg")));
  const lw::ListStorage storage{registry, setup.dir, setup.identity, setup.program_path};
  for (lw::ListKind kind : lw::kAllLists) {
    const lw::ListFileInfo& info = lw::InfoOf(kind);
    const lw::ListReadResult read = lw::ReadList(kind, storage);
    const std::string name(info.short_name);
    PrintLine("list=" + name +
              " file=" + Escape(Utf8((setup.dir / std::string(info.file)).wstring())) +
              " entries=" + std::to_string(read.entries.size()) + " CRC" + name + "=" +
              std::to_string(lw::ReadStoredChecksum(registry, name)) +
              (read.damaged ? " damaged=1" : ""));
    for (const std::string& entry : read.entries) PrintLine(name + "=" + ShowAnsi(entry));
  }
}

// Writes the settings; returns the exit code.
int Write(Setup& setup, const Options& options) {
  lw::WindowPosition position = StoredPosition(setup.registry);
  if (options.keep) {
    SilentConfigUi ui(position);
    lw::ConfigEnv env = EnvOf(setup, ui);
    const lw::LoadOutcome loaded = lw::LoadSettings(env, false);
    if (!loaded.ok) {
      PrintError("the stored settings cannot be loaded: " + loaded.error);
      return kExitFailed;
    }
  }
  // Every value is checked before anything is written.
  lw::Settings settings = *setup.store.Snapshot();
  for (const auto& [kind, input] : options.entries) {
    if (!AddEntry(settings, kind, input)) return kExitUsage;
  }
  lw::ApplyDangerActionRule(settings);
  for (const auto& [name, value] : options.sets) {
    if (!ApplySet(settings, position, name, value)) return kExitUsage;
  }
  if (settings.DangerList.empty() && settings.SafeList.empty()) {
    PrintError("note: both number lists are empty, so the program will ask its first-run question");
  }
  setup.store.Replace(settings);

  SilentConfigUi ui(position);
  lw::ConfigEnv env = EnvOf(setup, ui);
  const bool saved = lw::SaveSettings(env);
  PrintStored(setup);
  PrintLine(std::string("saved=") + (saved ? "ok" : "failed"));
  return saved ? kExitOk : kExitFailed;
}

// --- verifying --------------------------------------------------------------------------------

bool Verify(Setup& setup) {
  const lw::ListStorage storage{setup.registry, setup.dir, setup.identity, setup.program_path};
  if (lw::ReadList(lw::ListKind::Danger, storage).entries.empty() &&
      lw::ReadList(lw::ListKind::Safe, storage).entries.empty()) {
    PrintLine("first-run-question=1");
    PrintLine("verify=failed");
    return false;
  }
  SilentConfigUi ui(StoredPosition(setup.registry));
  lw::SettingsStore store;
  lw::ConfigEnv env{
      store, setup.registry, ui, setup.messages, setup.dir, setup.program_path, setup.identity, {}};
  const lw::LoadOutcome outcome = lw::LoadSettings(env, true);
  for (const std::string& text : ui.messages) PrintLine("message=" + Escape(text));
  if (!outcome.ok) PrintLine("load-error=" + Escape(outcome.error));
  if (ui.MustConfigure()) PrintLine("must-configure=1");
  if (ui.options_shown) PrintLine("options-shown=1");
  const bool quiet = outcome.ok && ui.messages.empty() && !ui.MustConfigure() && !ui.options_shown;
  PrintLine(std::string("verify=") + (quiet ? "ok" : "failed"));
  return quiet;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Lines end in LF alone, whatever the console or the pipe is.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (argc < 2) {
    std::fputs(Utf8(kUsage).c_str(), stderr);
    return kExitUsage;
  }
  std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    std::fputs(Utf8(kUsage).c_str(), stderr);
    return kExitUsage;
  }
  if (options->clear && !Clear(*options)) return kExitFailed;
  if (!options->write && !options->verify) return kExitOk;
  Setup setup;
  Prepare(setup, *options);
  if (options->write) {
    const int written = Write(setup, *options);
    if (written != kExitOk) return written;
  }
  if (options->verify && !Verify(setup)) return kExitFailed;
  return kExitOk;
}
