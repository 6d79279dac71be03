#include "hooking/intake.h"

namespace lw {

void DialIntake::HandleDialRequest(std::span<const uint8_t> message, const AnswerSink& answer) {
  std::lock_guard<std::mutex> lock(decision_lock_);
  const std::optional<DialRequest> request = ParseDialRequest(message);
  if (!request) {
    answer(0);
    return;
  }
  if (request->Type == RequestType::HangUp) {
    const int32_t result =
        decider_.DecideHangUp(request->HangUpWord, request->HangUpApplication) != 0 ? 1 : 0;
    answer(result);
    if (result != 0) extensions_.NotifyDisconnect();
    log_.LogAttempt(AttemptKind::Disconnect, request->HangUpApplication, 0, {}, {}, {}, {},
                    result != 0);
    return;
  }
  const DialFields& d = request->Dial;
  const int32_t result = decider_.DecideDial(d) != 0 ? 1 : 0;
  answer(result);
  if (result != 0) {
    extensions_.NotifyConnect(d);
  } else {
    extensions_.NotifyIllegal(d);
  }
  log_.LogAttempt(AttemptKind::Connect, d.Application, d.CountryCode, d.AreaCode, d.LocalNumber,
                  d.EntryName, d.Phonebook, result != 0);
}

}  // namespace lw
