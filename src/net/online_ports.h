#pragma once
// The ports of a run of an online service (the program update, the add-ons), and the check of
// what such a run downloads.

#include <cstdint>
#include <filesystem>
#include <span>

#include "common/clock.h"
#include "config/messages.h"
#include "config/registry.h"
#include "net/form_post.h"
#include "notify/notifier.h"

namespace lw {

// Checks a downloaded file against the built-in public key.
class SignatureCheck {
 public:
  virtual ~SignatureCheck() = default;
  // True when signature (r and s, 32 bytes each, big-endian) signs the SHA-256 of the file's
  // bytes. False for anything else, an unreadable file included.
  virtual bool Verify(const std::filesystem::path& file, std::span<const uint8_t> signature) = 0;
};

// What a run of an online service (the program update, the add-ons) works through: the
// connection and its answer file, the clock, the settings, the notices and their texts, and the
// check of what it downloads.
struct OnlinePorts {
  Transport& transport;
  AnswerSpool& spool;
  Clock& clock;
  Registry& registry;
  Notifier& notifier;
  const MessageTable& messages;
  SignatureCheck& signature;
};

}  // namespace lw
