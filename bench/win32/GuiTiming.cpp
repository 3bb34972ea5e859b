// Timing harness of the main window, run under Wine on a display:
//
//   1. this design: the encoding-information file with N rows imported into the main
//      window through its import command, and the first page of the owner-data list
//      painted; N = 1,000, 3,000, 10,000 and 100,000 (target: at most 0.25 s at 100,000),
//      each timed three times in a fresh window, the median shown;
//   2. the baseline design in which the list view holds the rows itself: the same rows
//      inserted one by one into a sorted list view with its own items, and the first
//      page painted; only up to 10,000 rows, since it grows much faster than linearly.
//
// Rows arrive in random order in both. Prints one line per size and the ratio. Sizes
// given as arguments replace the four above.
//
// With the argument "drop": a tree of 10,000 WAV files in 100 folders made on disk, its
// top folder dropped on the main window through a real drop handle (as the shell posts
// it), and the time from the drop to the first page of rows painted (target: at most
// 3 s), three times in a fresh window, the median shown.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/EncodingInfoFile.h"
#include "core/Texts.h"
#include "platform/TextConversion.h"
#include "res/resource.h"
#include "tests/FakePrompter.h"
#include "ui/MainDialog.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::string> RandomPaths(int count) {
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    paths.push_back("C:\\Users\\someone\\Music\\Album " + std::to_string(i % 977) + "\\Track " + std::to_string(i) +
                    ".wav");
  }
  std::shuffle(paths.begin(), paths.end(), std::mt19937(42));
  return paths;
}

std::string TempFolder() {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "brumlet-timing-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == bytes.size();
}

// The file the export would write for these rows, in the given (random) order.
std::string EncodingInfoFor(const std::vector<std::string>& paths) {
  std::string text;
  AppendEncodingInfoHeader(&text);
  for (const std::string& p : paths) {
    const size_t slash = p.rfind('\\');
    text += p + ",100," + p.substr(slash + 1, p.size() - slash - 5) + ",,,,\r\n";
  }
  return text;
}

// --- This design: import into the main window ---

struct ImportRun {
  CMainDialog* dialog;
  double seconds = -1;
  int rows = 0;
  std::string firstRow;
};
ImportRun* g_run = nullptr;

void CALLBACK ImportWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
  ImportRun& run = *g_run;
  HWND window = run.dialog->Hwnd();
  if (window == nullptr || !IsWindowVisible(window)) return;
  KillTimer(nullptr, timer);
  UpdateWindow(window);
  const Clock::time_point start = Clock::now();
  SendMessageA(window, WM_COMMAND, ID_FILE_IMPORT, 0);  // the prompter answers with the file
  UpdateWindow(window);                                 // the first page painted
  run.seconds = SecondsSince(start);
  HWND list = GetDlgItem(window, IDC_TRACK_LIST);
  run.rows = ListView_GetItemCount(list);
  char first[MAX_PATH] = "";
  ListView_GetItemText(list, ListView_GetTopIndex(list), 0, first, sizeof first);
  run.firstRow = first;
  run.dialog->EndDialog(IDCANCEL);
}

ImportRun TimeImport(const std::string& folder, const std::vector<std::string>& paths) {
  const std::string csv = folder + "list.csv";
  WriteFileBytes(csv, EncodingInfoFor(paths));
  FakePrompter prompter;
  prompter.fileChoices.push_back({csv});
  CMainDialog dialog(folder, &prompter);
  ImportRun run;
  run.dialog = &dialog;
  g_run = &run;
  SetTimer(nullptr, 0, 50, ImportWhenShown);
  dialog.DoModal();
  g_run = nullptr;
  DeleteFileA(csv.c_str());
  DeleteFileA((folder + "Brumlet.cfg").c_str());
  if (!prompter.messages.empty()) std::printf("  (message: %s)\n", prompter.messages[0].c_str());
  return run;
}

// --- A dropped folder tree ---

struct DropRun {
  CMainDialog* dialog;
  std::u16string top;
  double seconds = -1;
  int rows = 0;
};
DropRun* g_drop = nullptr;

// A drop handle as the shell posts it: a DROPFILES block of wide names.
HGLOBAL DropHandle(const std::u16string& path) {
  const size_t size = sizeof(DROPFILES) + 2 * (path.size() + 2);
  HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* block = static_cast<DROPFILES*>(GlobalLock(memory));
  block->pFiles = sizeof(DROPFILES);
  block->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(block) + sizeof(DROPFILES), path.c_str(), 2 * path.size());
  GlobalUnlock(memory);
  return memory;
}

