// Saving the settings: the autorun value, the values of the settings key with CRCreg, and the
// four list files.

#include <cstdint>
#include <memory>
#include <string>

#include "common/text.h"
#include "config/checksum.h"
#include "config/list_file.h"
#include "config/settings_io.h"
#include "config/stored_fields.h"

namespace lw {

namespace {

// Writes one field; returns its part of the settings text.
std::string WriteField(Registry& registry, const Settings& settings, const StoredField& field,
                       bool& ok) {
  std::string text;
  switch (field.kind) {
    case StoredKind::Flag: {
      const bool on = settings.*field.flag;
      ok &= registry.WriteDword(Hive::CurrentUser, kSettingsKey, field.name, on ? 1 : 0);
      text = FlagText(on);
      break;
    }
    case StoredKind::Integer: {
      const int32_t value = settings.*field.integer;
      ok &= registry.WriteDword(Hive::CurrentUser, kSettingsKey, field.name,
                                static_cast<uint32_t>(value));
      text = std::to_string(value);
      break;
    }
    case StoredKind::Number: {
      const int32_t value = IntegerOr(settings.*field.text, field.fallback);
      ok &= registry.WriteDword(Hive::CurrentUser, kSettingsKey, field.name,
                                static_cast<uint32_t>(value));
      text = std::to_string(value);
      break;
    }
    case StoredKind::Text:
      ok &= registry.WriteString(Hive::CurrentUser, kSettingsKey, field.name, settings.*field.text);
      text = settings.*field.text;
      break;
  }
  return field.in_text ? text : std::string();
}

}  // namespace

bool SaveSettings(ConfigEnv& env) {
  if (env.enter_program_dir) env.enter_program_dir(env.program_dir);
  const std::shared_ptr<const Settings> snapshot = env.store.Snapshot();
  const Settings& settings = *snapshot;
  Registry& registry = env.registry;
  bool ok = true;

  if (registry.CreateKey(Hive::CurrentUser, kRunKey)) {
    if (settings.AutoRun) {
      ok &= registry.WriteString(Hive::CurrentUser, kRunKey, kRunValue, env.program_path);
    } else {
      registry.DeleteValue(Hive::CurrentUser, kRunKey, kRunValue);  // absent is as good
    }
  } else {
    ok = false;
  }
  std::string text = FlagText(settings.AutoRun);

  if (registry.CreateKey(Hive::CurrentUser, kSettingsKey)) {
    const WindowPosition position = env.ui.StatsWindowPosition();
    ok &= registry.WriteDword(Hive::CurrentUser, kSettingsKey, "X",
                              static_cast<uint32_t>(position.left));
    ok &= registry.WriteDword(Hive::CurrentUser, kSettingsKey, "Y",
                              static_cast<uint32_t>(position.top));
    for (const StoredField& field : StoredFields()) {
      text += WriteField(registry, settings, field, ok);
    }
  } else {
    ok = false;
  }

  ok &= WriteStoredChecksum(registry, "reg", TextChecksum(env.machine_identity, text));

  const ListStorage storage{registry, env.program_dir, env.machine_identity, env.program_path};
  for (ListKind kind : kAllLists) ok &= SaveList(kind, storage, ListOf(settings, kind));
  return ok;
}

}  // namespace lw
