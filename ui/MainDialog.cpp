#include "ui/MainDialog.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "core/ChosenFiles.h"
#include "core/DroppedItems.h"
#include "core/EncodingInfoFile.h"
#include "core/TagReading.h"
#include "core/Texts.h"
#include "core/WindowState.h"
#include "platform/Text.h"
#include "platform/Files.h"
#include "platform/PathNames.h"
#include "platform/win32/Dpi.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Shell.h"
#include "platform/win32/WidePaths.h"
#include "platform/win32/Win32Folders.h"
#include "res/resource.h"
#include "ui/AboutDialog.h"
#include "ui/EditSelectedTracks.h"

namespace {

// The open dialog of the add command returns the chosen names in a buffer of this
// size; a choice that does not fit makes the dialog fail, and nothing is added.
const size_t kAddFilesBufferSize = 16640;
const UINT kHintPeriodMs = 10000;
// Posted after a change of DPI: lays the controls out once the system's own handling of
// that change is over.
const UINT kLayOutAgain = WM_APP + 1;

}  // namespace

CMainDialog::CMainDialog(const std::string& programDirectory, Prompter* prompter)
    : Dialog(IDD_MAIN, nullptr),
      programDirectory_(programDirectory),
      list_(tracks_),
      prompter_(prompter != nullptr ? prompter : &windowPrompter_) {
  shellOpen_ = [this](const std::string& path, bool systemReports) {
    return ShellOpen(Hwnd(), path, systemReports);
  };
}

void CMainDialog::DoDataExchange(DataExchange& dx) {
  dx.Control(IDC_TRACK_LIST, list_);
  dx.Text(IDC_HINT_LINE, hint_);
}

BOOL CMainDialog::OnInitDialog() {
  windowPrompter_.SetOwner(Hwnd());
  SetPrompter(prompter_);
  Dialog::OnInitDialog();

  dpi_ = DpiServices::System().WindowDpi(Hwnd());
  LoadIcons();

  // Without a program folder (its name has no usable form) the defaults are used, and
  // nothing is read from wherever the working folder happens to be. The file's sizes,
  // the defaults' too, are 96-DPI units: the window opens in the same proportion to its
  // text at any scale.
  const WindowState stored = programDirectory_.empty() ? WindowState() : LoadWindowState(programDirectory_);
  const WindowState state = StateInPixels(stored, static_cast<int>(dpi_));
  list_.Initialise(state.columnWidths);
  SetWindowPos(Hwnd(), nullptr, 0, 0, state.width, state.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  // Lay the controls out once the window has settled at its size.
  RECT client;
  GetClientRect(Hwnd(), &client);
  PostMessageA(Hwnd(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));

  accelerators_ = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_ACCEL));
  SetTimer(Hwnd(), IDT_HINT, kHintPeriodMs, nullptr);
  ShowHint(0);
  return TRUE;
}

void CMainDialog::LoadIcons() {
  // Icon 128 in the sizes the window's DPI asks for: the large one for Alt+Tab and the
  // minimized window, the small one for the caption and the task bar. Not shared: a
  // shared icon keeps the size it was first loaded in.
  const DpiServices& dpi = DpiServices::System();
  const auto load = [&](int width, int height) {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON,
                                         dpi.SystemMetric(width, dpi_), dpi.SystemMetric(height, dpi_), 0));
  };
  HICON big = load(SM_CXICON, SM_CYICON);
  HICON small = load(SM_CXSMICON, SM_CYSMICON);
  SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small != nullptr ? small : big));
  // The window shows the new ones now; the icons it showed before can go.
  icon_.Reset(big);
  smallIcon_.Reset(small);
}

void CMainDialog::ShowHint(int index) {
  char buffer[512] = "";
  const int n = LoadStringA(GetModuleHandleA(nullptr), IDS_HINT_FIRST + index, buffer, sizeof buffer);
  hint_.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  UpdateData(false);
}

void CMainDialog::OnTimer(UINT_PTR) {
  // Every tick shows the next hint, starting over with the first: 35001 stays for the
  // first twenty seconds, then 35002 ... 35005, 35001, ...
  ShowHint(nextHint_);
  nextHint_ = (nextHint_ + 1) % HINT_COUNT;
}

