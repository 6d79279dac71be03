#pragma once
// The about box: a picture and scrolling credits with the maker's web and mail lines. It exists,
// hidden, from start-up on: its window (class TAboutForm, title "LarkWatch") is how another
// start of the program finds the running instance.

#include <functional>
#include <string>
#include <vector>

#include "shell/win/form.h"

namespace lw {

class ControlTexts;

class TAboutForm final : public Form {
 public:
  struct Links {
    std::string web;   // opened with the shell's "open"
    std::string mail;  // a new mail with the subject "LarkWatch"
  };

  TAboutForm(const ControlTexts& texts, Links links) : texts_(texts), links_(std::move(links)) {}
  bool Create();
  // Shows the box and starts the credits from the top.
  void ShowAbout();
  // Takes the control texts again (after a language file was applied).
  void ApplyTexts();
  // Called when the box is shown or hidden, for the taskbar button rules of the application.
  std::function<void(bool shown)> on_visibility;

  // The credit lines; a '~' in a line's text is a line break.
  struct Line {
    std::string text;
    enum class Action { None, Web, Mail } action = Action::None;
  };
  const std::vector<Line>& lines() const { return lines_; }
  // The mail address with its subject and body, as given to the shell.
  std::string MailCommand() const;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

 private:
  void ButtonOkClick();
  void TimerTimer();
  void FormPaint();
  void FormClick(int x, int y);
  int LinesHeight(HDC dc) const;
  RECT CreditsRect() const;

  const ControlTexts& texts_;
  Links links_;
  std::vector<Line> lines_;
  HWND button_ok_ = nullptr;
  int scroll_ = 0;  // pixels the credits have moved up from the top of their area
  bool may_close_ = false;
};

}  // namespace lw
