#pragma once
// The probe's stand-in for the program's request queue (see lwprobe_main.cpp).

namespace lw::e2e {

// Serves \\.\pipe\<name> with `instances` message-mode instances until a client sends "quit";
// returns the exit code.
int RunProbePipe(const wchar_t* name, int instances);

}  // namespace lw::e2e
