#include "platform/win32/ListView.h"

void ListView::SetItemCount(int count, DWORD flags) const {
  SendMessageA(list_, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags);
}

int ListView::GetItemCount() const { return static_cast<int>(SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0)); }

void ListView::SetItemState(int row, UINT state, UINT mask) const {
  LVITEMA item = {};
  item.state = state;
  item.stateMask = mask;
  // The row travels as a WPARAM: -1 becomes the all-ones value the control takes for "every row".
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

UINT ListView::GetItemState(int row, UINT mask) const {
  return static_cast<UINT>(SendMessageA(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
}

int ListView::GetNextItem(int start, UINT flags) const {
  return static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

int ListView::GetSelectionMark() const { return static_cast<int>(SendMessageA(list_, LVM_GETSELECTIONMARK, 0, 0)); }

void ListView::SetSelectionMark(int row) const { SendMessageA(list_, LVM_SETSELECTIONMARK, 0, row); }

void ListView::InsertColumn(int index, const char* heading, int width, int format) const {
  LVCOLUMNA column = {};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = format;
  column.cx = width;
  column.pszText = const_cast<char*>(heading);  // only read: the control copies the text
  column.iSubItem = index;
  SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int ListView::GetColumnWidth(int column) const {
  return static_cast<int>(SendMessageA(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void ListView::SetColumnWidth(int column, int width) const {
  SendMessageA(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

void ListView::SetExtendedStyle(DWORD style) const {
  // A mask of 0 sets every bit of the extended style.
  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

DWORD ListView::GetExtendedStyle() const {
  return static_cast<DWORD>(SendMessageA(list_, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

ListViewRedrawPause::ListViewRedrawPause(HWND list) : list_(list) { SendMessageA(list_, WM_SETREDRAW, FALSE, 0); }

ListViewRedrawPause::~ListViewRedrawPause() {
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}
