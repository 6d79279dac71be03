#include "net/win/addons_form.h"

#include <algorithm>
#include <utility>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "notify/win/form_support.h"

namespace lw {

namespace {

constexpr std::string_view kForm = "TAddonsForm";
constexpr int kRoot = 0;
constexpr int kMargin = 8;
constexpr int kLabelGap = 3;
constexpr int kTreeWidth = 190;
constexpr int kColumnDescription = 250;
constexpr int kColumnName = 83;
constexpr int kViewHeight = 260;
constexpr int kButtonMinWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;

bool ControlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

int TextWidth(HWND control) {
  return ui::MeasureText(ui::MessageFont(), Widen(ui::WindowTextUtf8(control))).cx;
}

int ButtonWidth(HWND button) { return std::max(kButtonMinWidth, TextWidth(button) + 20); }

}  // namespace

AddonsForm::AddonsForm(AddonsFormDeps deps)
    : deps_(std::move(deps)), self_(std::make_shared<AddonsForm*>(this)) {}

AddonsForm::~AddonsForm() {
  *self_ = nullptr;
  if (tooltips_) DestroyWindow(tooltips_);
  if (window_ == nullptr) return;
  // The tree's deletions report to a form that is going: the window forgets it first.
  SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

bool AddonsForm::Create() {
  if (window_) return true;
  ui::InitCommonControlsOnce();
  ui::RegisterFormClass(kClassName, ui::FormProc<AddonsForm>, 0,
                        reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1)));
  CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT, kClassName, L"",
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0, 0, 580, 360, nullptr,
                  nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return false;

