#include "ui/TrackInfoDialog.h"

#include "core/ChosenFiles.h"
#include "core/Texts.h"
#include "platform/ScopedChange.h"
#include "platform/win32/Handles.h"
#include "res/resource.h"

CTrackInfoDialog::CTrackInfoDialog(const TrackInfoForm& initial, Prompter& prompter, HWND parent)
    : Dialog(IDD_TRACK_INFO, parent), form(initial), prompter_(prompter) {}

void CTrackInfoDialog::DoDataExchange(DataExchange& dx) {
  // Tags first, each with its check, so a refused tag leaves the modes unread.
  const struct {
    int id;
    std::string* value;
  } tags[] = {
      {IDC_AUTHOR, &form.author},
      {IDC_COPYRIGHT, &form.copyright},
      {IDC_DESCRIPTION, &form.description},
      {IDC_TITLE, &form.title},
  };
  for (const auto& tag : tags) {
    dx.Text(tag.id, *tag.value);
    if (checkLengths_ || !dx.Saving()) dx.MaxBytes(tag.id, *tag.value, kMaxTagBytes, fixed_texts::kTagTooLong);
  }
  dx.Radio(IDC_AUTHOR_KEEP, form.authorMode);
  dx.Radio(IDC_COPYRIGHT_KEEP, form.copyrightMode);
  dx.Radio(IDC_DESCRIPTION_KEEP, form.descriptionMode);
  dx.Radio(IDC_TITLE_KEEP, form.titleMode);
  dx.Text(IDC_SAVE_PATH, form.savePath);
  dx.Radio(IDC_SAVE_PATH_KEEP, form.savePathMode);
  dx.Text(IDC_SAVE_PATH_HINT, form.hint);
}

BOOL CTrackInfoDialog::OnInitDialog() {
  UpdateData(false);
  // A tag longer than allowed can come from an imported list. Reading it back reports
  // it at its box; show the dialog first so the message is seen over it.
  for (const std::string* tag : {&form.author, &form.copyright, &form.description, &form.title}) {
    if (tag->size() > kMaxTagBytes) ShowWindow(Hwnd(), SW_SHOW);
  }
  const bool readable = UpdateData(true);
  form.hint = SavePathHint(form);
  UpdateData(false);
  // The title box takes the focus (a checked radio button counts as a tab stop, so the
  // system's choice could be the pair above it); after a refused tag its box keeps it.
  if (readable) SendMessageA(Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_TITLE)), TRUE);
  return FALSE;
}

void CTrackInfoDialog::OnOK() {
  if (!UpdateData(true)) return;  // the message is shown and the box focused
  CompleteSavePath(form);
  EndDialog(IDOK);
}

bool CTrackInfoDialog::OnCommand(int id, int code, HWND) {
  if (code == EN_UPDATE) {
    switch (id) {
      case IDC_TITLE: OnEditUpdate(&TrackInfoForm::titleMode); return true;
      case IDC_AUTHOR: OnEditUpdate(&TrackInfoForm::authorMode); return true;
      case IDC_COPYRIGHT: OnEditUpdate(&TrackInfoForm::copyrightMode); return true;
      case IDC_DESCRIPTION: OnEditUpdate(&TrackInfoForm::descriptionMode); return true;
      case IDC_SAVE_PATH: OnEditUpdate(&TrackInfoForm::savePathMode); return true;
      default: return false;
    }
  }
  if (id == IDC_BROWSE_FOLDER && code == BN_CLICKED) {
    OnBrowseFolder();
    return true;
  }
  return false;
}

void CTrackInfoDialog::ReadWithoutChecks() {
  const ScopedChange<bool> noChecks(checkLengths_, false);
  UpdateData(true);
}

void CTrackInfoDialog::OnEditUpdate(int TrackInfoForm::*mode) {
  ReadWithoutChecks();
  if (form.*mode == kKeepField) {
    form.*mode = kChangeField;
    UpdateData(false);  // leaves the box being typed in as it is
  }
}

void CTrackInfoDialog::OnBrowseFolder() {
  ReadWithoutChecks();
  SystemPath folder;
  bool chosen;
  {
    // The browser has no owner, so the system would leave this dialog open to clicks
    // and keys under it: OK could end the dialog, or Browse open a second browser.
    ScopedDisable waiting(Hwnd());
    chosen = prompter_.BrowseForFolder(fixed_texts::kBrowseFolderTitle, &folder);
  }
  if (!chosen) return;
  if (!AcceptChosenFolder(folder, prompter_)) return;  // named in a message; the save path stays
  SetSaveFolder(form, folder.path);
  UpdateData(false);
}
