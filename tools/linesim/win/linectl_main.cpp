// linectl.exe: drives the simulated line from outside, for tests and the demo. It works on
// the line's state and phonebook directly (not through rasapi32.dll), so no hook and no
// failure mode of the line stands in its way. The line is the one of LINESIM_DIR, else the
// user's phonebook folder.
//
//   linectl entries
//   linectl connections
//   linectl add NAME --number N [--area A] [--country C] [--country-id I] [--no-codes]
//                    [--device TYPE] [--user U] [--password P]
//   linectl edit NAME [the options of add]
//   linectl remove NAME
//   linectl connect (--entry NAME | --number N)
//   linectl drop (HANDLE | --all)
//   linectl band-add HANDLE | band-remove HANDLE
//   linectl fail (none | missing-entry | damaged-phonebook | dial CODE | start CODE)
//   linectl delay MS
//   linectl reset
//   linectl wait-connections N [--timeout S]
//
// Every item is one line of "key=value" fields parted by single spaces, the last field running
// to the end of the line. Exit code 0 on success; otherwise a message on standard error and
// 1 (2 for a wrong command line).

#include <fcntl.h>
#include <io.h>
#include <ras.h>
#include <raserror.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "linesim/error_texts.h"
#include "linesim/phonebook.h"
#include "linesim/win/line_state.h"
#include "linesim/win/phonebook_store.h"

namespace lw::linesim {
namespace {

constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kDefaultWaitSeconds = 10;

struct Failure {
  std::string message;
};

void Print(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
}

std::string Hex(uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string Described(uint32_t code) {
  const std::string_view text = ErrorText(code);
  return std::to_string(code) + (text.empty() ? "" : " " + std::string(text));
}

[[noreturn]] void Fail(const std::string& message) { throw Failure{message}; }

void Check(uint32_t code, const std::string& what) {
  if (code != 0) Fail(what + ": " + Described(code));
}

std::string EntryLine(const Entry& entry) {
  return "entry=" + entry.name + " number=" + entry.phone_number + " area=" + entry.area_code +
         " country=" + std::to_string(entry.country_code) +
         " country-id=" + std::to_string(entry.country_id) +
         " codes=" + (entry.use_country_and_area_codes ? "1" : "0") +
         " device=" + entry.device_type + " user=" + entry.user + " password=" + entry.password;
}

std::string ConnectionLine(const ConnectionSlot& slot) {
  return "handle=" + Hex(slot.handle) + " entry=" + FieldOf(slot.entry) +
         " device=" + FieldOf(slot.device_type) + " name=" + FieldOf(slot.device_name);
}

std::optional<uint64_t> Number(const std::string& text, int base = 10) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text.c_str(), &end, base);
  if (*end != '\0' || errno != 0 || text[0] == '-') return std::nullopt;
  return value;
}

uint64_t HandleArg(const std::string& text) {
  const auto handle = Number(text, 0);
  if (!handle || *handle == 0) Fail("not a connection handle: " + text);
  return *handle;
}

uint32_t Uint32Arg(const std::string& text, const char* what) {
  const auto value = Number(text);
  if (!value || *value > UINT32_MAX) Fail(std::string("not a ") + what + ": " + text);
  return uint32_t(*value);
}

// The line, with its mutex held while the object lives.
class Control {
 public:
  Control() {
    uint32_t error = 0;
    line_ = Line::Open(&error);
    if (!line_) Fail("cannot open the line: " + Described(error));
    session_.emplace(*line_);
    Check(session_->error(), "cannot lock the line");
  }
  Line& line() { return *line_; }
  Line::Session& session() { return *session_; }
  std::wstring phonebook() const { return line_->Phonebook(L""); }

  Phonebook LoadBook() {
    Phonebook book;
    Check(LoadPhonebook(phonebook(), book), "cannot read the phonebook");
    return book;
  }
  void SaveBook(const Phonebook& book) {
    Check(SavePhonebook(phonebook(), book), "cannot write the phonebook");
  }
  ConnectionSlot& Connected(uint64_t handle) {
    ConnectionSlot* slot = session_->Find(handle);
    if (!slot || slot->state != uint32_t(SlotState::Connected)) {
      Fail("no connection " + Hex(handle));
    }
    return *slot;
  }

 private:
  std::shared_ptr<Line> line_;
  std::optional<Line::Session> session_;
};

// The options of add and edit, applied to an entry. An added entry dials with its country and
// area codes unless --no-codes says otherwise; an edited one starts to when --country or --area
// is given (and --no-codes is not).
struct EntryOptions {
  bool number = false;
  bool codes = false;
  bool no_codes = false;
};

bool ApplyEntryOptions(const std::vector<std::string>& args, std::size_t from, Entry& entry,
                       EntryOptions& given) {
  for (std::size_t i = from; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--no-codes") {
      given.no_codes = true;
      continue;
    }
    if (i + 1 >= args.size()) return false;
    const std::string& value = args[++i];
    if (option == "--number") {
      entry.phone_number = value;
      given.number = true;
    } else if (option == "--area") {
      entry.area_code = value;
      given.codes = true;
    } else if (option == "--country") {
      entry.country_code = Uint32Arg(value, "country code");
      entry.country_id = entry.country_code;
      given.codes = true;
    } else if (option == "--country-id") {
      entry.country_id = Uint32Arg(value, "country identifier");
    } else if (option == "--device") {
      entry.device_type = value;
    } else if (option == "--user") {
      entry.user = value;
    } else if (option == "--password") {
      entry.password = value;
    } else {
      return false;
    }
  }
  return true;
}