  // Creation order is the order of Tab.
  label_group_ =
      ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabelGroupId);
  tree_ = ui::CreateControl(
      window_, WC_TREEVIEWW,
      TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP, kTreeId);
  label_element_ =
      ui::CreateControl(window_, L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, kLabelElementId);
  list_ = ui::CreateControl(
      window_, WC_LISTVIEWW,
      LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_TABSTOP, kListId);
  button_ok_ = ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kButtonOkId);
  button_cancel_ =
      ui::CreateControl(window_, L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, kButtonCancelId);
  for (HWND view : {tree_, list_}) {
    SetWindowLongPtrW(view, GWL_EXSTYLE, GetWindowLongPtrW(view, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    SetWindowPos(view, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  const DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  for (int column : {0, 1}) {
    LVCOLUMNW header = {};
    header.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    header.cx = column == 0 ? kColumnDescription : kColumnName;
    header.pszText = const_cast<wchar_t*>(L"");
    header.iSubItem = column;
    SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
  }
  tooltips_ = ui::CreateTooltips();

  // The root, marked as having children; its folders come with the first show.
  TVINSERTSTRUCTW insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  std::wstring caption = Widen(kRootCaption);
  insert.item.pszText = caption.data();
  insert.item.lParam = kRoot;
  insert.item.cChildren = 1;
  Node root;
  root.name = kRootCaption;
  root.item = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  nodes_[kRoot] = std::move(root);

  ApplyTexts();
  return true;
}

void AddonsForm::ApplyTexts() {
  if (window_ == nullptr) return;
  const ControlTexts& texts = deps_.texts;
  ui::SetWindowTextUtf8(window_, texts.Text(kForm, "", ControlProperty::WindowCaption));
  ui::SetWindowTextUtf8(label_group_, texts.Text(kForm, "Label1", ControlProperty::Caption));
  ui::SetWindowTextUtf8(label_element_, texts.Text(kForm, "Label2", ControlProperty::Caption));
  for (auto [button, name] :
       {std::pair{button_ok_, "BtnOk"}, std::pair{button_cancel_, "BtnCancel"}}) {
    ui::SetWindowTextUtf8(button, texts.Text(kForm, name, ControlProperty::Caption));
    ui::SetHint(tooltips_, button, texts.Text(kForm, name, ControlProperty::Hint));
  }
  for (int column : {0, 1}) {
    std::wstring caption = Widen(texts.Text(kForm, "ListView", ControlProperty::Column, column));
    LVCOLUMNW header = {};
    header.mask = LVCF_TEXT;
    header.pszText = caption.data();
    SendMessageW(list_, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
  }
  Layout();
}

// The tree on the left and the list on the right, each under its label, the list as wide as
// its columns; the buttons at the bottom right.
void AddonsForm::Layout() {
  const int label_height = ui::MeasureText(ui::MessageFont(), L"").cy;
  const int list_width = kColumnDescription + kColumnName + GetSystemMetrics(SM_CXVSCROLL) +
                         2 * GetSystemMetrics(SM_CXEDGE) + 4;
  const int ok_width = ButtonWidth(button_ok_);
  const int cancel_width = ButtonWidth(button_cancel_);
  const int width = std::max(kMargin + kTreeWidth + kMargin + list_width + kMargin,
                             kMargin + ok_width + kButtonGap + cancel_width + kMargin);
  const int list_left = kMargin + kTreeWidth + kMargin;
  int top = kMargin;
  MoveWindow(label_group_, kMargin, top, kTreeWidth, label_height, FALSE);
  MoveWindow(label_element_, list_left, top, width - kMargin - list_left, label_height, FALSE);
  top += label_height + kLabelGap;
  MoveWindow(tree_, kMargin, top, kTreeWidth, kViewHeight, FALSE);
  MoveWindow(list_, list_left, top, width - kMargin - list_left, kViewHeight, FALSE);
  top += kViewHeight + kMargin;
  MoveWindow(button_cancel_, width - kMargin - cancel_width, top, cancel_width, kButtonHeight,
             FALSE);
  MoveWindow(button_ok_, width - kMargin - cancel_width - kButtonGap - ok_width, top, ok_width,
             kButtonHeight, FALSE);
  const SIZE window = ui::SizeForClient(window_, width, top + kButtonHeight + kMargin);
  SetWindowPos(window_, nullptr, 0, 0, window.cx, window.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(window_, nullptr, TRUE);
}

std::string AddonsForm::HintOf(HWND control) const { return ui::HintOf(tooltips_, control); }

void AddonsForm::ShowCatalogue() {
  if (window_ == nullptr) return;
  if (open_) {
    SetForegroundWindow(window_);
    return;
  }
  FormShow();
}

void AddonsForm::FormShow() {
  open_ = true;
  busy_ = false;
  ++generation_;
  const HTREEITEM root = TreeItemOf(kRoot);
  DeleteChildren(root);
  nodes_[kRoot].items.clear();
  SetChildrenMark(root, true);
  SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(root));
  ClearList();
  // Showing the window browses the root whether or not an earlier browse still runs.
  StartBrowse(kRoot);

  const SIZE desktop = ui::DesktopSize();
  RECT frame = {};
  GetWindowRect(window_, &frame);
  SetWindowPos(window_, nullptr, (desktop.cx - (frame.right - frame.left)) / 2,
               (desktop.cy - (frame.bottom - frame.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (deps_.on_visibility) deps_.on_visibility(true);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(tree_);
}

void AddonsForm::StartBrowse(int node) {
  busy_ = true;
  if (!deps_.browse) return;
  std::weak_ptr<AddonsForm*> self = self_;
  const unsigned generation = generation_;
  deps_.browse(NodePath(node), [self, generation, node](CatalogueFolder folder) {
    const std::shared_ptr<AddonsForm*> form = self.lock();
    if (!form || *form == nullptr || (*form)->generation_ != generation) return;
    (*form)->ApplyBrowse(node, folder);
  });
}

void AddonsForm::ApplyBrowse(int node, const CatalogueFolder& folder) {
  busy_ = false;
  const auto found = nodes_.find(node);
  if (found == nodes_.end() || window_ == nullptr) return;
  const HTREEITEM item = found->second.item;
  if (folder.empty) {
    SetChildrenMark(item, false);
    return;
  }
  for (const std::string& name : folder.folders) AddNode(node, name, true);
  // A folder without subfolders is a leaf: expanding it does not ask the service again. Its
  // add-ons are already here.
  if (folder.folders.empty()) SetChildrenMark(item, false);
  SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  nodes_[node].items = folder.items;
  // The list shows the new items: the node is selected again.
  SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, 0);
  SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  FillList(node);
}

int AddonsForm::AddNode(int parent, const std::string& name, bool has_children) {
  const int id = next_node_++;
  TVINSERTSTRUCTW insert = {};
  insert.hParent = nodes_[parent].item;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  std::wstring caption = Widen(deps_.codec.ToUtf8(name));
  insert.item.pszText = caption.data();
  insert.item.lParam = id;
  insert.item.cChildren = has_children ? 1 : 0;
  Node node;
  node.parent = parent;
  node.name = name;
  // Known before the insertion, whose notifications may ask for it.
  nodes_[id] = std::move(node);
  nodes_[id].item = reinterpret_cast<HTREEITEM>(
      SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  return id;
}

HTREEITEM AddonsForm::TreeItemOf(int node) const {
  const auto found = nodes_.find(node);
  return found == nodes_.end() ? nullptr : found->second.item;
}

int AddonsForm::NodeOf(HTREEITEM item) const {
  if (item == nullptr) return -1;
  TVITEMW data = {};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = item;
  if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return -1;
  return static_cast<int>(data.lParam);
}

std::string AddonsForm::NodePath(int node) const {
  std::string path;
  for (auto found = nodes_.find(node); found != nodes_.end();
       found = nodes_.find(found->second.parent)) {
    path = path.empty() ? found->second.name : found->second.name + "\\" + path;
  }
  return path;
}

std::vector<CatalogueItem> AddonsForm::ItemsOf(int node) const {
  const auto found = nodes_.find(node);
  return found == nodes_.end() ? std::vector<CatalogueItem>() : found->second.items;
}

bool AddonsForm::HasChildrenMark(HTREEITEM item) const {
  TVITEMW data = {};
  data.mask = TVIF_CHILDREN | TVIF_HANDLE;
  data.hItem = item;
  return SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) &&
         data.cChildren != 0;
}

void AddonsForm::SetChildrenMark(HTREEITEM item, bool has_children) const {
  TVITEMW data = {};
  data.mask = TVIF_CHILDREN | TVIF_HANDLE;
  data.hItem = item;
  data.cChildren = has_children ? 1 : 0;
  SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void AddonsForm::DeleteChildren(HTREEITEM item) {
  for (;;) {
    const auto child = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    if (child == nullptr) break;
    // Each deletion reports every node it takes, and their items go with them.
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
  }
}

void AddonsForm::ClearList() {
  SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  shown_node_ = -1;
}

void AddonsForm::FillList(int node) {
  filling_ = true;
  ClearList();
  const auto found = nodes_.find(node);
  if (found != nodes_.end()) {
    shown_node_ = node;
    const std::vector<CatalogueItem>& items = found->second.items;
    for (std::size_t i = 0; i < items.size(); ++i) {
      std::wstring description = Widen(deps_.codec.ToUtf8(items[i].description));
      std::wstring name = Widen(deps_.codec.ToUtf8(items[i].name));
      LVITEMW row = {};
      row.mask = LVIF_TEXT | LVIF_PARAM;
      row.iItem = static_cast<int>(i);
      row.pszText = description.data();
      row.lParam = static_cast<LPARAM>(i);
      const int index =
          static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
      if (index < 0) continue;
      LVITEMW second = {};
      second.iSubItem = 1;
      second.pszText = name.data();
      SendMessageW(list_, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&second));
      LVITEMW state = {};
      state.stateMask = LVIS_STATEIMAGEMASK;
      state.state = INDEXTOSTATEIMAGEMASK(items[i].chosen ? 2 : 1);
      SendMessageW(list_, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
    }
  }
  filling_ = false;
}

void AddonsForm::CopyChecks() {
  const auto found = nodes_.find(shown_node_);
  if (found == nodes_.end()) return;
  std::vector<CatalogueItem>& items = found->second.items;
  const int rows = static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    LVITEMW data = {};
    data.mask = LVIF_PARAM;
    data.iItem = row;
    if (!SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) continue;
    const auto index = static_cast<std::size_t>(data.lParam);
    if (index >= items.size()) continue;
    const auto state =
        static_cast<UINT>(SendMessageW(list_, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    items[index].chosen = (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
  }
}

void AddonsForm::ButtonOkClick() {
  if (window_ == nullptr || !open_) return;
  CopyChecks();
  // Every node's items in the tree's order (a node before its children): the file then holds
  // exactly the chosen add-ons of the catalogue loaded here. Names of an earlier list that the
  // window does not show are not kept.
  std::vector<const std::vector<CatalogueItem>*> lists;
  std::vector<HTREEITEM> stack = {TreeItemOf(kRoot)};
  while (!stack.empty()) {
    const HTREEITEM item = stack.back();
    stack.pop_back();
    if (item == nullptr) continue;
    const auto found = nodes_.find(NodeOf(item));
    if (found != nodes_.end()) lists.push_back(&found->second.items);
    std::vector<HTREEITEM> children;
    for (auto child = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
         child != nullptr;
         child = reinterpret_cast<HTREEITEM>(
             SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
      children.push_back(child);
    }
    stack.insert(stack.end(), children.rbegin(), children.rend());
  }
  WriteTodoList(deps_.folder / kTodoListFile, ChosenNames(lists));
  if (deps_.start_install) deps_.start_install();
  FormClose();
}

void AddonsForm::ButtonCancelClick() { FormClose(); }

void AddonsForm::FormClose() {
  if (window_ == nullptr) return;
  const bool was_open = open_;
  open_ = false;
  ShowWindow(window_, SW_HIDE);
  if (was_open && deps_.on_visibility) deps_.on_visibility(false);
}

bool AddonsForm::PreTranslate(MSG& message) {
  if (window_ == nullptr || !IsWindowVisible(window_)) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  if (message.message == WM_KEYDOWN) {
    switch (message.wParam) {
      case VK_ESCAPE:
        ButtonCancelClick();
        return true;
      case VK_RETURN:
        if (ControlDown()) {
          ButtonOkClick();
        } else if (message.hwnd == button_ok_ || message.hwnd == button_cancel_) {
          // Enter alone presses the focused button and does nothing elsewhere.
          SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        }
        return true;
      default:
        break;
    }
  }
  return IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT AddonsForm::Notify(NMHDR* header) {
  if (header->hwndFrom == tree_) {
    switch (header->code) {
      case TVN_ITEMEXPANDINGW: {
        const auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
        const HTREEITEM item = change->itemNew.hItem;
        const bool has_child =
            SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)) != 0;
        if ((change->action & TVE_EXPAND) != 0 && !busy_ && HasChildrenMark(item) && !has_child) {
          StartBrowse(static_cast<int>(change->itemNew.lParam));
        }
        return FALSE;  // the expansion itself is never refused
      }
      case TVN_SELCHANGEDW: {
        const auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
        if (change->itemNew.hItem == nullptr) {
          ClearList();
        } else {
          FillList(static_cast<int>(change->itemNew.lParam));
        }
        return 0;
      }
      case TVN_DELETEITEMW: {
        const auto* change = reinterpret_cast<NMTREEVIEWW*>(header);
        const int node = static_cast<int>(change->itemOld.lParam);
        if (node == shown_node_) ClearList();
        if (node != kRoot) nodes_.erase(node);
        return 0;
      }
      default:
        return 0;
    }
  }
  if (header->hwndFrom == list_) {
    switch (header->code) {
      case NM_CLICK:
        CopyChecks();
        return 0;
      case LVN_ITEMCHANGED: {
        // A check box changed by the keyboard counts as well as one clicked.
        const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
        if (!filling_ && (change->uChanged & LVIF_STATE) != 0 &&
            ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) != 0) {
          CopyChecks();
        }
        return 0;
      }
      default:
        return 0;
    }
  }
  return 0;
}

LRESULT AddonsForm::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        const int id = LOWORD(wparam);
        if (id == kButtonOkId) ButtonOkClick();
        if (id == kButtonCancelId || id == IDCANCEL) ButtonCancelClick();
      }
      return 0;
    case WM_NOTIFY:
      return Notify(reinterpret_cast<NMHDR*>(lparam));
    case WM_CLOSE:
      FormClose();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace lw
