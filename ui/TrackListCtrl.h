// The main window's list: an owner-data report list view that draws the rows of a
// TrackList and holds none of its own. The model keeps the rows, their order and the
// selection; the control asks for each visible cell as it paints, which keeps a list of
// 100,000 rows as quick as a short one.
//
// The selection, the focused row and the anchor of a Shift selection (the control's
// selection mark) are mirrored both ways: the user's clicks and keys change the model
// (through the notifications the list sends its parent, which the parent hands to
// HandleNotify, and by reading the focus and the mark back after every key and mouse
// message), and Refresh shows the model's again after rows were added or removed, so
// a selected row stays selected, and Shift+click or Shift+arrow extends from the same
// track as before, wherever its index moves.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "core/TrackList.h"
#include "platform/win32/ListView.h"
#include "platform/win32/WindowSubclass.h"

class CTrackListCtrl : public WindowSubclass {
public:
  explicit CTrackListCtrl(TrackList& tracks) : tracks_(tracks) {}

  // Sets the attached control up: whole rows selected by a click anywhere in them, and
  // the seven columns, left-aligned, with their headings and these widths.
  void Initialise(const int widths[kTrackColumnCount]);
  int GetColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);

  // Shows the model as it is now: the row count, every cell, the selection, the
  // focused row and the anchor.
  void Refresh();

  // A notification the list sent its parent. Answers the requests for cell texts and
  // for finding a row by typed text, and mirrors selection changes into the model.
  // True, with *result set, when the notification was one of those.
  bool HandleNotify(const NMHDR* header, LRESULT* result);

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  ListView View() const { return ListView(Hwnd()); }
  void GetCellText(NMLVDISPINFOA* info) const;
  int FindRow(const NMLVFINDITEMA* find) const;
  // Makes the control's selection the model's.
  void ReadSelection();
  // Makes the control's focused row and selection mark the model's.
  void ReadFocusAndAnchor();

  TrackList& tracks_;
  bool showingModel_ = false;  // the selection changes that Refresh makes are not the user's
};
