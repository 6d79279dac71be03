// The simulated line as a program sees it: linesim.dll loaded by its path from the test's
// folder and called through its exports, with linectl.exe (from the same folder) changing the
// line from another process. Every test has a line of its own: LINESIM_DIR names a fresh
// folder, and the programs the test starts inherit it.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <ras.h>
#include <raserror.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "fakes/temp_dir.h"
#include "support/program_run.h"

namespace lw {
namespace {

using test::BinFolder;
using test::ProgramRun;
using test::RunProgram;

constexpr DWORD kWaitMs = 20000;
constexpr DWORD kCancelled = 831;

template <typename F>
F Function(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The library's functions, looked up by name as a program's import table would.
struct Ras {
  HMODULE module = LoadLibraryW((BinFolder() + L"linesim.dll").c_str());
#define LW_RAS(name) decltype(&::name) name = Function<decltype(&::name)>(module, #name)
  LW_RAS(RasEnumEntriesA);
  LW_RAS(RasEnumConnectionsA);
  LW_RAS(RasEnumConnectionsW);
  LW_RAS(RasGetEntryPropertiesA);
  LW_RAS(RasGetCountryInfoA);
  LW_RAS(RasGetEntryDialParamsA);
  LW_RAS(RasDialA);
  LW_RAS(RasHangUpA);
  LW_RAS(RasGetErrorStringA);
  LW_RAS(RasConnectionNotificationA);
  LW_RAS(RasGetConnectStatusA);
  LW_RAS(RasCreatePhonebookEntryA);
  LW_RAS(RasEditPhonebookEntryA);
#undef LW_RAS
  DWORD(WINAPI* unimplemented)() = Function<DWORD(WINAPI*)()>(module, "RnaEngineRequest");

  bool complete() const {
    return module && RasEnumEntriesA && RasEnumConnectionsA && RasEnumConnectionsW &&
           RasGetEntryPropertiesA && RasGetCountryInfoA && RasGetEntryDialParamsA && RasDialA &&
           RasHangUpA && RasGetErrorStringA && RasConnectionNotificationA && RasGetConnectStatusA &&
           RasCreatePhonebookEntryA && RasEditPhonebookEntryA && unimplemented;
  }
};

const Ras& Api() {
  static const Ras ras;
  return ras;
}

// Runs linectl.exe from the test's folder and collects what it prints.
ProgramRun Linectl(const std::wstring& arguments) {
  return RunProgram(L"linectl.exe", arguments, kWaitMs);
}

template <std::size_t N>
void CopyTo(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  text.copy(field, N - 1);
}

RASDIALPARAMSA DialParams(const std::string& entry, const std::string& number) {
  RASDIALPARAMSA params = {};
  params.dwSize = sizeof params;
  CopyTo(params.szEntryName, entry);
  CopyTo(params.szPhoneNumber, number);
  return params;
}

// What a RasDialFunc1 notifier saw.
struct Progress {
  std::mutex lock;
  std::vector<DWORD> states;
  DWORD error = 0;
  HRASCONN connection = nullptr;
  UINT message = 0;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);

  void Clear() {
    std::lock_guard<std::mutex> guard(lock);
    states.clear();
    error = 0;
    ResetEvent(done);
    ResetEvent(started);
  }
  std::size_t Count() {
    std::lock_guard<std::mutex> guard(lock);
    return states.size();
  }
};
Progress progress;

VOID WINAPI OnDialEvent(HRASCONN connection, UINT message, RASCONNSTATE state, DWORD error, DWORD) {
  std::lock_guard<std::mutex> guard(progress.lock);
  progress.states.push_back(state);
  progress.error = error;
  progress.connection = connection;
  progress.message = message;
  SetEvent(progress.started);
  if (error != 0 || state == RASCS_Connected) SetEvent(progress.done);
}

class LineSim : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Api().complete()) << "linesim.dll must lie beside the test program";
    ASSERT_NE(GetFileAttributesW((BinFolder() + L"linectl.exe").c_str()), INVALID_FILE_ATTRIBUTES);
    SetEnvironmentVariableW(L"LINESIM_DIR", folder_.path().wstring().c_str());
    progress.Clear();
  }
  void TearDown() override { SetEnvironmentVariableW(L"LINESIM_DIR", nullptr); }

  void WritePhonebook(const std::string& text) {
    std::ofstream out(folder_.path() / "rasphone.pbk", std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }

  // linectl with the arguments; fails the test unless it succeeds.
  std::string Control(const std::wstring& arguments) {
    const ProgramRun run = Linectl(arguments);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exit_code, 0u) << run.output;
    return run.output;
  }

  // Enumerates the entries with the two calls a program makes.
  std::vector<std::string> EntryNames() {
    DWORD bytes = 0, count = 0;
    const DWORD first = Api().RasEnumEntriesA(nullptr, nullptr, nullptr, &bytes, &count);
    if (first == 0) return {};
    EXPECT_EQ(first, static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
    std::vector<RASENTRYNAMEA> entries(bytes / sizeof(RASENTRYNAMEA));
    if (entries.empty()) return {};
    entries[0].dwSize = sizeof(RASENTRYNAMEA);
    EXPECT_EQ(Api().RasEnumEntriesA(nullptr, nullptr, entries.data(), &bytes, &count), 0u);
    std::vector<std::string> names;
    for (DWORD i = 0; i < count && i < entries.size(); ++i) {
      names.push_back(entries[i].szEntryName);
    }
    return names;
  }

  std::vector<RASCONNA> Connections() {
    std::vector<RASCONNA> connections(16);
    connections[0].dwSize = sizeof(RASCONNA);
    DWORD bytes = DWORD(connections.size() * sizeof(RASCONNA)), count = 0;
    EXPECT_EQ(Api().RasEnumConnectionsA(connections.data(), &bytes, &count), 0u);
    connections.resize(count);
    return connections;
  }

  test::TempDir folder_;
};

