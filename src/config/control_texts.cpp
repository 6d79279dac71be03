#include "config/control_texts.h"

#include <utility>

namespace lw {

const ControlTarget* ControlTargetOf(int line) {
  if (line < kFirstControlLine || line > kLastControlLine) return nullptr;
  return &ControlTargets()[static_cast<std::size_t>(line - kFirstControlLine)];
}

std::optional<int> ControlLineOf(std::string_view window, std::string_view control,
                                 ControlProperty what, int index) {
  if (what == ControlProperty::Unused) return std::nullopt;
  std::optional<int> found;
  for (const ControlTarget& target : ControlTargets()) {
    if (target.window == window && target.control == control && target.what == what &&
        target.index == index) {
      found = target.line;
    }
  }
  return found;
}

ControlTexts::ControlTexts() {
  for (const ControlTarget& target : ControlTargets()) {
    texts_[static_cast<std::size_t>(target.line - kFirstControlLine)] =
        std::string(target.built_in);
  }
}

std::string ControlTexts::Text(int line) const {
  if (ControlTargetOf(line) == nullptr) return {};
  std::lock_guard<std::mutex> lock(mutex_);
  return texts_[static_cast<std::size_t>(line - kFirstControlLine)];
}

std::string ControlTexts::Text(std::string_view window, std::string_view control,
                               ControlProperty what, int index) const {
  const std::optional<int> line = ControlLineOf(window, control, what, index);
  return line ? Text(*line) : std::string();
}

std::string_view ControlTexts::BuiltIn(int line) {
  const ControlTarget* target = ControlTargetOf(line);
  return target != nullptr ? target->built_in : std::string_view();
}

bool ControlTexts::Set(int line, std::string text) {
  if (ControlTargetOf(line) == nullptr) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  texts_[static_cast<std::size_t>(line - kFirstControlLine)] = std::move(text);
  return true;
}

}  // namespace lw
