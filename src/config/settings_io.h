#pragma once
// Loading the settings and the four lists from the registry and the list files, with the
// first-run configuration and the checksum warnings of the start-up load; saving them with
// their checksums. Runs on the main thread; the record is published through the SettingsStore,
// so readers on other threads always see a consistent snapshot.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "config/config_ui.h"
#include "config/registry.h"
#include "config/settings.h"

namespace lw {

class MessageTable;

struct ConfigEnv {
  SettingsStore& store;
  Registry& registry;
  ConfigUi& ui;
  const MessageTable& messages;
  std::filesystem::path program_dir;  // the lists live here
  std::string program_path;           // the program's executable, ANSI bytes
  std::string machine_identity;       // computed once at start-up
  // Makes the program's directory the process's current directory, which later file names
  // (updates, add-ons) are relative to. Left empty in tests: the lists are read from
  // program_dir in any case.
  std::function<void(const std::filesystem::path&)> enter_program_dir;
};

struct LoadOutcome {
  bool ok = true;
  // When not ok: the registry layer's text of the failed read. What was loaded before the
  // failure stays in the store.
  std::string error;
};

// Loads everything. `startup_load` is true only for the load at start-up: only that one shows
// the damaged-list messages, runs the first-run configuration (when both number lists are
// empty), compares CRCreg and may lead the user into the options dialog. A value of the wrong
// registry type ends the load early with an error.
LoadOutcome LoadSettings(ConfigEnv& env, bool startup_load);

// Saves the current record: the autorun value, the settings with X and Y and CRCreg, then the
// four lists with their checksums. False when anything could not be written (what could be
// written is written).
bool SaveSettings(ConfigEnv& env);

// What a caller shows when LoadSettings failed: the configuration error at start-up, the
// registry layer's text on later loads.
void ReportLoadFailure(ConfigEnv& env, bool startup_load, const LoadOutcome& outcome);

// The caption of the program's error and warning boxes.
inline constexpr std::string_view kMessageCaption = "LarkWatch";

}  // namespace lw