int Entries() {
  Control control;
  const Phonebook book = control.LoadBook();
  for (const std::string& name : book.EntryNames()) Print(EntryLine(*book.Find(name)));
  return 0;
}

int Connections() {
  Control control;
  for (const ConnectionSlot& slot : control.session().Connected()) Print(ConnectionLine(slot));
  return 0;
}

int AddOrEdit(const std::vector<std::string>& args, bool add) {
  if (args.size() < 2) return kUsage;
  const std::string& name = args[1];
  Control control;
  Phonebook book = control.LoadBook();
  Entry entry;
  entry.name = name;
  if (add) {
    if (!IsValidEntryName(name)) Fail("not a valid entry name: " + name);
    if (book.Contains(name)) Fail("the entry exists already: " + name);
  } else {
    const auto found = book.Find(name);
    if (!found) Fail("no entry " + name + ": " + Described(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
    entry = *found;
  }
  EntryOptions given;
  if (!ApplyEntryOptions(args, 2, entry, given)) return kUsage;
  if (add && !given.number) return kUsage;
  if (add || given.codes || given.no_codes) entry.use_country_and_area_codes = !given.no_codes;
  if (!book.Put(entry)) Fail("cannot store the entry " + name);
  control.SaveBook(book);
  Print(EntryLine(*book.Find(entry.name)));
  return 0;
}

int Remove(const std::vector<std::string>& args) {
  if (args.size() != 2) return kUsage;
  Control control;
  Phonebook book = control.LoadBook();
  if (!book.Remove(args[1])) {
    Fail("no entry " + args[1] + ": " + Described(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
  }
  control.SaveBook(book);
  Print("removed entry=" + args[1]);
  return 0;
}

int Connect(const std::vector<std::string>& args) {
  if (args.size() != 3 || (args[1] != "--entry" && args[1] != "--number")) return kUsage;
  Control control;
  std::string entry_name = "." + args[2], device_type = kDefaultDeviceType, number = args[2];
  std::string phonebook;
  if (args[1] == "--entry") {
    const auto entry = control.LoadBook().Find(args[2]);
    if (!entry) Fail("no entry " + args[2] + ": " + Described(ERROR_CANNOT_FIND_PHONEBOOK_ENTRY));
    entry_name = entry->name;
    device_type = entry->device_type;
    number = DialledNumber(*entry);
    phonebook = AnsiFromWide(control.phonebook());
  }
  ConnectionSlot* slot = control.session().Allocate();
  if (!slot) Fail("every connection of the line is taken: " + Described(ERROR_PORT_NOT_AVAILABLE));
  SetField(slot->entry, entry_name);
  SetField(slot->device_type, device_type);
  SetField(slot->device_name, DeviceNameOf(device_type));
  SetField(slot->phone_number, number);
  SetField(slot->phonebook, phonebook);
  slot->state = uint32_t(SlotState::Connected);
  slot->dial_state = RASCS_Connected;
  const uint64_t handle = slot->handle;
  control.session().Signal(RASCN_Connection, handle);
  Print("handle=" + Hex(handle));
  return 0;
}

// A lost carrier: a connection goes; a dial under way fails with "no carrier".
int Drop(const std::vector<std::string>& args) {
  if (args.size() != 2) return kUsage;
  Control control;
  auto drop = [&](ConnectionSlot& slot) {
    const uint64_t handle = slot.handle;
    if (slot.state == uint32_t(SlotState::Dialling)) {
      slot.state = uint32_t(SlotState::Failed);
      slot.error = ERROR_NO_CARRIER;
    } else {
      control.session().Remove(slot);
    }
    Print("dropped handle=" + Hex(handle));
  };
  if (args[1] == "--all") {
    for (ConnectionSlot& slot : control.session().state().connections) {
      if (slot.state == uint32_t(SlotState::Connected) ||
          slot.state == uint32_t(SlotState::Dialling)) {
        drop(slot);
      }
    }
    return 0;
  }
  const uint64_t handle = HandleArg(args[1]);
  ConnectionSlot* slot = control.session().Find(handle);
  if (!slot || slot->state == uint32_t(SlotState::Failed)) Fail("no connection " + Hex(handle));
  drop(*slot);
  return 0;
}

int Bandwidth(const std::vector<std::string>& args, bool added) {
  if (args.size() != 2) return kUsage;
  Control control;
  const uint64_t handle = control.Connected(HandleArg(args[1])).handle;
  control.session().Signal(added ? RASCN_BandwidthAdded : RASCN_BandwidthRemoved, handle);
  Print("handle=" + Hex(handle) + " bandwidth=" + (added ? "added" : "removed"));
  return 0;
}

int SetFailure(const std::vector<std::string>& args) {
  if (args.size() < 2) return kUsage;
  const std::string& mode = args[1];
  FailMode fail_mode;
  uint32_t code = 0;
  if (mode == "none" || mode == "missing-entry" || mode == "damaged-phonebook") {
    if (args.size() != 2) return kUsage;
    fail_mode = mode == "none"            ? FailMode::None
                : mode == "missing-entry" ? FailMode::MissingEntry
                                          : FailMode::DamagedPhonebook;
  } else if (mode == "dial" || mode == "start") {
    if (args.size() != 3) return kUsage;
    code = Uint32Arg(args[2], "code");
    if (code == 0) Fail("the code of a failure is not 0");
    fail_mode = mode == "dial" ? FailMode::Dial : FailMode::Start;
  } else {
    return kUsage;
  }
  Control control;
  control.session().state().fail_mode = uint32_t(fail_mode);
  control.session().state().fail_code = code;
  Print("fail=" + mode + (code ? " code=" + std::to_string(code) : ""));
  return 0;
}

int Delay(const std::vector<std::string>& args) {
  if (args.size() != 2) return kUsage;
  const uint32_t delay = Uint32Arg(args[1], "delay in milliseconds");
  if (delay > kMaxDelayMs) Fail("the delay is at most " + std::to_string(kMaxDelayMs) + " ms");
  Control control;
  control.session().state().delay_ms = delay;
  Print("delay=" + std::to_string(delay));
  return 0;
}

int Reset() {
  Control control;
  control.session().Reset();
  Print("reset");
  return 0;
}

int WaitConnections(const std::vector<std::string>& args) {
  if (args.size() != 2 && !(args.size() == 4 && args[2] == "--timeout")) return kUsage;
  const uint32_t wanted = Uint32Arg(args[1], "number of connections");
  const uint32_t seconds = args.size() == 4 ? Uint32Arg(args[3], "timeout") : kDefaultWaitSeconds;
  HANDLE changed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  const ULONGLONG deadline = GetTickCount64() + ULONGLONG{seconds} * 1000;
  std::size_t count = 0;
  for (;;) {
    {
      Control control;
      // Registered before counting, so that no change between the two is missed.
      Check(control.session().Register(changed, RASCN_Connection | RASCN_Disconnection,
                                       kAllConnections),
            "cannot wait for the line");
      count = control.session().Connected().size();
    }
    if (count == wanted) break;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) {
      CloseHandle(changed);
      Fail("timed out with " + std::to_string(count) + " connections, waiting for " +
           std::to_string(wanted));
    }
    // Every change of the connected connections signals the registration.
    WaitForSingleObject(changed, DWORD(deadline - now));
  }
  CloseHandle(changed);
  Print("connections=" + std::to_string(count));
  return 0;
}

int Usage() {
  std::fputs(
      "usage: linectl entries | connections\n"
      "       linectl add NAME --number N [--area A] [--country C] [--country-id I] [--no-codes]\n"
      "                        [--device TYPE] [--user U] [--password P]\n"
      "       linectl edit NAME [the options of add] | remove NAME\n"
      "       linectl connect (--entry NAME | --number N)\n"
      "       linectl drop (HANDLE | --all) | band-add HANDLE | band-remove HANDLE\n"
      "       linectl fail (none | missing-entry | damaged-phonebook | dial CODE | start CODE)\n"
      "       linectl delay MS | reset | wait-connections N [--timeout S]\n",
      stderr);
  return kUsage;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return kUsage;
  const std::string& command = args[0];
  if (command == "entries" && args.size() == 1) return Entries();
  if (command == "connections" && args.size() == 1) return Connections();
  if (command == "add") return AddOrEdit(args, true);
  if (command == "edit") return AddOrEdit(args, false);
  if (command == "remove") return Remove(args);
  if (command == "connect") return Connect(args);
  if (command == "drop") return Drop(args);
  if (command == "band-add") return Bandwidth(args, true);
  if (command == "band-remove") return Bandwidth(args, false);
  if (command == "fail") return SetFailure(args);
  if (command == "delay") return Delay(args);
  if (command == "reset" && args.size() == 1) return Reset();
  if (command == "wait-connections") return WaitConnections(args);
  return kUsage;
}

}  // namespace
}  // namespace lw::linesim

int main(int argc, char** argv) {
  // Wine writes CR LF for every LF of a text-mode stream.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    const int result = lw::linesim::Run(args);
    if (result == lw::linesim::kUsage) return lw::linesim::Usage();
    std::fflush(stdout);
    return result;
  } catch (const lw::linesim::Failure& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "linectl: %s\n", failure.message.c_str());
    return lw::linesim::kFailed;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "linectl: %s\n", error.what());
    return lw::linesim::kFailed;
  }
}
