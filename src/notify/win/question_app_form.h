#pragma once
// TQuestionAppForm: asks whether an application may dial or hang up; two more buttons put the
// application on the permitted or the denied list at the same time (the list file is saved at
// once). Shown and polled from the deciding thread through WinQuestions. Created once at
// start-up.

#include <functional>
#include <string>
#include <vector>

#include "config/list_file.h"
#include "notify/win/question_window.h"

namespace lw {

class SettingsStore;

struct AppListDeps {
  SettingsStore& settings;
  // Saves a list file with its checksum (SaveListTo makes one from a ListStorage); false when
  // it could not be written. May be empty: the list then changes in the settings alone.
  std::function<bool(ListKind, const std::vector<std::string>&)> save_list = {};
  // Told after a list changed here, so that an open view of the lists can follow. May be empty.
  std::function<void(ListKind)> list_changed = {};
};

// A save_list that writes to the program's list files. The storage's registry must outlive it.
std::function<bool(ListKind, const std::vector<std::string>&)> SaveListTo(ListStorage storage);

class QuestionAppForm : public QuestionWindow {
 public:
  static constexpr wchar_t kClassName[] = L"TQuestionAppForm";
  static constexpr int kLabelAppNameId = 100;
  static constexpr int kButtonNoId = 102;
  static constexpr int kButtonYesId = 103;
  static constexpr int kButtonAddToPermitId = 104;
  static constexpr int kButtonAddToDenyId = 105;

  QuestionAppForm(QuestionWindowDeps deps, AppListDeps lists);

  // Main thread.
  // The question (UTF-8) and the application's path (ANSI bytes, as received).
  void SetQuestion(const std::string& text);
  void SetAppPath(const std::string& path) { app_path_ = path; }
  const std::string& app_path() const { return app_path_; }
  // Sets the question and shows the window without waiting.
  void Ask(const std::string& text, const std::string& app_path);

  HWND label_app_name() const { return label_; }
  HWND button_no() const { return button_no_; }
  HWND button_yes() const { return button_yes_; }
  HWND button_add_to_permit() const { return button_add_to_permit_; }
  HWND button_add_to_deny() const { return button_add_to_deny_; }

  // Handlers.
  void FormShow();
  void ButtonNoClick() override;
  void ButtonYesClick() override;
  void ButtonAddToPermitClick();
  void ButtonAddToDenyClick();
  void ApplyTexts() override;

 protected:
  void ButtonClick(int id) override;

 private:
  void AddToList(ListKind kind);

  AppListDeps lists_;
  HWND button_no_ = nullptr;
  HWND button_yes_ = nullptr;
  HWND button_add_to_permit_ = nullptr;
  HWND button_add_to_deny_ = nullptr;
  std::string app_path_;
};

}  // namespace lw
