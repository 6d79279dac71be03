// Any bytes a process sends over the queue: parsed without reading past the message, and what
// parses builds back into a message that parses to the same request.
#include <cstdint>
#include <cstdlib>

#include "hooking/dial_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto request = lw::ParseDialRequest({data, size});
  if (!request) return 0;
  if (request->Type == lw::RequestType::HangUp) {
    auto again = lw::ParseDialRequest(lw::BuildHangUpMessage(request->HangUpApplication));
    if (!again || again->HangUpApplication != request->HangUpApplication) std::abort();
    return 0;
  }
  // Fields that filled their whole capacity lose their last byte when built again (the built
  // message keeps a NUL in every field), so compare only requests whose fields fit.
  const lw::DialFields& d = request->Dial;
  namespace L = lw::request_layout;
  if (d.AreaCode.size() < L::kAreaCodeSize && d.LocalNumber.size() < L::kLocalNumberSize &&
      d.EntryName.size() < L::kEntryNameSize && d.Phonebook.size() < L::kPhonebookSize) {
    auto again = lw::ParseDialRequest(lw::BuildDialMessage(request->Type, d));
    if (!again || !(again->Dial == d)) std::abort();
  }
  return 0;
}
