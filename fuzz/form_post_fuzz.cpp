// Cutting the first chunk out of any received bytes and looking values up in the answer text:
// no read outside the bytes, the content within what was received and within the declared size,
// and the answer text and values within the copies' buffers.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/form_post.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string received(reinterpret_cast<const char*>(data), size);
  const lw::ReceivedAnswer answer = lw::CutFirstChunk(received, true);
  if (!answer.ok || answer.content_length < 0 || answer.declared_chunk_size < 0) std::abort();
  if (answer.content.size() != static_cast<std::size_t>(answer.content_length)) std::abort();
  if (answer.content.size() > received.size()) std::abort();
  if (received.find(answer.content) == std::string::npos) std::abort();
  if (answer.declared_chunk_size > 0 && answer.content_length > answer.declared_chunk_size) {
    std::abort();
  }
  for (const lw::FormPostCopy* copy : {&lw::kUpdateCopy, &lw::kAddonsCopy}) {
    const std::string text = lw::AnswerText(answer, copy->answer_text_limit);
    if (text.size() > copy->answer_text_limit || text.find('\0') != std::string::npos) {
      std::abort();
    }
    for (const char* key : {"ver", "crc", "=", "&", ""}) {
      const std::optional<std::string> value = lw::AnswerValue(*copy, text, key);
      if (value && value->size() > copy->value_limit) std::abort();
      if (!value && copy->missing_value_is_zero) std::abort();
    }
  }
  return 0;
}
