// A thin, typed view of a list-view control: the messages the program sends it, and
// nothing else. It holds no rows and does not own the window; make one wherever a
// control's handle is at hand.
#pragma once
#include <windows.h>
#include <commctrl.h>

class ListView {
public:
  explicit ListView(HWND list) : list_(list) {}
  HWND Hwnd() const { return list_; }

  // The row count of an owner-data list; `flags` are LVSICF_* (LVSICF_NOSCROLL keeps
  // the scroll position).
  void SetItemCount(int count, DWORD flags) const;
  int GetItemCount() const;

  // Gives the bits of `mask` in the state of `row` (-1: every row) the values in `state`.
  void SetItemState(int row, UINT state, UINT mask) const;
  UINT GetItemState(int row, UINT mask) const;
  // The first row after `start` (-1: from the top) that has the LVNI_* `flags`; -1 when
  // there is none.
  int GetNextItem(int start, UINT flags) const;

  // The anchor of a Shift selection; -1 when there is none.
  int GetSelectionMark() const;
  void SetSelectionMark(int row) const;

  // Inserts a column at `index` with this heading and width, its text aligned by
  // `format` (LVCFMT_*).
  void InsertColumn(int index, const char* heading, int width, int format) const;
  int GetColumnWidth(int column) const;
  void SetColumnWidth(int column, int width) const;

  // The LVS_EX_* extended style, all its bits at once.
  void SetExtendedStyle(DWORD style) const;
  DWORD GetExtendedStyle() const;

private:
  HWND list_;
};

// Holds a list view's painting back while it lives, so that many changes (a new count,
// selection states) cost one repaint instead of one each; a new count otherwise repaints
// the list and its scroll bar at once. When it goes, the list is repainted whole, frame
// and scroll bars included, as the system asks after WM_SETREDRAW.
class ListViewRedrawPause {
public:
  explicit ListViewRedrawPause(HWND list);
  ~ListViewRedrawPause();
  ListViewRedrawPause(const ListViewRedrawPause&) = delete;
  ListViewRedrawPause& operator=(const ListViewRedrawPause&) = delete;

private:
  HWND list_;
};
