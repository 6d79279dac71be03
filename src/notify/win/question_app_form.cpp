#include "notify/win/question_app_form.h"

#include <algorithm>

#include "config/control_texts.h"
#include "config/settings.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TQuestionAppForm";
constexpr int kMinWidth = 324;
constexpr int kButtonWidth = 62;
constexpr int kListButtonWidth = 144;

}  // namespace

std::function<bool(ListKind, const std::vector<std::string>&)> SaveListTo(ListStorage storage) {
  return [storage](ListKind kind, const std::vector<std::string>& entries) {
    return SaveList(kind, storage, entries);
  };
}

QuestionAppForm::QuestionAppForm(QuestionWindowDeps deps, AppListDeps lists)
    : QuestionWindow(std::move(deps), kClassName, kLabelAppNameId), lists_(std::move(lists)) {
  if (window_ == nullptr) return;
  button_no_ = AddButton(kButtonNoId);
  button_yes_ = AddButton(kButtonYesId);
  button_add_to_deny_ = AddButton(kButtonAddToDenyId);
  button_add_to_permit_ = AddButton(kButtonAddToPermitId);
  ApplyTexts();
}

void QuestionAppForm::ApplyTexts() {
  auto caption = [this](std::string_view control) {
    return deps_.texts.Text(kForm, control, ControlProperty::Caption);
  };
  ui::SetWindowTextUtf8(window_, deps_.texts.Text(kForm, "", ControlProperty::WindowCaption));
  ui::SetWindowTextUtf8(button_no_, caption("ButtonNo"));
  ui::SetWindowTextUtf8(button_yes_, caption("ButtonYes"));
  ui::SetWindowTextUtf8(button_add_to_permit_, caption("ButtonAddToPermit"));
  ui::SetWindowTextUtf8(button_add_to_deny_, caption("ButtonAddToDeny"));
}

void QuestionAppForm::SetQuestion(const std::string& text) { ui::SetWindowTextUtf8(label_, text); }

void QuestionAppForm::Ask(const std::string& text, const std::string& app_path) {
  SetQuestion(text);
  SetAppPath(app_path);
  FormShow();
}

void QuestionAppForm::FormShow() {
  if (window_ == nullptr) {
    active_.store(false);
    return;
  }
  ApplyTexts();
  answer_.store(0);

  // Sizes of the client area.
  const SIZE label = PlaceLabel();
  int width = label.cx + 16;
  const int height = label.cy + 81;
  const int answer_top = height - kButtonHeight - 48;
  const int list_top = height - kButtonHeight - 28;
  width = std::max(width, kMinWidth);
  MoveWindow(button_no_, kLabelLeft, answer_top, kButtonWidth, kButtonHeight, FALSE);
  MoveWindow(button_yes_, width - 70, answer_top, kButtonWidth, kButtonHeight, FALSE);
  MoveWindow(button_add_to_deny_, kLabelLeft, list_top, kListButtonWidth, kButtonHeight, FALSE);
  MoveWindow(button_add_to_permit_, width - 152, list_top, kListButtonWidth, kButtonHeight, FALSE);

  if (deps_.show_taskbar_button) deps_.show_taskbar_button();
  Present(width, height);
}

void QuestionAppForm::ButtonYesClick() {
  answer_.store(1);
  Close();
}

void QuestionAppForm::ButtonNoClick() { Close(); }

void QuestionAppForm::ButtonAddToPermitClick() {
  AddToList(ListKind::Permit);
  answer_.store(1);
  Close();
}

void QuestionAppForm::ButtonAddToDenyClick() {
  AddToList(ListKind::Deny);
  Close();
}

void QuestionAppForm::AddToList(ListKind kind) {
  bool added = false;
  std::vector<std::string> entries;
  lists_.settings.Update([&](Settings& settings) {
    std::vector<std::string>& list =
        kind == ListKind::Permit ? settings.PermitList : settings.DenyList;
    // Exact comparison of the whole path, letter case included.
    if (std::find(list.begin(), list.end(), app_path_) == list.end()) {
      added = AppendListEntry(kind, list, app_path_);
    }
    entries = list;
  });
  if (!added) return;
  if (lists_.save_list) lists_.save_list(kind, entries);
  if (lists_.list_changed) lists_.list_changed(kind);
}

void QuestionAppForm::ButtonClick(int id) {
  switch (id) {
    case kButtonNoId:
      ButtonNoClick();
      break;
    case kButtonYesId:
      ButtonYesClick();
      break;
    case kButtonAddToPermitId:
      ButtonAddToPermitClick();
      break;
    case kButtonAddToDenyId:
      ButtonAddToDenyClick();
      break;
    default:
      break;
  }
}

}  // namespace lw
