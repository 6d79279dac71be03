#pragma once
// The attempt log: one short record per decided dial or hang-up, appended to a text file that
// the program only ever writes. The fixed texts come from the message table and are written in
// the ANSI code page; the request's fields are written as received.

#include <string>

#include "hooking/intake.h"

namespace lw {

class AnsiCodec;
class Clock;
class MessageTable;

class AttemptLog final : public AttemptLogger {
 public:
  AttemptLog(std::string path, const MessageTable& messages, Clock& clock, const AnsiCodec& codec)
      : path_(std::move(path)), messages_(messages), clock_(clock), codec_(codec) {}

  // The file is opened per record and closed again, so no handle is shared between threads and
  // a file that cannot be opened loses only that record.
  void LogAttempt(AttemptKind kind, const std::string& application, int32_t country_code,
                  const std::string& area_code, const std::string& local_number,
                  const std::string& entry_name, const std::string& phonebook,
                  bool allowed) override;

  // The bytes of one record, as appended to the file.
  std::string ComposeRecord(AttemptKind kind, const std::string& application, int32_t country_code,
                            const std::string& area_code, const std::string& local_number,
                            const std::string& entry_name, const std::string& phonebook,
                            bool allowed);

 private:
  std::string Message(int line) const;

  std::string path_;
  const MessageTable& messages_;
  Clock& clock_;
  const AnsiCodec& codec_;
};

}  // namespace lw
