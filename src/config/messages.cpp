#include "config/messages.h"

#include <utility>

#include "common/format.h"
#include "common/utf8.h"
#include "config/message_texts.h"

namespace lw {

namespace {

const BuiltInMessage* Find(int line) {
  if (line < kFirstMessageLine || line > kLastMessageLine) return nullptr;
  return &kBuiltInMessages[static_cast<std::size_t>(line - kFirstMessageLine)];
}

// The translator's name and addresses are shown and opened, never used as formats.
bool TakesAnyText(int line) { return line >= msg::TranslatorName && line <= msg::TranslatorMail; }

}  // namespace

MessageTable::MessageTable() {
  for (std::size_t i = 0; i < texts_.size(); ++i) texts_[i] = std::string(kBuiltInMessages[i].text);
}

std::string MessageTable::Text(int line) const {
  if (Find(line) == nullptr) return {};
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_[static_cast<std::size_t>(line - kFirstMessageLine)];
}

std::size_t MessageTable::Capacity(int line) {
  const BuiltInMessage* message = Find(line);
  return message != nullptr ? message->capacity : 0;
}

std::string_view MessageTable::BuiltIn(int line) {
  const BuiltInMessage* message = Find(line);
  return message != nullptr ? message->text : std::string_view();
}

bool MessageTable::Set(int line, std::string text) {
  const BuiltInMessage* message = Find(line);
  if (message == nullptr) return false;
  text.resize(Utf8Prefix(text, message->capacity).size());
  if (!TakesAnyText(line) && PlaceholderKinds(text) != PlaceholderKinds(message->text)) {
    return false;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  texts_[static_cast<std::size_t>(line - kFirstMessageLine)] = std::move(text);
  return true;
}

}  // namespace lw
