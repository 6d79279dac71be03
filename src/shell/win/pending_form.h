#pragma once
// A window of the program whose controls arrive with their own feature (the options dialog,
// the entry chooser, the prompts, the add-on catalogue). It exists from start-up on under its
// class name, hidden, so that the start-up order and the windows' lifetime are already those of
// the finished program.

#include <string>

#include "shell/win/form.h"

namespace lw {

class PendingForm final : public Form {
 public:
  bool Create(const wchar_t* class_name, const std::string& caption) {
    return Form::Create(class_name, caption, WS_CAPTION | WS_SYSMENU, WS_EX_TOOLWINDOW, 360, 240);
  }

 protected:
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_CLOSE) {
      Hide();
      return 0;
    }
    return Form::OnMessage(message, wparam, lparam);
  }
};

}  // namespace lw
