#include "core/TrackInfoForm.h"

#include "core/Texts.h"
#include "platform/Text.h"

const char* SavePathHint(const TrackInfoForm& form) {
  return form.fileName.empty() ? fixed_texts::kHintFolder : fixed_texts::kHintWithFileName;
}

void SetSaveFolder(TrackInfoForm& form, const std::string& folder) {
  std::string path = folder;
  if (!path.empty() && !text::EndsWithBackslash(path)) path += '\\';
  form.savePath = path + form.fileName;
  form.savePathMode = kChangeField;
}

void CompleteSavePath(TrackInfoForm& form) {
  if (form.fileName.empty() && !form.savePath.empty() && !text::EndsWithBackslash(form.savePath)) {
    form.savePath += '\\';
  }
}
