#pragma once
// The form-post exchange with the maker's servers: one HTTP/1.1 POST of a form text over a TCP
// connection to port 80, the whole answer read until the server closes, the content of the first
// chunk cut out, and values looked up in the answer text. Two copies exist (update and add-ons);
// they differ only in the points of FormPostCopy.
//
// Everything outside goes through ports: Transport (the socket), AnswerSpool (the temporary
// file the answer is received into), Clock (time limits) and a stop callback. All calls run on
// the worker thread that owns the client; only the stop callback's flag is written elsewhere.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "common/clock.h"

namespace lw {

// A blocking TCP connection with bounded waits. One connection at a time.
class Transport {
 public:
  enum class ReceiveStatus { kData, kClosed, kTimedOut, kError };

  virtual ~Transport() = default;
  // Opens a connection to host (dotted IPv4 address or name) and port, giving up after
  // timeout_ms. False when no connection was made; Close is still to be called then.
  virtual bool Connect(std::string_view host, uint16_t port, uint32_t timeout_ms) = 0;
  // One send call; its result is not looked at by the protocol.
  virtual void Send(std::string_view bytes) = 0;
  // Waits at most wait_ms for bytes. kData: *received is 1..buffer.size() bytes written to the
  // start of buffer. kClosed: the server ended the connection in order. kTimedOut: nothing came
  // within wait_ms.
  virtual ReceiveStatus Receive(std::span<char> buffer, uint32_t wait_ms,
                                std::size_t* received) = 0;
  // Releases the socket (and whatever the socket library needs balanced). Safe to call twice.
  virtual void Close() = 0;
};

// The temporary file an answer is spooled into, so that a download needs no more memory than
// one receive block, whatever the size of its content.
class AnswerSpool {
 public:
  virtual ~AnswerSpool() = default;
  // Creates an empty file whose name starts with prefix. False when it cannot be created.
  virtual bool Create(std::string_view prefix) = 0;
  virtual bool Append(std::string_view bytes) = 0;
  // Reads up to buffer.size() bytes from offset into the start of buffer: the count, 0 at the
  // end; nothing on a read error.
  virtual std::optional<std::size_t> ReadAt(uint64_t offset, std::span<char> buffer) = 0;
  // Deletes the file; nothing when there is none.
  virtual void Remove() = 0;
};

// Where the content of an answer goes, block by block. False stops the delivery (a write
// failed); what was delivered stays delivered.
using ContentSink = std::function<bool(std::string_view block)>;

// The points where the update copy and the add-ons copy differ.
struct FormPostCopy {
  std::string_view host;
  std::string_view spool_prefix;
  // The add-ons copy yields "0" for a key or "=" that is missing; the update copy yields nothing.
  bool missing_value_is_zero;
  // The add-ons copy sets its thread's Finished flag when no connection can be made, and yields
  // an empty text for every exchange without an answer; the update copy yields nothing then.
  bool finished_on_connect_failure;
  // The update copy keeps the answer text in a 1000-byte buffer and a value in a 256-byte one:
  // longer ones are cut to fit. The add-ons copy returns new texts of any length.
  std::size_t answer_text_limit;
  std::size_t value_limit;
};

inline constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1);
inline constexpr FormPostCopy kUpdateCopy{"update.larkwatch.pl", "lwud", false, false, 999, 255};
inline constexpr FormPostCopy kAddonsCopy{
    "addons.larkwatch.pl", "lwuex", true, true, kUnlimited, kUnlimited};
inline constexpr std::string_view kUpdatePath = "/lwupd.php";
inline constexpr std::string_view kAddonsPath = "/addons.php";
inline constexpr uint16_t kFormPostPort = 80;

// Where a client connects: the copy's host on port 80 unless told otherwise (test builds point
// it at a loopback service).
struct ServiceAddress {
  std::string host;
  uint16_t port = kFormPostPort;
};

