// The track information dialog (template IDD_TRACK_INFO): the four tags and the save
// path, each with a keep/change radio pair. Typing into a box ticks its pair's
// "change" button, so only what the user touched is applied to the tracks.
#pragma once
#include "core/TrackInfoForm.h"
#include "platform/Prompter.h"
#include "platform/win32/Dialog.h"

class CTrackInfoDialog : public Dialog {
public:
  // `prompter` gives the folder browser; the dialog is owned by `parent`.
  CTrackInfoDialog(const TrackInfoForm& form, Prompter& prompter, HWND parent);

  // The dialog's data: read it after DoModal returned IDOK.
  TrackInfoForm form;

protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  bool OnCommand(int id, int code, HWND control) override;
  void DoDataExchange(DataExchange& dx) override;

private:
  // Reads the controls into the form without the tag length checks: ticking and
  // browsing must neither lose the user's input nor nag about a tag on every key;
  // OK checks the lengths.
  void ReadWithoutChecks();
  // A box's text is about to change on screen: tick its pair.
  void OnEditUpdate(int TrackInfoForm::*mode);
  void OnBrowseFolder();

  Prompter& prompter_;
  bool checkLengths_ = true;
};
