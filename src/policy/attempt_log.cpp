#include "policy/attempt_log.h"

#include "common/clock.h"
#include "common/codec.h"
#include "common/file_append.h"
#include "common/format.h"
#include "config/messages.h"

namespace lw {

std::string AttemptLog::Message(int line) const { return codec_.FromUtf8(messages_.Text(line)); }

std::string AttemptLog::ComposeRecord(AttemptKind kind, const std::string& application,
                                      int32_t country_code, const std::string& area_code,
                                      const std::string& local_number,
                                      const std::string& entry_name, const std::string& phonebook,
                                      bool allowed) {
  const std::string when = codec_.FromUtf8(clock_.LocalDateTimeText());
  std::string record;
  if (kind == AttemptKind::Disconnect) {
    record = FormatText(Message(msg::LogHangUpHeader), {when, application});
    record += Message(allowed ? msg::LogHangUpAllowed : msg::LogHangUpBlocked);
    record += "\r\n";
    return record;
  }
  record = FormatText(Message(msg::LogDialHeader), {when, application});
  if (country_code != 0) record += FormatText("+%i ", {int64_t{country_code}});
  record += FormatText("%s %s\r\n", {area_code, local_number});
  if (!entry_name.empty()) {
    record += FormatText(Message(msg::LogEntryLine), {entry_name, phonebook});
  }
  record += Message(allowed ? msg::LogDialAllowed : msg::LogDialBlocked);
  record += "\r\n";
  return record;
}

void AttemptLog::LogAttempt(AttemptKind kind, const std::string& application, int32_t country_code,
                            const std::string& area_code, const std::string& local_number,
                            const std::string& entry_name, const std::string& phonebook,
                            bool allowed) {
  const std::string record = ComposeRecord(kind, application, country_code, area_code, local_number,
                                           entry_name, phonebook, allowed);
  // A file that cannot be opened or written loses this record; the decision stands.
  AppendToFile(path_, record);
}

}  // namespace lw