void CALLBACK DropWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
  DropRun& run = *g_drop;
  HWND window = run.dialog->Hwnd();
  if (window == nullptr || !IsWindowVisible(window)) return;
  KillTimer(nullptr, timer);
  UpdateWindow(window);
  const Clock::time_point start = Clock::now();
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(DropHandle(run.top)), 0);  // the window frees it
  UpdateWindow(window);  // the first page painted
  run.seconds = SecondsSince(start);
  run.rows = ListView_GetItemCount(GetDlgItem(window, IDC_TRACK_LIST));
  run.dialog->EndDialog(IDCANCEL);
}

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// 100 album folders of 100 WAV files each, with a cover and a text file beside them.
std::u16string MakeTree(const std::string& folder) {
  const std::u16string top = textconv::FromCp932(folder) + u"drop";
  CreateDirectoryW(reinterpret_cast<const wchar_t*>(top.c_str()), nullptr);
  for (int f = 0; f < 100; ++f) {
    const std::u16string album = top + u"\\Album " + Wide(std::to_string(f));
    CreateDirectoryW(reinterpret_cast<const wchar_t*>(album.c_str()), nullptr);
    std::vector<std::u16string> names = {u"cover.jpg", u"notes.txt"};
    for (int i = 0; i < 100; ++i) names.push_back(u"Track " + Wide(std::to_string(i)) + u".wav");
    for (const std::u16string& name : names) {
      const std::u16string path = album + u"\\" + name;
      CloseHandle(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, 0, nullptr));
    }
  }
  return top;
}

void RemoveTree(const std::u16string& folder) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW(reinterpret_cast<const wchar_t*>((folder + u"\\*").c_str()), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
      if (name == u"." || name == u"..") continue;
      const std::u16string path = folder + u"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(reinterpret_cast<const wchar_t*>(path.c_str()));
      }
    } while (FindNextFileW(h, &found));
    FindClose(h);
  }
  RemoveDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()));
}

int TimeDrops(const std::string& folder) {
  const Clock::time_point made = Clock::now();
  const std::u16string top = MakeTree(folder);
  std::printf("tree of 10,000 WAV files in 100 folders made in %.1f s\n", SecondsSince(made));
  std::vector<double> times;
  for (int i = 0; i < 3; ++i) {
    FakePrompter prompter;
    CMainDialog dialog(folder, &prompter);
    DropRun run;
    run.dialog = &dialog;
    run.top = top;
    g_drop = &run;
    SetTimer(nullptr, 0, 50, DropWhenShown);
    dialog.DoModal();
    g_drop = nullptr;
    DeleteFileA((folder + "Brumlet.cfg").c_str());
    if (run.rows != 10000) std::printf("  (the list shows %d rows, expected 10000)\n", run.rows);
    if (!prompter.messages.empty()) std::printf("  (message: %s)\n", prompter.messages[0].c_str());
    times.push_back(run.seconds);
  }
  std::sort(times.begin(), times.end());
  std::printf("drop of the tree, walked, added and painted: %.3f s (runs %.3f, %.3f, %.3f s; target: at most 3 s)\n",
              times[1], times[0], times[1], times[2]);
  RemoveTree(top);
  RemoveDirectoryA(folder.c_str());
  return times[1] <= 3.0 ? 0 : 1;
}

// --- The baseline: a sorted list view holding its own items ---

double TimeSortedListView(const std::vector<std::string>& paths) {
  HWND frame = CreateWindowExA(0, WC_DIALOG, "baseline", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 600, 400, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
  RECT client;
  GetClientRect(frame, &client);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SORTASCENDING,
                              0, 0, client.right, client.bottom, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  for (int c = 0; c < kTrackColumnCount; ++c) {
    LVCOLUMNA lvc = {};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    lvc.cx = fixed_texts::kDefaultColumnWidths[c];
    lvc.pszText = const_cast<char*>(fixed_texts::kColumnHeadings[c]);
    lvc.iSubItem = c;
    ListView_InsertColumn(list, c, &lvc);
  }
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  UpdateWindow(frame);

  const Clock::time_point start = Clock::now();
  for (const std::string& p : paths) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = 0;
    item.pszText = const_cast<char*>(p.c_str());
    const int row = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    ListView_SetItemText(list, row, 1, const_cast<char*>("100"));
    const std::string title = DefaultTitle(p);
    ListView_SetItemText(list, row, 2, const_cast<char*>(title.c_str()));
  }
  UpdateWindow(frame);
  const double seconds = SecondsSince(start);
  DestroyWindow(frame);
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const std::string folder = TempFolder();
  if (argc > 1 && std::string(argv[1]) == "drop") return TimeDrops(folder);
  std::vector<int> sizes = {1000, 3000, 10000, 100000};
  if (argc > 1) sizes.clear();
  for (int i = 1; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));

  std::printf("%-8s  %-28s  %-30s  %s\n", "rows", "owner-data list (import+page)", "sorted list view (baseline)",
              "baseline / ours");
  for (int n : sizes) {
    const std::vector<std::string> paths = RandomPaths(n);
    std::vector<double> times;
    for (int run = 0; run < 3; ++run) {
      const ImportRun ours = TimeImport(folder, paths);
      if (ours.rows != n) std::printf("  (the list shows %d rows, expected %d)\n", ours.rows, n);
      times.push_back(ours.seconds);
    }
    std::sort(times.begin(), times.end());
    const double median = times[1];
    if (n <= 10000) {
      const double baseline = TimeSortedListView(paths);
      std::printf("%-8d  %24.3f s    %26.3f s    %8.0fx\n", n, median, baseline, baseline / median);
    } else {
      std::printf("%-8d  %24.3f s    %26s      %8s   (runs %.3f, %.3f, %.3f s; target: at most 0.25 s)\n", n,
                  median, "not run", "-", times[0], times[1], times[2]);
    }
    std::fflush(stdout);
  }
  RemoveDirectoryA(folder.c_str());
  return 0;
}
