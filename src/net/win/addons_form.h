#pragma once
// TAddonsForm: the add-on catalogue. The folders of the maker's catalogue in a tree under the
// root "LarkWatch", the add-ons of the selected folder in a list with check boxes, and
// "&Pobierz", which writes the chosen names to todolist.txt, starts their installation and
// closes the window. A tool window, not modal; Esc closes it and Ctrl+Enter downloads (through
// PreTranslate, which the program's message loop calls).
//
// A folder's content comes from a browse that runs on a worker thread; its result is handed
// back to this window on the main thread. A tree node is known to a browse by its number, never
// by its handle: a result for a node deleted meanwhile (the window was shown again) is dropped.
// Main thread only.

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/codec.h"
#include "net/addons_run.h"

namespace lw {

class ControlTexts;

struct AddonsFormDeps {
  const ControlTexts& texts;
  // The service's texts (ANSI bytes) to UTF-8 for the tree and the list.
  const AnsiCodec& codec;
  // Where todolist.txt is written: the program's current directory.
  std::filesystem::path folder;
  // Starts the browse of a catalogue path ("LarkWatch\Narzędzia", as the service's bytes);
  // `done` is to be run later, on the main thread, with what it found. A browse that never
  // ends keeps later expansions from browsing until the window is shown again.
  std::function<void(std::string path, std::function<void(CatalogueFolder)> done)> browse;
  // Starts the installation of the names in todolist.txt.
  std::function<void()> start_install;
  // The window was shown (true) or closed (false); may be empty.
  std::function<void(bool shown)> on_visibility;
};

class AddonsForm {
 public:
  static constexpr wchar_t kClassName[] = L"TAddonsForm";
  // The root's caption, also the first component of every catalogue path.
  static constexpr char kRootCaption[] = "LarkWatch";

  static constexpr int kLabelGroupId = 100;
  static constexpr int kTreeId = 101;
  static constexpr int kLabelElementId = 102;
  static constexpr int kListId = 103;
  static constexpr int kButtonOkId = 104;
  static constexpr int kButtonCancelId = 105;

  explicit AddonsForm(AddonsFormDeps deps);
  ~AddonsForm();
  AddonsForm(const AddonsForm&) = delete;
  AddonsForm& operator=(const AddonsForm&) = delete;

  // Creates the hidden window; false when the system refuses.
  bool Create();
  HWND hwnd() const { return window_; }
  // The window's tag: shown and not closed since.
  bool IsOpen() const { return open_; }
  // The tree's tag: a browse started by an expansion (or a show) has not reported yet.
  bool busy() const { return busy_; }

  // The "Pokaż listę" command: shows the window and browses the root, unless it is open
  // already (then it only comes to the front).
  void ShowCatalogue();
  // Takes the control texts again (after a language file was applied).
  void ApplyTexts();
  // Keys of the whole window: Esc closes, Ctrl+Enter downloads, Enter presses the focused
  // button, Tab moves between the controls. True when the message was taken.
  bool PreTranslate(MSG& message);

  // Handlers.
  void FormShow();
  void ButtonOkClick();
  void ButtonCancelClick();
  void FormClose();

  // A browse's result for a node (the root is node 0), as the browse's `done` applies it.
  void ApplyBrowse(int node, const CatalogueFolder& folder);

  // For the tests.
  HWND label_group() const { return label_group_; }
  HWND tree() const { return tree_; }
  HWND label_element() const { return label_element_; }
  HWND list() const { return list_; }
  HWND button_ok() const { return button_ok_; }
  HWND button_cancel() const { return button_cancel_; }
  std::string HintOf(HWND control) const;
  HTREEITEM TreeItemOf(int node) const;
  // The node of a tree item; -1 for none.
  int NodeOf(HTREEITEM item) const;
  // The catalogue path of a node, as the service's bytes.
  std::string NodePath(int node) const;
  // The items of a node in their order; empty for an unknown node.
  std::vector<CatalogueItem> ItemsOf(int node) const;

  // For the window procedure.
  void AttachWindow(HWND window) { window_ = window; }
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  struct Node {
    HTREEITEM item = nullptr;
    int parent = -1;
    std::string name;  // the service's bytes; the root's caption for the root
    std::vector<CatalogueItem> items;
  };

  void Layout();
  void StartBrowse(int node);
  int AddNode(int parent, const std::string& name, bool has_children);
  bool HasChildrenMark(HTREEITEM item) const;
  void SetChildrenMark(HTREEITEM item, bool has_children) const;
  void DeleteChildren(HTREEITEM item);
  void FillList(int node);
  void ClearList();
  // Copies the rows' check boxes into the items of the shown node.
  void CopyChecks();
  LRESULT Notify(NMHDR* header);

  AddonsFormDeps deps_;
  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND label_group_ = nullptr;
  HWND tree_ = nullptr;
  HWND label_element_ = nullptr;
  HWND list_ = nullptr;
  HWND button_ok_ = nullptr;
  HWND button_cancel_ = nullptr;

  std::map<int, Node> nodes_;
  int next_node_ = 1;
  // The node whose items the list shows; -1 for none.
  int shown_node_ = -1;
  bool filling_ = false;
  bool open_ = false;
  bool busy_ = false;
  // Counts the shows: a browse started before the last show reports into a tree that is gone.
  unsigned generation_ = 0;
  // Browses hold it weakly, so that a result arriving after the window is gone is dropped.
  std::shared_ptr<AddonsForm*> self_;
};

}  // namespace lw
