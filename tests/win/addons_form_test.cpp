// The add-on catalogue window (TAddonsForm) on the test's thread. The browses it starts are
// recorded and answered by the test, so no network is involved. Needs a display (Xvfb).

#include "net/win/addons_form.h"

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/win/wide.h"
#include "config/control_texts.h"
#include "fakes/temp_dir.h"
#include "support/message_pump.h"
#include "support/modal_script.h"
#include "support/window_snapshot.h"

namespace lw {
namespace {

using test::Text;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class AddonsFormTest : public ::testing::Test {
 protected:
  struct Browse {
    std::string path;
    std::function<void(CatalogueFolder)> done;
  };

  void SetUp() override {
    form_ = std::make_unique<AddonsForm>(AddonsFormDeps{
        texts_, codec_, dir_.path(),
        [this](std::string path, std::function<void(CatalogueFolder)> done) {
          browses_.push_back({std::move(path), std::move(done)});
        },
        [this] { ++installs_; }, [this](bool shown) { visibility_.push_back(shown); }});
    ASSERT_TRUE(form_->Create()) << "no window: is there a display (Xvfb)?";
  }
  void TearDown() override {
    form_.reset();
    test::SetControlKey(false);
  }

  // The catalogue's root: two folders and three add-ons, the second chosen earlier.
  static CatalogueFolder Root() {
    CatalogueFolder folder;
    folder.folders = {"Narzędzia", "Gry"};
    folder.items = {{"Zegar na pasku", "clock", false},
                    {"Licznik rachunku", "bill", true},
                    {"Mapa numerów", "map", false}};
    return folder;
  }
  // The folders' names and the items' texts come as the service's bytes.
  CatalogueFolder Ansi(CatalogueFolder folder) const {
    for (std::string& name : folder.folders) name = codec_.FromUtf8(name);
    for (CatalogueItem& item : folder.items) {
      item.description = codec_.FromUtf8(item.description);
      item.name = codec_.FromUtf8(item.name);
    }
    return folder;
  }

  // Shows the window and answers its browse of the root.
  void ShowWithRoot() {
    form_->ShowCatalogue();
    ASSERT_EQ(browses_.size(), 1u);
    browses_[0].done(Ansi(Root()));
    test::Pump();
  }

  HTREEITEM Child(HTREEITEM item, int index) const {
    auto child = reinterpret_cast<HTREEITEM>(
        SendMessageW(form_->tree(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    while (child && index-- > 0) {
      child = reinterpret_cast<HTREEITEM>(
          SendMessageW(form_->tree(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
    }
    return child;
  }
  std::string Caption(HTREEITEM item) const {
    wchar_t text[256] = {};
    TVITEMW data = {};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = text;
    data.cchTextMax = 256;
    SendMessageW(form_->tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return Narrow(text);
  }
  int ChildrenMark(HTREEITEM item) const {
    TVITEMW data = {};
    data.mask = TVIF_CHILDREN | TVIF_HANDLE;
    data.hItem = item;
    SendMessageW(form_->tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return data.cChildren;
  }
  int Rows() const { return static_cast<int>(SendMessageW(form_->list(), LVM_GETITEMCOUNT, 0, 0)); }
  std::string Cell(int row, int column) const {
    wchar_t text[256] = {};
    LVITEMW data = {};
    data.iSubItem = column;
    data.pszText = text;
    data.cchTextMax = 256;
    SendMessageW(form_->list(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&data));
    return Narrow(text);
  }
  bool Checked(int row) const {
    const auto state =
        static_cast<UINT>(SendMessageW(form_->list(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
  }
  void Check(int row, bool on) {
    LVITEMW state = {};
    state.stateMask = LVIS_STATEIMAGEMASK;
    state.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
    SendMessageW(form_->list(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
  }
  void Select(HTREEITEM item) {
    SendMessageW(form_->tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  }
  void Expand(HTREEITEM item) {
    SendMessageW(form_->tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  }
  // A key as the program's message loop offers it to the window.
  bool Key(HWND control, WPARAM key, bool with_control = false) {
    test::SetControlKey(with_control);
    MSG message = {};
    message.hwnd = control;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    message.lParam = 1;
    const bool taken = form_->PreTranslate(message);
    test::SetControlKey(false);
    return taken;
  }
  std::filesystem::path Todo() const { return dir_.path() / "todolist.txt"; }

  ControlTexts texts_;
  Cp1250Codec codec_;
  test::TempDir dir_;
  std::vector<Browse> browses_;
  int installs_ = 0;
  std::vector<bool> visibility_;
  std::unique_ptr<AddonsForm> form_;
};

TEST_F(AddonsFormTest, TheWindowHasItsControlsAndTexts) {
  AddonsForm& form = *form_;
  wchar_t name[64] = {};
  GetClassNameW(form.hwnd(), name, 64);
  EXPECT_STREQ(name, L"TAddonsForm");
  EXPECT_TRUE(GetWindowLongPtrW(form.hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_EQ(Text(form.hwnd()), "LarkWatch - dodatki...");
  EXPECT_EQ(Text(form.label_group()), "Grupa");
  EXPECT_EQ(Text(form.label_element()), "Element");
  EXPECT_EQ(Text(form.button_ok()), "&Pobierz");
  EXPECT_EQ(Text(form.button_cancel()), "&Zamknij");
  EXPECT_EQ(form.HintOf(form.button_ok()), "Pobierz (Esc)");
  EXPECT_EQ(form.HintOf(form.button_cancel()), "Ukryj okno (Esc)");

  // The tree: the root alone, marked as having children; no editing.
  const LONG_PTR tree_style = GetWindowLongPtrW(form.tree(), GWL_STYLE);
  EXPECT_FALSE(tree_style & TVS_EDITLABELS);
  EXPECT_EQ(SendMessageW(form.tree(), TVM_GETCOUNT, 0, 0), 1);
  const HTREEITEM root = form.TreeItemOf(0);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(Caption(root), "LarkWatch");
  EXPECT_EQ(ChildrenMark(root), 1);
  EXPECT_EQ(form.NodePath(0), "LarkWatch");

  // The list: report view with check boxes, whole rows, no column clicks, no editing.
  const LONG_PTR list_style = GetWindowLongPtrW(form.list(), GWL_STYLE);
  EXPECT_EQ(list_style & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(list_style & LVS_NOSORTHEADER);
  EXPECT_FALSE(list_style & LVS_EDITLABELS);
  const auto extended =
      static_cast<DWORD>(SendMessageW(form.list(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  EXPECT_TRUE(extended & LVS_EX_CHECKBOXES);
  EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
  for (int column : {0, 1}) {
    wchar_t caption[64] = {};
    LVCOLUMNW header = {};
    header.mask = LVCF_TEXT | LVCF_WIDTH;
    header.pszText = caption;
    header.cchTextMax = 64;
    ASSERT_TRUE(
        SendMessageW(form.list(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(Narrow(caption), column == 0 ? "Opis" : "Nazwa");
    EXPECT_EQ(header.cx, column == 0 ? 250 : 83);
  }
  EXPECT_EQ(Rows(), 0);

  // The buttons fit their texts and lie below both views, inside the window.
  RECT client = {};
  GetClientRect(form.hwnd(), &client);
  for (HWND control : {form.label_group(), form.tree(), form.label_element(), form.list(),
                       form.button_ok(), form.button_cancel()}) {
    const RECT r = ui::ControlRect(control);
    EXPECT_GE(r.left, 0);
    EXPECT_LE(r.right, client.right);
    EXPECT_LE(r.bottom, client.bottom);
  }
  EXPECT_GE(ui::ControlRect(form.button_ok()).top, ui::ControlRect(form.list()).bottom);
  EXPECT_LT(ui::ControlRect(form.button_ok()).right, ui::ControlRect(form.button_cancel()).left);
  EXPECT_FALSE(form.IsOpen());
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
}

TEST_F(AddonsFormTest, ShowingBrowsesTheRootAndTheResultFillsTheTreeAndTheList) {
  AddonsForm& form = *form_;
  form.ShowCatalogue();
  EXPECT_TRUE(form.IsOpen());
  EXPECT_TRUE(IsWindowVisible(form.hwnd()));
  EXPECT_EQ(visibility_, std::vector<bool>{true});
  EXPECT_TRUE(form.busy());
  ASSERT_EQ(browses_.size(), 1u);
  EXPECT_EQ(browses_[0].path, "LarkWatch");

  // Shown again while open: nothing new.
  form.ShowCatalogue();
  EXPECT_EQ(browses_.size(), 1u);

  browses_[0].done(Ansi(Root()));
  test::Pump();
  EXPECT_FALSE(form.busy());
  const HTREEITEM root = form.TreeItemOf(0);
  const HTREEITEM tools = Child(root, 0);
  const HTREEITEM games = Child(root, 1);
  ASSERT_NE(tools, nullptr);
  ASSERT_NE(games, nullptr);
  EXPECT_EQ(Child(root, 2), nullptr);
  EXPECT_EQ(Caption(tools), "Narzędzia");
  EXPECT_EQ(Caption(games), "Gry");
  EXPECT_EQ(ChildrenMark(tools), 1);
  EXPECT_EQ(ChildrenMark(games), 1);
  EXPECT_TRUE(
      SendMessageW(form.tree(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(root), TVIS_EXPANDED) &
      TVIS_EXPANDED);
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(form.tree(), TVM_GETNEXTITEM, TVGN_CARET, 0)),
            root);

  ASSERT_EQ(Rows(), 3);
  EXPECT_EQ(Cell(0, 0), "Zegar na pasku");
  EXPECT_EQ(Cell(0, 1), "clock");
  EXPECT_EQ(Cell(1, 0), "Licznik rachunku");
  EXPECT_EQ(Cell(1, 1), "bill");
  EXPECT_EQ(Cell(2, 0), "Mapa numerów");
  EXPECT_EQ(Cell(2, 1), "map");
  EXPECT_FALSE(Checked(0));
  EXPECT_TRUE(Checked(1));
  EXPECT_FALSE(Checked(2));
  test::SnapWindow(form.hwnd(), "addons");

  // Another folder's list is empty until it is browsed; back at the root the rows return.
  Select(tools);
  EXPECT_EQ(Rows(), 0);
  Select(root);
  EXPECT_EQ(Rows(), 3);
}

TEST_F(AddonsFormTest, ExpandingAFolderBrowsesItOnceAndOneBrowseAtATime) {
  AddonsForm& form = *form_;
  ShowWithRoot();
  const HTREEITEM root = form.TreeItemOf(0);
  const HTREEITEM tools = Child(root, 0);
  const HTREEITEM games = Child(root, 1);

  Expand(tools);
  ASSERT_EQ(browses_.size(), 2u);
  EXPECT_EQ(browses_[1].path, "LarkWatch\\" + codec_.FromUtf8("Narzędzia"));
  EXPECT_TRUE(form.busy());
  // While it runs, another expansion browses nothing (and is not refused).
  Expand(games);
  EXPECT_EQ(browses_.size(), 2u);

  CatalogueFolder content;
  content.folders = {"Sieć"};
  content.items = {{"Modem", "modem", false}};
  browses_[1].done(Ansi(content));
  test::Pump();
  EXPECT_FALSE(form.busy());
  const HTREEITEM network = Child(tools, 0);
  ASSERT_NE(network, nullptr);
  EXPECT_EQ(Caption(network), "Sieć");
  EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(form.tree(), TVM_GETNEXTITEM, TVGN_CARET, 0)),
            tools);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(Cell(0, 1), "modem");

  // A folder that has its children is not browsed again.
  SendMessageW(form.tree(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(tools));
  Expand(tools);
  EXPECT_EQ(browses_.size(), 2u);

  // An empty answer marks the folder as having no children.
  SendMessageW(form.tree(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(games));
  const int games_node = form.NodeOf(games);
  form.ApplyBrowse(games_node, CatalogueFolder{true, {}, {}});
  EXPECT_EQ(ChildrenMark(games), 0);
  Expand(games);
  EXPECT_EQ(browses_.size(), 2u);
}

TEST_F(AddonsFormTest, PobierzWritesExactlyTheChosenNamesStartsTheInstallationAndCloses) {
  AddonsForm& form = *form_;
  // A name of an earlier list that the loaded catalogue does not show is not kept.
  {
    std::ofstream out(Todo(), std::ios::binary);
    out << "older\r\nbill\r\n";
  }
  ShowWithRoot();
  const HTREEITEM tools = Child(form.TreeItemOf(0), 0);
  Check(1, false);  // bill
  Check(0, true);   // clock
  NMITEMACTIVATE click = {};
  click.hdr.hwndFrom = form.list();
  click.hdr.idFrom = AddonsForm::kListId;
  click.hdr.code = NM_CLICK;
  click.iItem = 0;
  SendMessageW(form.hwnd(), WM_NOTIFY, AddonsForm::kListId, reinterpret_cast<LPARAM>(&click));
  EXPECT_TRUE(form.ItemsOf(0)[0].chosen);
  EXPECT_FALSE(form.ItemsOf(0)[1].chosen);

  Expand(tools);
  ASSERT_EQ(browses_.size(), 2u);
  CatalogueFolder content;
  content.items = {{"Modem", "modem", false}, {"Faks", "fax", false}};
  browses_[1].done(Ansi(content));
  test::Pump();
  ASSERT_EQ(Rows(), 2);
  Check(1, true);  // fax

  SendMessageW(form.button_ok(), BM_CLICK, 0, 0);
  test::Pump();
  EXPECT_EQ(ReadFile(Todo()), "clock\r\nfax\r\n");
  EXPECT_EQ(installs_, 1);
  EXPECT_FALSE(form.IsOpen());
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  EXPECT_EQ(visibility_, (std::vector<bool>{true, false}));
}

TEST_F(AddonsFormTest, EscClosesWithoutWritingAndCtrlEnterDownloads) {
  AddonsForm& form = *form_;
  ShowWithRoot();
  EXPECT_TRUE(Key(form.tree(), VK_ESCAPE));
  EXPECT_FALSE(form.IsOpen());
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  EXPECT_FALSE(std::filesystem::exists(Todo()));
  EXPECT_EQ(installs_, 0);

  // Shown again: the tree is browsed afresh from the root.
  form.ShowCatalogue();
  ASSERT_EQ(browses_.size(), 2u);
  EXPECT_EQ(SendMessageW(form.tree(), TVM_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(Rows(), 0);
  browses_[1].done(Ansi(Root()));
  test::Pump();
  EXPECT_EQ(SendMessageW(form.tree(), TVM_GETCOUNT, 0, 0), 3);

  // Enter alone in the list does nothing; with Ctrl it is "&Pobierz".
  EXPECT_TRUE(Key(form.list(), VK_RETURN));
  EXPECT_TRUE(form.IsOpen());
  EXPECT_TRUE(Key(form.list(), VK_RETURN, true));
  EXPECT_FALSE(form.IsOpen());
  EXPECT_EQ(ReadFile(Todo()), "bill\r\n");
  EXPECT_EQ(installs_, 1);

  // The close box closes too.
  form.ShowCatalogue();
  SendMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form.IsOpen());
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
}

TEST_F(AddonsFormTest, ResultsForATreeThatIsGoneAreDropped) {
  AddonsForm& form = *form_;
  form.ShowCatalogue();
  Key(form.tree(), VK_ESCAPE);
  form.ShowCatalogue();
  ASSERT_EQ(browses_.size(), 2u);
  // The first show's browse reports after the second show: its tree is gone.
  browses_[0].done(Ansi(Root()));
  EXPECT_EQ(SendMessageW(form.tree(), TVM_GETCOUNT, 0, 0), 1);
  EXPECT_TRUE(form.busy());
  browses_[1].done(Ansi(Root()));
  EXPECT_EQ(SendMessageW(form.tree(), TVM_GETCOUNT, 0, 0), 3);

  // After the window is gone, a late result does nothing.
  const HTREEITEM tools = Child(form.TreeItemOf(0), 0);
  Expand(tools);
  ASSERT_EQ(browses_.size(), 3u);
  form_.reset();
  browses_[2].done(Ansi(Root()));
}

}  // namespace
}  // namespace lw
