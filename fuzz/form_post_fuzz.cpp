// Cutting the first chunk out of any received bytes and looking values up in the answer text:
// no read outside the bytes, the content within what was received and within the declared size,
// and the answer text and values within the copies' buffers. The same bytes received by the
// client in two pieces (the content going to its sink as it arrives, or cut from the answer
// file afterwards) give the same answer.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/form_post.h"

namespace {

// The received bytes in two pieces, then the end of the connection.
class TwoPieces : public lw::Transport {
 public:
  TwoPieces(std::string_view first, std::string_view second) : pieces_{first, second} {}
  bool Connect(std::string_view, uint16_t, uint32_t) override { return true; }
  void Send(std::string_view) override {}
  ReceiveStatus Receive(std::span<char> buffer, uint32_t, std::size_t* received) override {
    while (next_ < 2 && pieces_[next_].empty()) ++next_;
    if (next_ == 2) return ReceiveStatus::kClosed;
    std::string_view& piece = pieces_[next_];
    const std::size_t count = std::min(buffer.size(), piece.size());
    std::copy_n(piece.data(), count, buffer.data());
    piece.remove_prefix(count);
    *received = count;
    return ReceiveStatus::kData;
  }
  void Close() override {}

 private:
  std::string_view pieces_[2];
  int next_ = 0;
};

class MemoryFile : public lw::AnswerSpool {
 public:
  bool Create(std::string_view) override {
    bytes_.clear();
    return true;
  }
  bool Append(std::string_view more) override {
    bytes_.append(more);
    return true;
  }
  std::optional<std::size_t> ReadAt(uint64_t offset, std::span<char> buffer) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = std::min<std::size_t>(buffer.size(), bytes_.size() - offset);
    std::copy_n(bytes_.data() + offset, count, buffer.data());
    return count;
  }
  void Remove() override { bytes_.clear(); }

 private:
  std::string bytes_;
};

class NoClock : public lw::Clock {
 public:
  void Sleep(uint32_t) override {}
  uint64_t ElapsedMs() override { return 0; }
  std::string LocalDateTimeText() override { return {}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string received(reinterpret_cast<const char*>(data), size);
  const lw::ReceivedAnswer answer = lw::CutFirstChunk(received, true);

  const std::size_t split = size == 0 ? 0 : data[0] % (size + 1);
  TwoPieces transport(std::string_view(received).substr(0, split),
                      std::string_view(received).substr(split));
  MemoryFile spool;
  NoClock clock;
  lw::FormPostClient client(lw::kAddonsCopy, transport, spool, clock, [] { return false; });
  const lw::ReceivedAnswer streamed = client.ReceiveAnswer();
  if (streamed.content != answer.content || streamed.content_length != answer.content_length ||
      streamed.declared_chunk_size != answer.declared_chunk_size) {
    std::abort();
  }
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
