// The main window (template IDD_MAIN): the track list filling the window, the hint line
// along its bottom edge, the menu bar, the accelerators and every command of the
// program. It owns the track list for the whole run; the list control only draws it.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "core/TrackList.h"
#include "platform/win32/Dialog.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Prompter.h"
#include "ui/TrackListCtrl.h"

class CMainDialog : public Dialog {
public:
  // Opens a file with its associated program; false when that failed. `systemReports`:
  // whether the system may show its own message about a failure.
  using ShellOpenFunction = std::function<bool(const std::string& path, bool systemReports)>;
  // Starts an encoding run of the whole list: the application hands in its encoding run
  // (which lives above the windows), tests a fake. Until one is set, the command does nothing.
  using StartEncodingFunction = std::function<void(TrackList& tracks, Prompter& prompter)>;

  // `programDirectory` (with its trailing backslash) holds the window-state file and the
  // manual; empty when the program's folder has no usable name, and then neither is
  // used. Messages, questions and file dialogs go to `prompter`; null means the window's
  // own message boxes and dialogs.
  explicit CMainDialog(const std::string& programDirectory, Prompter* prompter = nullptr);

  TrackList& Tracks() { return tracks_; }
  CTrackListCtrl& List() { return list_; }
  // Replaces the shell's "open" (tests record what would have been played or opened).
  void SetShellOpen(ShellOpenFunction open) { shellOpen_ = std::move(open); }
  void SetStartEncoding(StartEncodingFunction start) { startEncoding_ = std::move(start); }

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnNotify(int id, NMHDR* header, LRESULT* result) override;
  void OnTimer(UINT_PTR id) override;
  void OnSize(UINT type, int cx, int cy) override;
  bool OnPaint() override;
  void OnDestroy() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) override;
  bool PreTranslateMessage(MSG* msg) override;
  void DoDataExchange(DataExchange& dx) override;

private:
  // The commands of the menu, the accelerators and the list.
  void AddFiles();
  // Asks for a folder and adds it as a dropped folder.
  void AddFolder();
  void DropFiles(HDROP drop);
  // Adds the chosen files, shows the list, then names the refused ones.
  void AddAndReport(const std::vector<SystemPath>& paths);
  // Adds the WAV files of dropped files and folders as one batch, shows the list, gives
  // its message, then reads the dropped list files in the order of their paths.
  void AddDropped(const std::vector<std::u16string>& items);
  void RemoveSelectedTracks();
  void SelectAllTracks();
  void PlaySelectedTrack();
  void EditTracks();
  // Fills the selected rows' tag cells from their files' own tags, then reports.
  void ReadTags();
  void ImportList();
  void ExportList();
  void StartEncoding();
  void ShowAbout();
  void OpenManual();

  void ShowHint(int index);  // string IDS_HINT_FIRST + index in the hint line
  // Sets the window's icons in the sizes its DPI asks for.
  void LoadIcons();
  // The list over the client area of cx x cy, the hint line along its bottom.
  void LayOut(int cx, int cy);
  // The window is now at `dpi` (it moved to a screen of another scale).
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void SaveState();

  std::string programDirectory_;
  TrackList tracks_;
  CTrackListCtrl list_;
  std::string hint_;           // shown in the hint line
  int nextHint_ = 0;           // the hint the next timer tick shows, 0 to HINT_COUNT - 1
  UINT dpi_ = 96;              // the DPI the window is drawn at
  ScopedIcon icon_;            // icon 128 in the window's large and small icon sizes
  ScopedIcon smallIcon_;
  HACCEL accelerators_ = nullptr;
  SIZE shownSize_ = {0, 0};    // outer size when last shown normal or maximized
  Win32Prompter windowPrompter_;
  Prompter* prompter_;
  ShellOpenFunction shellOpen_;
  StartEncodingFunction startEncoding_;
};
