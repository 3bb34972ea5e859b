#include "ui/TrackListCtrl.h"

#include <cstring>

#include "core/Texts.h"
#include "platform/ScopedChange.h"
#include "platform/Text.h"

void CTrackListCtrl::Initialise(const int widths[kTrackColumnCount]) {
  const ListView list = View();
  for (int column = 0; column < kTrackColumnCount; ++column) {
    list.InsertColumn(column, fixed_texts::kColumnHeadings[column], widths[column], LVCFMT_LEFT);
  }
  list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
}

int CTrackListCtrl::GetColumnWidth(int column) const { return View().GetColumnWidth(column); }

void CTrackListCtrl::SetColumnWidth(int column, int width) { View().SetColumnWidth(column, width); }

void CTrackListCtrl::Refresh() {
  if (Hwnd() == nullptr) return;
  const ListView list = View();
  const ListViewRedrawPause paintOnceAtTheEnd(list.Hwnd());
  const ScopedChange<bool> notTheUsers(showingModel_, true);
  // A new count repaints every row; keep the scroll position where it is.
  list.SetItemCount(tracks_.GetTrackCount(), LVSICF_NOSCROLL);
  if (tracks_.GetTrackCount() > 0 && tracks_.GetSelectedTrackCount() == tracks_.GetTrackCount()) {
    // Every row (Ctrl+A): one call however long the list is.
    list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  } else {
    list.SetItemState(-1, 0, LVIS_SELECTED);
    for (int row = tracks_.GetFirstSelectedTrack(); row != -1; row = tracks_.GetNextSelectedTrack(row)) {
      list.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
    }
  }
  // The focus and then the mark: selecting a row can set the mark by itself.
  const int focus = tracks_.GetFocusedTrack();
  const int shownFocus = list.GetNextItem(-1, LVNI_FOCUSED);
  if (shownFocus != -1 && shownFocus != focus) list.SetItemState(shownFocus, 0, LVIS_FOCUSED);
  if (focus != -1) list.SetItemState(focus, LVIS_FOCUSED, LVIS_FOCUSED);
  list.SetSelectionMark(tracks_.GetAnchorTrack());
}

void CTrackListCtrl::GetCellText(NMLVDISPINFOA* info) const {
  LVITEMA& item = info->item;
  if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) return;
  const std::string_view cell = tracks_.GetItemText(item.iItem, item.iSubItem);
  // Copy what fits, never splitting a double-byte character.
  size_t n = 0;
  const size_t room = static_cast<size_t>(item.cchTextMax) - 1;
  while (n < cell.size()) {
    const size_t length = static_cast<size_t>(text::CharLength(cell, n));
    if (n + length > room) break;
    n += length;
  }
  std::memcpy(item.pszText, cell.data(), n);
  item.pszText[n] = '\0';
}

int CTrackListCtrl::FindRow(const NMLVFINDITEMA* find) const {
  // Typing in the list jumps to the next row whose path starts with the typed text
  // (letters without case), searching from the given row and wrapping around.
  const LVFINDINFOA& info = find->lvfi;
  if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || info.psz == nullptr) return -1;
  const std::string typed = info.psz;
  const int count = tracks_.GetTrackCount();
  if (count == 0) return -1;
  int start = find->iStart;
  if (start < 0 || start >= count) start = 0;
  const auto matches = [&](int row) {
    const std::string_view path = tracks_.GetItemText(row, kColumnPath);
    if (info.flags & LVFI_PARTIAL) return text::EqualsIgnoreAsciiCase(path.substr(0, typed.size()), typed);
    return text::EqualsIgnoreAsciiCase(path, typed);
  };
  for (int row = start; row < count; ++row) {
    if (matches(row)) return row;
  }
  if (info.flags & LVFI_WRAP) {
    for (int row = 0; row < start; ++row) {
      if (matches(row)) return row;
    }
  }
  return -1;
}

bool CTrackListCtrl::HandleNotify(const NMHDR* header, LRESULT* result) {
  switch (header->code) {
    case LVN_GETDISPINFOA:
      GetCellText(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header)));
      *result = 0;
      return true;
    case LVN_ODFINDITEMA:
      *result = FindRow(reinterpret_cast<const NMLVFINDITEMA*>(header));
      return true;
    case LVN_ITEMCHANGED: {
      const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(header);
      *result = 0;
      if (showingModel_ || !(change->uChanged & LVIF_STATE)) return true;
      if (change->iItem == -1) {
        // Row -1 stands for every row. How its old state is reported differs between
        // versions of the control, so the selection is read back from the control.
        ReadSelection();
        ReadFocusAndAnchor();
        return true;
      }
      const UINT changed = change->uNewState ^ change->uOldState;
      if (changed & LVIS_SELECTED) tracks_.SetSelected(change->iItem, (change->uNewState & LVIS_SELECTED) != 0);
      if (changed & LVIS_FOCUSED) ReadFocusAndAnchor();
      return true;
    }
    case LVN_ODSTATECHANGED: {
      // A range of rows changed at once (Shift+click, Shift+arrows).
      const NMLVODSTATECHANGE* change = reinterpret_cast<const NMLVODSTATECHANGE*>(header);
      *result = 0;
      if (showingModel_ || !((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) return true;
      tracks_.SetRangeSelected(change->iFrom, change->iTo, (change->uNewState & LVIS_SELECTED) != 0);
      return true;
    }
    default:
      return false;
  }
}

void CTrackListCtrl::ReadSelection() {
  const ListView list = View();
  tracks_.SetAllSelected(false);
  for (int row = list.GetNextItem(-1, LVNI_SELECTED); row != -1; row = list.GetNextItem(row, LVNI_SELECTED)) {
    tracks_.SetSelected(row, true);
  }
}

void CTrackListCtrl::ReadFocusAndAnchor() {
  const ListView list = View();
  tracks_.SetFocusedTrack(list.GetNextItem(-1, LVNI_FOCUSED));
  tracks_.SetAnchorTrack(list.GetSelectionMark());
}

LRESULT CTrackListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST)) {
    // A key or click may move the focus and the mark, and the control tells nobody
    // when the mark moves: read both once it has handled the message.
    const LRESULT result = Default(message, wParam, lParam);
    if (!showingModel_ && Hwnd() != nullptr) ReadFocusAndAnchor();
    return result;
  }
  if (message == WM_SIZE) {
    // Repaint the whole list at once after a resize, not just the uncovered strip, so
    // that no stale column edges or half-drawn rows remain.
    const LRESULT result = Default(message, wParam, lParam);
    InvalidateRect(Hwnd(), nullptr, TRUE);
    return result;
  }
  return Default(message, wParam, lParam);
}
