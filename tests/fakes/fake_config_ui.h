#pragma once
// A ConfigUi that records every call and answers questions and the first-run chooser from a
// script.

#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_ui.h"

namespace lw::test {

class FakeConfigUi : public ConfigUi {
 public:
  struct Box {
    std::string text;
    std::string caption;
    MessageIcon icon;
    MessageButtons buttons;
  };

  MessageAnswer ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon,
                            MessageButtons buttons) override {
    boxes.push_back({std::string(text), std::string(caption), icon, buttons});
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    if (answers.empty()) return MessageAnswer::No;
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::string ApplicationTitle() override { return title; }
  void SetListCaptionAlert(ListKind list, bool alert) override { caption_alert[list] = alert; }
  void EnableDangerActions(bool enabled) override { danger_actions_enabled.push_back(enabled); }
  void EnterMustConfigure() override {
    must_configure = true;
    ++must_configure_entered;
  }
  bool MustConfigure() const override { return must_configure; }
  ChosenEntry ChooseFirstRunEntry(std::string_view caption) override {
    chooser_captions.emplace_back(caption);
    return chooser_result;
  }
  void ShowOptions(bool safe_page) override { options_shown.push_back(safe_page); }
  void ApplyStatsOnTop(bool on_top) override { stats_on_top.push_back(on_top); }
  WindowPosition StatsWindowPosition() override { return position; }

  // The message box texts in order.
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Box& box : boxes) texts.push_back(box.text);
    return texts;
  }

  // Script.
  std::deque<MessageAnswer> answers;  // for Yes/No boxes in order; No when it runs out
  ChosenEntry chooser_result;
  std::string title = "LarkWatch 2.0";
  WindowPosition position{700, 500};
  bool must_configure = false;

  // Record.
  std::vector<Box> boxes;
  std::map<ListKind, bool> caption_alert;
  std::vector<bool> danger_actions_enabled;
  int must_configure_entered = 0;
  std::vector<std::string> chooser_captions;
  std::vector<bool> options_shown;  // true: on the safe numbers page
  std::vector<bool> stats_on_top;
};

}  // namespace lw::test