// Time limits: a server that never answers does not hold the worker thread (nor the program's
// closing, which waits for it). The receive waits in slices so that a stop request is seen soon.
struct FormPostLimits {
  uint32_t connect_timeout_ms = 15000;
  // Longest time without a byte from the server.
  uint32_t idle_timeout_ms = 30000;
  uint32_t wait_slice_ms = 250;
};

// The result of one receive. On failure: no content, content_length -1, declared_chunk_size -1.
struct ReceivedAnswer {
  bool ok = false;
  // The content, from its first byte: all content_length bytes, or at most kMaxAnswerText of
  // them for a key/value answer, or none when the content went to a sink.
  std::string content;
  int32_t content_length = -1;
  // The chunk-size line's value; 0 when there was no such line.
  int32_t declared_chunk_size = -1;
  // The server ended the connection in order; false after a stop request or a failure.
  bool server_closed = false;
};

// One receive takes up to this many bytes, and the answer file is read back in blocks of this
// size. A receive costs far more than its bytes (under Wine a call takes about as long as
// copying 1 MiB), so blocks much smaller than this slow a download to a fraction of what the
// line gives; the block is the whole memory a download takes, whatever the file's size.
inline constexpr std::size_t kReceiveBlock = 256 * 1024;
// The most of a key/value answer's content kept in memory; a longer answer is cut (the update
// copy's buffer holds 999 bytes, and no catalogue comes near this).
inline constexpr std::size_t kMaxAnswerText = 1 << 20;

// Cuts the first chunk's content out of everything that was received (headers included).
ReceivedAnswer CutFirstChunk(std::string_view received, bool server_closed);

// Leading hexadecimal digits of text; 0 without any, 2147483647 for larger values.
int32_t ChunkSizeValue(std::string_view text);

// The answer text of a key/value exchange: the content up to its first zero byte, at most
// content_length bytes, cut to limit. Empty for a failed receive.
std::string AnswerText(const ReceivedAnswer& answer, std::size_t limit);

// The value after the first occurrence of key anywhere in text (a plain substring, so "ver" is
// also found inside "version"), from the next "=" up to the next "&" or the end. Empty text gives
// an empty value; a missing key or "=" gives the copy's missing value. Cut to the copy's limit.
std::optional<std::string> AnswerValue(const FormPostCopy& copy, std::string_view text,
                                       std::string_view key);

class FormPostClient {
 public:
  FormPostClient(const FormPostCopy& copy, Transport& transport, AnswerSpool& spool, Clock& clock,
                 std::function<bool()> stop_requested, FormPostLimits limits = {});

  void SetService(ServiceAddress service) { service_ = std::move(service); }

  // Connects to the service (the copy's host on port 80 by default). A failed attempt's socket
  // is released at once.
  bool ConnectToServer();
  // Sends text in consecutive pieces of 200 bytes; an empty text is one send of zero bytes.
  void SendPiecewise(std::string_view text);
  // The whole request, one SendPiecewise call per line and one for the body.
  void PostForm(std::string_view path, std::string_view body);
  // Reads until the server closes, an error, the idle time limit or a stop request, and keeps
  // the content (at most kMaxAnswerText bytes of it) in the result.
  ReceivedAnswer ReceiveAnswer();
  // The same, handing the content to sink instead, for downloads of any size. The content
  // reaches the sink as it arrives once the chunk's start is known; a receive that then fails
  // returns the failure result after some content went to the sink, which the caller undoes.
  ReceivedAnswer ReceiveAnswer(const ContentSink& sink);
  void CloseConnection();

  // A key/value exchange from connect to close. Without an answer (no connection, or the
  // receive failed): nothing for the update copy; an empty text for the add-ons copy, which sets
  // Finished when no connection was made.
  std::optional<std::string> Exchange(std::string_view path, std::string_view body);

  bool Finished() const { return finished_; }

 private:
  ReceivedAnswer Fail();

  const FormPostCopy& copy_;
  Transport& transport_;
  AnswerSpool& spool_;
  Clock& clock_;
  std::function<bool()> stop_requested_;
  FormPostLimits limits_;
  ServiceAddress service_;
  bool finished_ = false;
};

}  // namespace lw
