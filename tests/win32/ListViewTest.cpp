// The list-view wrapper against a real owner-data report list, each value read back
// through the control's own macros.
#include "platform/win32/ListView.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A hidden owner-data report list of its own, destroyed with the test.
class ListViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    window_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_OWNERDATA, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  HWND window_ = nullptr;
};

}  // namespace

TEST_F(ListViewTest, ColumnsAndExtendedStyleReachTheControl) {
  const ListView list(window_);
  list.InsertColumn(0, "パス", 120, LVCFMT_LEFT);
  list.InsertColumn(1, "表題", 80, LVCFMT_LEFT);
  ASSERT_EQ(Header_GetItemCount(ListView_GetHeader(window_)), 2);
  char heading[32] = "";
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_FMT;
  column.pszText = heading;
  column.cchTextMax = sizeof heading;
  ASSERT_TRUE(ListView_GetColumn(window_, 1, &column));
  EXPECT_EQ(std::string(heading), "表題");
  EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
  EXPECT_EQ(list.GetColumnWidth(0), 120);
  EXPECT_EQ(list.GetColumnWidth(1), ListView_GetColumnWidth(window_, 1));

  list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  EXPECT_EQ(ListView_GetExtendedListViewStyle(window_), static_cast<DWORD>(LVS_EX_FULLROWSELECT));
  EXPECT_EQ(list.GetExtendedStyle(), static_cast<DWORD>(LVS_EX_FULLROWSELECT));
}

TEST_F(ListViewTest, RowsStatesAndTheMarkReachTheControl) {
  const ListView list(window_);
  list.InsertColumn(0, "パス", 120, LVCFMT_LEFT);
  list.SetItemCount(5, LVSICF_NOSCROLL);
  EXPECT_EQ(ListView_GetItemCount(window_), 5);
  EXPECT_EQ(list.GetItemCount(), 5);

  // -1 stands for every row.
  list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(ListView_GetSelectedCount(window_), 5u);
  list.SetItemState(-1, 0, LVIS_SELECTED);
  list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED);
  list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(ListView_GetSelectedCount(window_), 2u);
  EXPECT_EQ(list.GetItemState(3, LVIS_SELECTED | LVIS_FOCUSED), static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED));
  EXPECT_EQ(list.GetItemState(2, LVIS_SELECTED), 0u);

  EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
  EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED), 3);
  EXPECT_EQ(list.GetNextItem(3, LVNI_SELECTED), -1);
  EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 3);

  list.SetSelectionMark(4);
  EXPECT_EQ(ListView_GetSelectionMark(window_), 4);
  EXPECT_EQ(list.GetSelectionMark(), 4);
}
