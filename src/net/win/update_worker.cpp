#include "net/win/update_worker.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/win/program_path.h"
#include "common/win/wide.h"
#include "net/win/online_ports.h"

namespace lw {
namespace {

std::string CountryName(LCID locale) {
  wchar_t name[256] = {};
  if (GetLocaleInfoW(locale, LOCALE_SENGCOUNTRY, name, 255) == 0) return {};
  return Narrow(name);
}

}  // namespace

UpdateIdentity ProgramIdentity(const std::filesystem::path& program) {
  UpdateIdentity identity;
  LANGID language = 0;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  std::vector<uint8_t> info(size);
  if (size > 0 && GetFileVersionInfoW(program.c_str(), 0, size, info.data())) {
    struct Translation {
      WORD language;
      WORD code_page;
    };
    Translation* translation = nullptr;
    UINT translation_size = 0;
    if (VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &translation_size) &&
        translation_size >= sizeof(Translation)) {
      language = translation->language;
      wchar_t query[64];
      swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
               translation->code_page);
      wchar_t* version = nullptr;
      UINT version_size = 0;
      if (VerQueryValueW(info.data(), query, reinterpret_cast<void**>(&version), &version_size) &&
          version_size > 0) {
        identity.version = Narrow(std::wstring_view(version, wcsnlen(version, version_size)));
      }
    }
  }
  identity.country = CountryName(LOCALE_SYSTEM_DEFAULT);
  identity.language = CountryName(MAKELCID(language, SORT_DEFAULT));
  return identity;
}

std::optional<ServiceAddress> ServiceSetting() {
#ifdef LW_SERVICE_SETTING
  const char* setting = std::getenv("LARKWATCH_SERVICE");
  if (setting == nullptr) return std::nullopt;
  const std::string text(setting);
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  const std::optional<int32_t> port = ParseInteger(text.substr(colon + 1));
  if (!port || *port <= 0 || *port > 65535) return std::nullopt;
  return ServiceAddress{text.substr(0, colon), static_cast<uint16_t>(*port)};
#else
  return std::nullopt;
#endif
}

void WinProgramStarter::StartMinimised(const std::filesystem::path& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMINNOACTIVE;
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + program.wstring() + L"\"";
  if (CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

UpdateRun::Outcome RunUpdateCheck(Notifier& notifier, const MessageTable& messages,
                                  std::function<bool()> stop) {
  WinOnlinePorts ports(stop);
  WinProgramStarter starter;
  UpdateRun run(UpdatePorts{ports.Bind(notifier, messages), starter},
                ProgramIdentity(OwnProgramPath()), CurrentFolder(), std::move(stop));
  if (std::optional<ServiceAddress> service = ServiceSetting()) run.SetService(*service);
  return run.Execute();
}

}  // namespace lw