void CMainDialog::OnSize(UINT type, int cx, int cy) {
  if (list_.Hwnd() == nullptr || Item(IDC_HINT_LINE) == nullptr) return;  // before the controls exist
  if (type != SIZE_MINIMIZED) {
    RECT frame;
    GetWindowRect(Hwnd(), &frame);
    shownSize_ = {frame.right - frame.left, frame.bottom - frame.top};
  }
  LayOut(cx, cy);
}

void CMainDialog::LayOut(int cx, int cy) {
  HWND hint = Item(IDC_HINT_LINE);
  if (list_.Hwnd() == nullptr || hint == nullptr) return;
  // The hint line takes one caption-bar height at the bottom; the list has the rest.
  // The caption's height at the window's own DPI: the plain metric is the system DPI's.
  const int h = DpiServices::System().SystemMetric(SM_CYCAPTION, dpi_);
  const UINT flags = SWP_NOACTIVATE | SWP_NOZORDER;
  SetWindowPos(list_.Hwnd(), nullptr, 0, 0, cx, std::max(cy - h, 0), flags);
  // The list repaints itself at once, over the hint line's old place; moving the line
  // would carry those blank pixels along. Its text is drawn afresh instead, now, not
  // at the next tick of the hint timer.
  SetWindowPos(hint, nullptr, 0, cy - h, cx, h, flags | SWP_NOCOPYBITS);
  InvalidateRect(hint, nullptr, TRUE);
  UpdateWindow(hint);
}

bool CMainDialog::OnPaint() {
  if (!IsIconic(Hwnd())) return false;
  // Minimized: the icon, centred.
  const ScopedPaint paint(Hwnd());
  SendMessageA(Hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
  RECT client;
  GetClientRect(Hwnd(), &client);
  const DpiServices& dpi = DpiServices::System();
  const int width = dpi.SystemMetric(SM_CXICON, dpi_), height = dpi.SystemMetric(SM_CYICON, dpi_);
  const int x = (client.right - width + 1) / 2;
  const int y = (client.bottom - height + 1) / 2;
  DrawIconEx(paint.Dc(), x, y, icon_.Get(), width, height, 0, nullptr, DI_NORMAL);
  return true;
}

void CMainDialog::OnDpiChanged(UINT dpi, const RECT& suggested) {
  // The columns keep their proportion to the text: scaled by the ratio of the DPIs.
  for (int column = 0; column < kTrackColumnCount; ++column) {
    list_.SetColumnWidth(column, ScaleSize(list_.GetColumnWidth(column), static_cast<int>(dpi),
                                           static_cast<int>(dpi_)));
  }
  dpi_ = dpi;
  LoadIcons();
  // The window takes the place and size the system suggests for the new scale.
  SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // The hint line's height changes even where the window's size does not; and the
  // system's own handling, which gives the controls their new font after this, must not
  // leave them where it puts them.
  PostMessageA(Hwnd(), kLayOutAgain, 0, 0);
}

bool CMainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR* result) {
  switch (message) {
    case WM_QUERYDRAGICON:
      *result = reinterpret_cast<INT_PTR>(icon_.Get());
      return true;
    case WM_DPICHANGED:
      // The new DPI comes with the message (the same for both axes).
      if (HIWORD(wParam) != 0 && lParam != 0) OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return false;  // the system's handling follows
    case kLayOutAgain: {
      RECT client;
      GetClientRect(Hwnd(), &client);
      if (!IsIconic(Hwnd())) LayOut(client.right, client.bottom);
      *result = 0;
      return true;
    }
    case WM_DROPFILES:
      DropFiles(reinterpret_cast<HDROP>(wParam));
      *result = 0;
      return true;
    default:
      return false;
  }
}

bool CMainDialog::PreTranslateMessage(MSG* msg) {
  // The accelerators act only on this window and its controls; a nested dialog or
  // message box runs its own loop and keeps its keys.
  if (accelerators_ == nullptr) return false;
  if (msg->hwnd != Hwnd() && !IsChild(Hwnd(), msg->hwnd)) return false;
  return TranslateAcceleratorW(Hwnd(), accelerators_, msg) != 0;
}

