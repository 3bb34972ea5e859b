// The data of the track information dialog: the four tags, the save path, and for
// each of them whether the user wants it changed in the edited tracks.
#pragma once
#include <cstddef>
#include <string>

// A mode is the index of the selected button of a keep/change radio pair.
enum TrackInfoMode { kKeepField = 0, kChangeField = 1 };

// Tags longer than this many bytes (a double-byte character counts two) are refused.
constexpr size_t kMaxTagBytes = 255;

struct TrackInfoForm {
  std::string fileName;     // name proposed for the save path; empty when several tracks are edited
  std::string author;
  std::string copyright;
  std::string description;
  std::string title;
  int authorMode = kKeepField;
  int copyrightMode = kKeepField;
  int descriptionMode = kKeepField;
  int titleMode = kKeepField;
  std::string savePath;     // no length limit
  int savePathMode = kKeepField;
  std::string hint;         // the explanation under the save-path box
};

// The hint for the form's fileName: a full file path is asked for when there is a
// name to propose (one track), a folder otherwise.
const char* SavePathHint(const TrackInfoForm& form);

// A folder chosen by browsing: the folder with a backslash (unless it already ends in
// one) followed by fileName becomes the save path, marked to be changed.
void SetSaveFolder(TrackInfoForm& form, const std::string& folder);

// What confirming the dialog does to the save path: with several tracks (no fileName)
// a non-empty save path is a folder, so it gets its closing backslash.
void CompleteSavePath(TrackInfoForm& form);