TEST_F(LineSim, EntriesEnumerateWithTheTwoCallPattern) {
  WritePhonebook("[Dom]\r\nPhoneNumber=5550100\r\n\r\n[Biuro]\r\nPhoneNumber=0202122\r\n");
  const Ras& ras = Api();

  DWORD bytes = 0, count = 0;
  EXPECT_EQ(ras.RasEnumEntriesA(nullptr, nullptr, nullptr, &bytes, &count),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(bytes, 2 * sizeof(RASENTRYNAMEA));
  EXPECT_EQ(count, 2u);

  RASENTRYNAMEA entries[2] = {};
  entries[0].dwSize = sizeof(RASENTRYNAMEA);
  bytes = sizeof(RASENTRYNAMEA);
  EXPECT_EQ(ras.RasEnumEntriesA(nullptr, nullptr, entries, &bytes, &count),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(bytes, 2 * sizeof(RASENTRYNAMEA));
  EXPECT_EQ(count, 2u);

  ASSERT_EQ(ras.RasEnumEntriesA(nullptr, nullptr, entries, &bytes, &count), 0u);
  ASSERT_EQ(count, 2u);
  EXPECT_STREQ(entries[0].szEntryName, "Dom");
  EXPECT_STREQ(entries[1].szEntryName, "Biuro");
  EXPECT_EQ(entries[1].dwSize, sizeof(RASENTRYNAMEA));
  EXPECT_NE(std::string(entries[0].szPhonebookPath).find("rasphone.pbk"), std::string::npos);

  // The older, smaller structure is strided by its own size.
  const DWORD old_size = (offsetof(RASENTRYNAMEA, dwFlags) + 3) & ~3u;
  std::vector<BYTE> buffer(2 * old_size);
  reinterpret_cast<RASENTRYNAMEA*>(buffer.data())->dwSize = old_size;
  bytes = DWORD(buffer.size());
  ASSERT_EQ(ras.RasEnumEntriesA(nullptr, nullptr, reinterpret_cast<RASENTRYNAMEA*>(buffer.data()),
                                &bytes, &count),
            0u);
  EXPECT_STREQ(reinterpret_cast<RASENTRYNAMEA*>(buffer.data() + old_size)->szEntryName, "Biuro");

  entries[0].dwSize = 123;
  bytes = sizeof entries;
  EXPECT_EQ(ras.RasEnumEntriesA(nullptr, nullptr, entries, &bytes, &count),
            static_cast<DWORD>(ERROR_INVALID_SIZE));
}

TEST_F(LineSim, ConnectionsEnumerateWithTheTwoCallPattern) {
  const Ras& ras = Api();
  DWORD bytes = 0, count = 0;
  EXPECT_EQ(ras.RasEnumConnectionsA(nullptr, &bytes, &count), 0u);
  EXPECT_EQ(count, 0u);

  Control(L"connect --number 0202122");
  Control(L"connect --number 0700123");
  EXPECT_EQ(ras.RasEnumConnectionsA(nullptr, &bytes, &count),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(bytes, 2 * sizeof(RASCONNA));
  EXPECT_EQ(count, 2u);

  RASCONNA connections[2] = {};
  connections[0].dwSize = sizeof(RASCONNA);
  bytes = sizeof(RASCONNA);
  EXPECT_EQ(ras.RasEnumConnectionsA(connections, &bytes, &count),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(bytes, 2 * sizeof(RASCONNA));
  EXPECT_EQ(count, 2u);

  ASSERT_EQ(ras.RasEnumConnectionsA(connections, &bytes, &count), 0u);
  ASSERT_EQ(count, 2u);
  EXPECT_STREQ(connections[0].szEntryName, ".0202122");
  EXPECT_STREQ(connections[1].szEntryName, ".0700123");
  EXPECT_STREQ(connections[0].szDeviceType, "modem");
  EXPECT_STREQ(connections[0].szDeviceName, "LineSim Modem");
  EXPECT_NE(connections[0].hrasconn, nullptr);
  EXPECT_NE(connections[0].hrasconn, connections[1].hrasconn);

  RASCONNW wide[2] = {};
  wide[0].dwSize = sizeof(RASCONNW);
  bytes = sizeof wide;
  ASSERT_EQ(ras.RasEnumConnectionsW(wide, &bytes, &count), 0u);
  EXPECT_STREQ(wide[1].szEntryName, L".0700123");
}

TEST_F(LineSim, AsyncDialWalksTheStatesAndThenListsTheConnection) {
  const Ras& ras = Api();
  RASDIALPARAMSA params = DialParams("", "0202122");
  HRASCONN connection = nullptr;
  ASSERT_EQ(ras.RasDialA(nullptr, nullptr, &params, 1, reinterpret_cast<void*>(&OnDialEvent),
                         &connection),
            0u);
  ASSERT_NE(connection, nullptr);
  ASSERT_EQ(WaitForSingleObject(progress.done, kWaitMs), WAIT_OBJECT_0);
  {
    std::lock_guard<std::mutex> guard(progress.lock);
    const std::vector<DWORD> expected = {RASCS_OpenPort,
                                         RASCS_PortOpened,
                                         RASCS_ConnectDevice,
                                         RASCS_DeviceConnected,
                                         RASCS_AllDevicesConnected,
                                         RASCS_Authenticate,
                                         RASCS_AuthNotify,
                                         RASCS_AuthAck,
                                         RASCS_Authenticated,
                                         RASCS_Connected};
    EXPECT_EQ(progress.states, expected);
    EXPECT_EQ(progress.error, 0u);
    EXPECT_EQ(progress.connection, connection);
    EXPECT_EQ(progress.message, static_cast<UINT>(WM_RASDIALEVENT));
  }
  const std::vector<RASCONNA> connections = Connections();
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(connections[0].hrasconn, connection);
  EXPECT_STREQ(connections[0].szEntryName, ".0202122");

  RASCONNSTATUSA status = {};
  status.dwSize = sizeof status;
  ASSERT_EQ(ras.RasGetConnectStatusA(connection, &status), 0u);
  EXPECT_EQ(status.rasconnstate, RASCS_Connected);
  EXPECT_STREQ(status.szPhoneNumber, "0202122");

  EXPECT_EQ(ras.RasHangUpA(connection), 0u);
  EXPECT_TRUE(Connections().empty());
}

TEST_F(LineSim, RegisteredEventsAreSignalledByAnotherProcess) {
  const Ras& ras = Api();
  HANDLE connected = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE disconnected = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const auto all = reinterpret_cast<HRASCONN>(INVALID_HANDLE_VALUE);
  ASSERT_EQ(ras.RasConnectionNotificationA(all, connected, RASCN_Connection), 0u);
  ASSERT_EQ(ras.RasConnectionNotificationA(all, disconnected, RASCN_Disconnection), 0u);

  const std::string output = Control(L"connect --number 0202122");
  EXPECT_EQ(output.rfind("handle=0x", 0), 0u) << output;
  EXPECT_EQ(WaitForSingleObject(connected, kWaitMs), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(disconnected, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  Control(L"drop --all");
  EXPECT_EQ(WaitForSingleObject(disconnected, kWaitMs), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(connected, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(Connections().empty());
  CloseHandle(connected);
  CloseHandle(disconnected);
}

TEST_F(LineSim, AnotherProcessWaitingForConnectionsIsWokenByADialHere) {
  const Ras& ras = Api();
  Control(L"connect --number 0202122");
  // linectl waits on an event it registered; only the dial below can wake it.
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;  // and no output
  const std::wstring path = BinFolder() + L"linectl.exe";
  std::wstring command = L"\"" + path + L"\" wait-connections 2 --timeout 60";
  PROCESS_INFORMATION waiter = {};
  ASSERT_TRUE(CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &waiter));
  RASDIALPARAMSA params = DialParams("", "0700123");
  HRASCONN connection = nullptr;
  EXPECT_EQ(ras.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection), 0u);
  EXPECT_EQ(WaitForSingleObject(waiter.hProcess, kWaitMs), WAIT_OBJECT_0);
  DWORD exit_code = 255;
  GetExitCodeProcess(waiter.hProcess, &exit_code);
  EXPECT_EQ(exit_code, 0u);
  CloseHandle(waiter.hThread);
  CloseHandle(waiter.hProcess);
  EXPECT_EQ(ras.RasHangUpA(connection), 0u);
}

TEST_F(LineSim, DamagedStateStartsAfresh) {
  Control(L"connect --number 0202122");
  ASSERT_EQ(Connections().size(), 1u);
  {
    std::ofstream state(folder_.path() / "linesim.state", std::ios::binary | std::ios::trunc);
    state << "not the line's state";
  }
  EXPECT_TRUE(Connections().empty());
  const std::string output = Control(L"connect --number 0700123");
  EXPECT_EQ(output.rfind("handle=0x1001", 0), 0u) << output;
  ASSERT_EQ(Connections().size(), 1u);
}

TEST_F(LineSim, HangingUpADialUnderWayStopsIt) {
  const Ras& ras = Api();
  Control(L"delay 100");
  RASDIALPARAMSA params = DialParams("", "0202122");
  HRASCONN connection = nullptr;
  ASSERT_EQ(ras.RasDialA(nullptr, nullptr, &params, 1, reinterpret_cast<void*>(&OnDialEvent),
                         &connection),
            0u);
  ASSERT_EQ(WaitForSingleObject(progress.started, kWaitMs), WAIT_OBJECT_0);
  ASSERT_EQ(ras.RasHangUpA(connection), 0u);
  const std::size_t notified = progress.Count();
  // A whole dial later, the one hung up has not gone on.
  RASDIALPARAMSA other = DialParams("", "0700123");
  HRASCONN second = nullptr;
  ASSERT_EQ(ras.RasDialA(nullptr, nullptr, &other, 0, nullptr, &second), 0u);
  EXPECT_EQ(progress.Count(), notified);
  EXPECT_EQ(WaitForSingleObject(progress.done, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  const std::vector<RASCONNA> connections = Connections();
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(connections[0].hrasconn, second);
  EXPECT_EQ(ras.RasHangUpA(connection), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(ras.RasHangUpA(second), 0u);
}

TEST_F(LineSim, HangingUpAStaleHandleIsAnInvalidHandle) {
  const Ras& ras = Api();
  EXPECT_EQ(ras.RasHangUpA(reinterpret_cast<HRASCONN>(0x1234)),
            static_cast<DWORD>(ERROR_INVALID_HANDLE));
  Control(L"delay 0");
  RASDIALPARAMSA params = DialParams("", "0202122");
  HRASCONN connection = nullptr;
  ASSERT_EQ(ras.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection), 0u);
  EXPECT_EQ(ras.RasHangUpA(connection), 0u);
  EXPECT_EQ(ras.RasHangUpA(connection), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(LineSim, FailureModes) {
  const Ras& ras = Api();
  WritePhonebook("[Dom]\r\nPhoneNumber=5550100\r\n");
  Control(L"delay 0");
  RASDIALPARAMSA params = DialParams("Dom", "");
  HRASCONN connection = nullptr;

  Control(L"fail missing-entry");
  EXPECT_EQ(ras.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection),
            static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  EXPECT_EQ(connection, nullptr);
  Control(L"fail damaged-phonebook");
  EXPECT_EQ(ras.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection),
            static_cast<DWORD>(ERROR_CANNOT_OPEN_PHONEBOOK));
  Control(L"fail start 680");
  EXPECT_EQ(ras.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection), 680u);

  Control(L"fail dial 678");
  ASSERT_EQ(ras.RasDialA(nullptr, nullptr, &params, 1, reinterpret_cast<void*>(&OnDialEvent),
                         &connection),
            0u);
  ASSERT_EQ(WaitForSingleObject(progress.done, kWaitMs), WAIT_OBJECT_0);
  {
    std::lock_guard<std::mutex> guard(progress.lock);
    EXPECT_EQ(progress.states.back(), static_cast<DWORD>(RASCS_ConnectDevice));
    EXPECT_EQ(progress.error, 678u);
  }
  EXPECT_TRUE(Connections().empty());
  EXPECT_EQ(ras.RasHangUpA(connection), 0u);

  Control(L"fail none");
  params = DialParams("Nowhere", "");
  EXPECT_EQ(ras.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection),
            static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  params = DialParams("dom", "");
  ASSERT_EQ(ras.RasDialA(nullptr, nullptr, &params, 0, nullptr, &connection), 0u);
  const std::vector<RASCONNA> connections = Connections();
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_STREQ(connections[0].szEntryName, "Dom");
  EXPECT_EQ(ras.RasHangUpA(connection), 0u);
}

TEST_F(LineSim, ErrorTextsHonourTheBufferAndSplitIntoTwoSentences) {
  const Ras& ras = Api();
  char text[512] = {};
  ASSERT_EQ(ras.RasGetErrorStringA(678, text, sizeof text), 0u);
  const std::string no_answer = text;
  const std::size_t split = no_answer.find(". ");
  ASSERT_NE(split, std::string::npos) << no_answer;
  EXPECT_GT(no_answer.size(), split + 2);
  ASSERT_EQ(ras.RasGetErrorStringA(691, text, sizeof text), 0u);
  EXPECT_NE(std::string(text).find(". "), std::string::npos) << text;

  char small[8];
  EXPECT_EQ(ras.RasGetErrorStringA(678, small, sizeof small),
            static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::strlen(small), sizeof small - 1);
  EXPECT_EQ(ras.RasGetErrorStringA(4242, text, sizeof text),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(ras.unimplemented(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
}

TEST_F(LineSim, OddPhonebookEnumeratesAndReads) {
  std::string text = "garbage before any section\n[Bare]\n[Long]\nPhoneNumber=";
  text += std::string(400, '7');
  text += "\nAreaCode=123456789012345\r\n[Dup]\nPhoneNumber=1\n[dup]\nPhoneNumber=2\n";
  text += "[Unknown stuff]\nFoo=bar\n";
  for (int i = 0; i < 4096; ++i) text.push_back(static_cast<char>((i * 7919) & 0xFF));
  text += "\n[Last]\nPhoneNumber=9";  // no final line end
  WritePhonebook(text);

  const std::vector<std::string> names = EntryNames();
  for (const char* name : {"Bare", "Long", "Dup", "Unknown stuff", "Last"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  }
  EXPECT_EQ(std::count(names.begin(), names.end(), "dup"), 0);

  const Ras& ras = Api();
  for (const std::string& name : names) {
    RASENTRYA entry = {};
    entry.dwSize = sizeof entry;
    DWORD bytes = sizeof entry;
    EXPECT_EQ(ras.RasGetEntryPropertiesA(nullptr, name.c_str(), &entry, &bytes, nullptr, nullptr),
              0u)
        << name;
  }
  RASENTRYA entry = {};
  entry.dwSize = sizeof entry;
  DWORD bytes = 0;
  EXPECT_EQ(ras.RasGetEntryPropertiesA(nullptr, "Long", nullptr, &bytes, nullptr, nullptr),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(bytes, sizeof(RASENTRYA));
  bytes = 100;
  EXPECT_EQ(ras.RasGetEntryPropertiesA(nullptr, "Long", &entry, &bytes, nullptr, nullptr),
            static_cast<DWORD>(ERROR_BUFFER_TOO_SMALL));
  EXPECT_EQ(bytes, sizeof(RASENTRYA));
  ASSERT_EQ(ras.RasGetEntryPropertiesA(nullptr, "Long", &entry, &bytes, nullptr, nullptr), 0u);
  EXPECT_EQ(std::string(entry.szLocalPhoneNumber), std::string(RAS_MaxPhoneNumber, '7'));
  EXPECT_STREQ(entry.szAreaCode, "1234567890");
  EXPECT_STREQ(entry.szDeviceType, "modem");
  EXPECT_EQ(ras.RasGetEntryPropertiesA(nullptr, "Nowhere", &entry, &bytes, nullptr, nullptr),
            static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
}

TEST_F(LineSim, EntryPropertiesCountryAndCredentials) {
  Control(L"add Dom --number 5550100 --area 22 --country 48 --user jan --password tajne");
  const Ras& ras = Api();
  RASENTRYA entry = {};
  // The Windows 95 size of the structure.
  entry.dwSize = offsetof(RASENTRYA, dwSubEntries);
  DWORD bytes = sizeof entry;
  ASSERT_EQ(ras.RasGetEntryPropertiesA(nullptr, "Dom", &entry, &bytes, nullptr, nullptr), 0u);
  EXPECT_EQ(bytes, offsetof(RASENTRYA, dwSubEntries));
  EXPECT_EQ(entry.dwfOptions & RASEO_UseCountryAndAreaCodes, DWORD{RASEO_UseCountryAndAreaCodes});
  EXPECT_EQ(entry.dwCountryCode, 48u);
  EXPECT_STREQ(entry.szAreaCode, "22");
  EXPECT_STREQ(entry.szLocalPhoneNumber, "5550100");
  EXPECT_EQ(entry.dwSubEntries, 0u) << "outside the caller's size";

  BYTE buffer[256] = {};
  auto* country = reinterpret_cast<RASCTRYINFO*>(buffer);
  country->dwSize = sizeof(RASCTRYINFO);
  country->dwCountryID = 48;
  bytes = sizeof buffer;
  ASSERT_EQ(ras.RasGetCountryInfoA(country, &bytes), 0u);
  EXPECT_EQ(country->dwCountryCode, 48u);
  EXPECT_STREQ(reinterpret_cast<const char*>(buffer + country->dwCountryNameOffset), "Polska");
  EXPECT_NE(country->dwNextCountryID, 0u);

  RASDIALPARAMSA params = DialParams("Dom", "");
  BOOL has_password = FALSE;
  ASSERT_EQ(ras.RasGetEntryDialParamsA(nullptr, &params, &has_password), 0u);
  EXPECT_STREQ(params.szUserName, "jan");
  EXPECT_STREQ(params.szPassword, "tajne");
  EXPECT_TRUE(has_password);
}

// Fills and confirms (or cancels) the entry dialog when it comes up on this thread.
struct DialogScript {
  std::wstring name;
  bool cancel = false;
  HWND dialog = nullptr;
};
DialogScript script;
HHOOK hook = nullptr;

BOOL CALLBACK CollectEdits(HWND child, LPARAM edits) {
  wchar_t kind[32] = {};
  GetClassNameW(child, kind, 32);
  if (_wcsicmp(kind, L"Edit") == 0 && GetParent(child) == script.dialog) {
    reinterpret_cast<std::vector<HWND>*>(edits)->push_back(child);
  }
  return TRUE;
}

LRESULT CALLBACK OnWindowEvent(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_ACTIVATE && !script.dialog) {
    const auto window = reinterpret_cast<HWND>(wparam);
    wchar_t kind[64] = {};
    GetClassNameW(window, kind, 64);
    if (std::wstring(kind) == L"LineSimEntryDialog") {
      script.dialog = window;
      std::vector<HWND> edits;
      EnumChildWindows(window, CollectEdits, reinterpret_cast<LPARAM>(&edits));
      if (!edits.empty()) {
        // The first field is the entry's name, the fourth its number.
        SetWindowTextW(edits[0], script.name.c_str());
        if (edits.size() > 3) SetWindowTextW(edits[3], L"0202122");
        PostMessageW(edits[0], WM_KEYDOWN, script.cancel ? VK_ESCAPE : VK_RETURN, 0);
      }
    }
  }
  return CallNextHookEx(hook, code, wparam, lparam);
}

TEST_F(LineSim, EntryDialogSavesOnEnterAndCancelsOnEscape) {
  const Ras& ras = Api();
  hook = SetWindowsHookExW(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  script = {L"Nowy", false, nullptr};
  EXPECT_EQ(ras.RasCreatePhonebookEntryA(nullptr, nullptr), 0u);
  EXPECT_NE(script.dialog, nullptr);
  script = {L"Inny", true, nullptr};
  EXPECT_EQ(ras.RasCreatePhonebookEntryA(nullptr, nullptr), kCancelled);
  script = {L"Nowy 2", false, nullptr};
  EXPECT_EQ(ras.RasEditPhonebookEntryA(nullptr, nullptr, "Nowy"), 0u);
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(ras.RasEditPhonebookEntryA(nullptr, nullptr, "Nowhere"),
            static_cast<DWORD>(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  EXPECT_EQ(EntryNames(), std::vector<std::string>{"Nowy 2"});
  const std::string entries = Control(L"entries");
  EXPECT_NE(entries.find("entry=Nowy 2 number=0202122"), std::string::npos) << entries;
}

}  // namespace
}  // namespace lw