void CMainDialog::OnOK() {
  // Enter never closes the main window (it starts the encoding through the accelerators).
}

void CMainDialog::OnCancel() {
  // Esc, the close box, Alt+F4, the system menu's Close and the exit command all end
  // here. A single key must not discard the user's work: a list with changes not saved
  // closes only when the user says so, and No (the default) leaves everything as it was.
  if (tracks_.HasUnsavedChanges() && !prompter_->AskYesNoDefaultNo(fixed_texts::kCloseWithUnsavedChanges)) return;
  Dialog::OnCancel();
}

void CMainDialog::OnDestroy() {
  KillTimer(Hwnd(), IDT_HINT);
  SaveState();
}

void CMainDialog::SaveState() {
  WindowState state;
  RECT frame;
  GetWindowRect(Hwnd(), &frame);
  state.width = frame.right - frame.left;
  state.height = frame.bottom - frame.top;
  if (IsIconic(Hwnd())) {
    // Minimized: keep the size the window comes back to, maximized or normal.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(Hwnd(), &placement);
    if ((placement.flags & WPF_RESTORETOMAXIMIZED) && shownSize_.cx != 0) {
      state.width = shownSize_.cx;
      state.height = shownSize_.cy;
    } else {
      state.width = placement.rcNormalPosition.right - placement.rcNormalPosition.left;
      state.height = placement.rcNormalPosition.bottom - placement.rcNormalPosition.top;
    }
  }
  for (int column = 0; column < kTrackColumnCount; ++column) state.columnWidths[column] = list_.GetColumnWidth(column);
  // Pixels at the window's DPI go back to the file's 96-DPI units.
  if (!programDirectory_.empty()) SaveWindowState(programDirectory_, StateInFileUnits(state, static_cast<int>(dpi_)));
}

bool CMainDialog::OnCommand(int id, int, HWND) {
  switch (id) {
    case ID_FILE_EXIT: OnCancel(); return true;
    case ID_FILE_IMPORT: ImportList(); return true;
    case ID_FILE_EXPORT: ExportList(); return true;
    case ID_EDIT_TRACK_INFO: EditTracks(); return true;
    case ID_EDIT_READ_TAGS: ReadTags(); return true;
    case ID_EDIT_REMOVE: RemoveSelectedTracks(); return true;
    case ID_EDIT_SELECT_ALL: SelectAllTracks(); return true;
    case ID_EDIT_ADD_FILES: AddFiles(); return true;
    case ID_EDIT_ADD_FOLDER: AddFolder(); return true;
    case ID_ENCODE_START: StartEncoding(); return true;
    case ID_HELP_ABOUT: ShowAbout(); return true;
    case ID_HELP_MANUAL: OpenManual(); return true;
    default: return false;
  }
}

bool CMainDialog::OnNotify(int id, NMHDR* header, LRESULT* result) {
  if (id != IDC_TRACK_LIST) return false;
  if (list_.HandleNotify(header, result)) return true;
  switch (header->code) {
    case NM_DBLCLK:
      EditTracks();
      break;
    case NM_RDBLCLK:
      PlaySelectedTrack();
      break;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) RemoveSelectedTracks();
      break;
    default:
      break;
  }
  *result = 0;
  return true;
}

void CMainDialog::AddFiles() {
  FileDialogRequest request;
  request.defaultExtension = "wav";
  request.filter = fixed_texts::kWavFilter;
  request.flags = kAllowMultiSelect | kFileMustExist | kPathMustExist | kHideReadOnly;
  request.bufferSize = kAddFilesBufferSize;
  std::vector<SystemPath> paths;
  if (!prompter_->ChooseFiles(request, &paths)) return;
  // No extension test: the "all files" filter lets any file in.
  AddAndReport(paths);
}

