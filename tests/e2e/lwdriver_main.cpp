// lwdriver.exe: drives the windows and the request queue of a program under test, for the
// end-to-end scenarios. Runs in the same Wine prefix (and so the same desktop and session) as
// the program.
//
// Every command prints "name=value" lines (UTF-8; CR, LF and TAB of window texts written as
// \r, \n, \t), bounds every wait (--timeout MS, 10 s by default; looks every 50 ms), and exits
// with 0 done, 1 not found / timed out / not answered, 2 usage error, 3 refused by the system.
// A path that starts with '/' is a Unix path of the host, reached through drive Z:.
//
//   wait-window CLASS [TITLE] [--timeout MS] [--visible]
//       until a top-level window of the class (and exactly that title) exists (and is
//       visible); prints hwnd=, class=, title=, pid=, visible=.
//   wait-gone CLASS [TITLE] [--timeout MS] [--visible]
//       until no such window exists (with --visible: none is visible); prints gone=.
//   wait-text TEXT [--timeout MS] [--visible]
//       until a top-level window, or a control in it, has a text that contains TEXT; prints
//       hwnd= and class= of the top-level window, control= (the class of the window holding the
//       text; a message box's text is in its Static control) and text= (the whole text).
//   text CLASS [TITLE]
//       one line "class: text" for the window and for each window inside it, depth first.
//   click CLASS BUTTONTEXT
//       posts BM_CLICK to the enabled control of that text (mnemonic '&' ignored on both
//       sides; a Button preferred) in a top-level window of the class, waiting for it to exist
//       and be enabled; a message box is "#32770". Prints clicked=, class=, text=, window=;
//       not-found= or disabled= and exit 1 when there was none in time.
//   key CLASS VK [--ctrl] [--post]
//       presses the key in the window (see driver_keys.h for how it gets there); VK is a name
//       (ESC, RETURN, TAB, F1, A ...) or a number. Prints key=, ctrl=, method=, target=.
//   close CLASS [TITLE] [--wparam N]
//       posts WM_CLOSE with that wParam. Prints closed=, wparam=.
//   capture CLASS FILE.bmp
//       the window as a 24-bit BMP. Prints captured=, width=, height=, method=, file=.
//   pipe-send [--name NAME] [--timeout MS] FILE
//       sends the bytes of FILE as one message to \\.\pipe\NAME (LarkWatch<session id> by
//       default); prints the 4-byte answer as a decimal integer, or no-answer (exit 1).
//   count CLASS [TITLE] [--timeout MS] [--visible]
//       the number of items of each list view (list=N) and tree view (tree=N) in the window.
//   command CLASS ID [--timeout MS]
//       posts WM_COMMAND with the command ID to the window, as its menu would.
//   pipe-bench N [--timeout MS] [--gap-ms MS]
//       the round trip of N well-formed, non-interactive dials through the program's queue
//       against N exchanges with a bare echo pipe of this process (same client code, same
//       message, a pause of MS (20) after each); prints both medians in microseconds and their
//       ratio.
//   pipe-flood N SEED [--name NAME] [--timeout MS]
//       N messages of random bytes and random length 0..2000 (a fixed sequence for a seed),
//       each on a connection of its own; prints "messages=N seed=S typed=T" (T: how many begin
//       with a request type) and "answered-0=X answered-1=Y answered-other=W no-answer=Z".
//   pipe-short [--name NAME] [--timeout MS]
//       every message shorter than its fixed part (types 1 and 2 of 0..405 bytes, type 3 of
//       0..7), whole messages of unknown types, and messages whose fields and paths have no
//       terminating NUL; prints "case=NAME len=L answer=A" for each, then the counts.
//   pipe-parallel N [--name NAME] [--timeout MS] [--type 1|2] [--country C] [--area A]
//                   [--number N] [--entry E] [--phonebook P] [--app PATH]
//       N threads, released together by one event, each sending the same well-formed dial
//       (by default: 48, 22, 5550100, this program's path); prints requests= and the counts.
//   session-id
//       the session id of this process.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string_view>

#include "driver_commands.h"
#include "driver_common.h"

namespace {

struct Command {
  std::wstring_view name;
  int (*run)(int argc, wchar_t** argv, int first);
};

constexpr Command kCommands[] = {
    {L"wait-window", lw::e2e::WaitWindowCommand},
    {L"wait-gone", lw::e2e::WaitGoneCommand},
    {L"wait-text", lw::e2e::WaitTextCommand},
    {L"text", lw::e2e::TextCommand},
    {L"click", lw::e2e::ClickCommand},
    {L"key", lw::e2e::KeyCommand},
    {L"close", lw::e2e::CloseCommand},
    {L"command", lw::e2e::MenuCommandCommand},
    {L"count", lw::e2e::CountCommand},
    {L"capture", lw::e2e::CaptureCommand},
    {L"pipe-send", lw::e2e::PipeSendCommand},
    {L"pipe-flood", lw::e2e::PipeFloodCommand},
    {L"pipe-short", lw::e2e::PipeShortCommand},
    {L"pipe-parallel", lw::e2e::PipeParallelCommand},
    {L"session-id", lw::e2e::SessionIdCommand},
    {L"pipe-bench", lw::e2e::PipeBenchCommand},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Lines end in LF alone, whatever stdout is.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  if (argc >= 2) {
    for (const Command& command : kCommands) {
      if (command.name == argv[1]) return command.run(argc, argv, 2);
    }
    lw::e2e::PrintError("unknown command " + lw::e2e::Utf8(argv[1]));
  }
  std::fputs(
      "usage: lwdriver.exe COMMAND ...\n"
      "commands: wait-window wait-gone wait-text text click key close capture pipe-send\n"
      "          pipe-flood pipe-short pipe-parallel pipe-bench session-id command count (see "
      "lwdriver_main.cpp)\n",
      stderr);
  return lw::e2e::kExitUsage;
}