void CMainDialog::AddFolder() {
  SystemPath folder;
  bool chosen;
  {
    // The browser has no owner, so the system would leave this window open to clicks
    // and keys under it, the accelerators included.
    ScopedDisable waiting(Hwnd());
    chosen = prompter_->BrowseForFolder(fixed_texts::kAddFolderTitle, &folder);
  }
  // The folder is read by its name as the system gave it: only the files in it need a
  // form the program can use.
  if (chosen && !folder.wide.empty()) AddDropped({folder.wide});
}

void CMainDialog::DropFiles(HDROP drop) {
  std::vector<std::u16string> dropped;
  {
    const ScopedDrop finish(drop);  // however reading the names ends
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      // The wide form, whatever its length: the ANSI one would bring a best-fit look-alike.
      const UINT length = DragQueryFileW(drop, i, nullptr, 0);
      std::vector<wchar_t> buffer(length + 1, L'\0');
      const UINT n = DragQueryFileW(drop, i, buffer.data(), length + 1);
      dropped.push_back(FromWide(buffer.data(), n < length ? n : length));
    }
  }
  AddDropped(dropped);
}

void CMainDialog::AddDropped(const std::vector<std::u16string>& items) {
  std::string message;
  DroppedItems found;
  {
    // The folders are read in this thread, which takes no input until the rows are in.
    const ScopedWaitCursor wait;
    found = FindDroppedItems(items, SystemFolders());
    AddDroppedFiles(tracks_, found, &message);  // all or nothing: a failure leaves the list files unread
  }
  list_.Refresh();
  if (!message.empty()) prompter_->ShowMessage(message);
  for (const std::u16string& listFile : found.listFiles) ImportEncodingInfoFile(tracks_, *prompter_, listFile);
  if (!found.listFiles.empty()) list_.Refresh();
}

void CMainDialog::AddAndReport(const std::vector<SystemPath>& paths) {
  std::string refusal;
  AddChosenFiles(tracks_, paths, &refusal);
  list_.Refresh();
  if (!refusal.empty()) prompter_->ShowMessage(refusal);
}

void CMainDialog::RemoveSelectedTracks() {
  tracks_.RemoveSelectedTracks();
  list_.Refresh();
}

void CMainDialog::SelectAllTracks() {
  tracks_.SetAllSelected(true);
  // The focused row stays where it is and becomes the anchor, so that Shift+click and
  // Shift+arrows then select from it, as after a click on it.
  tracks_.SetAnchorTrack(tracks_.GetFocusedTrack());
  list_.Refresh();
}

void CMainDialog::PlaySelectedTrack() {
  const int row = tracks_.GetFirstSelectedTrack();
  if (row == -1) return;
  shellOpen_(std::string(tracks_.GetItemText(row, kColumnPath)), true);  // only the system may report a failure
}

void CMainDialog::EditTracks() {
  if (EditSelectedTracks(tracks_, Hwnd(), *prompter_)) list_.Refresh();
}

void CMainDialog::ReadTags() {
  if (tracks_.GetSelectedTrackCount() == 0) return;
  // The files are read in this thread: the wait cursor shows until the cells are filled.
  const TagReadingResult result = [this] {
    const ScopedWaitCursor wait;
    return ReadTagsOfSelectedTracks(tracks_);
  }();
  list_.Refresh();
  prompter_->ShowMessage(TagReadingMessage(result));
}

void CMainDialog::ImportList() {
  ImportEncodingInfo(tracks_, *prompter_);
  list_.Refresh();
}

void CMainDialog::ExportList() { ExportEncodingInfo(tracks_, *prompter_); }

void CMainDialog::StartEncoding() {
  if (startEncoding_) startEncoding_(tracks_, *prompter_);
}

void CMainDialog::ShowAbout() {
  CAboutDialog about(Hwnd());
  about.DoModal();
}

void CMainDialog::OpenManual() {
  // The manual lies beside the program, wherever the file dialogs left the working folder;
  // without a usable program folder it is not looked for anywhere else.
  // The system shows no message of its own: a failure is reported once, by ours.
  if (programDirectory_.empty() || !shellOpen_(programDirectory_ + fixed_texts::kManualName, false)) {
    prompter_->ShowMessage(fixed_texts::kManualFailed);
  }
}
