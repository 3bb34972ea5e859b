#include "core/TrackInfoForm.h"

#include <gtest/gtest.h>

#include "core/Texts.h"

TEST(TrackInfoForm, StartsEmptyWithEveryFieldKept) {
  const TrackInfoForm form;
  for (const std::string* s : {&form.fileName, &form.author, &form.copyright, &form.description, &form.title,
                               &form.savePath, &form.hint}) {
    EXPECT_EQ(*s, "");
  }
  for (int mode : {form.authorMode, form.copyrightMode, form.descriptionMode, form.titleMode, form.savePathMode}) {
    EXPECT_EQ(mode, kKeepField);
  }
}

TEST(TrackInfoForm, HintAsksForAFolderOnlyWithoutAFileName) {
  TrackInfoForm form;
  EXPECT_STREQ(SavePathHint(form), fixed_texts::kHintFolder);
  form.fileName = "one.wma";
  EXPECT_STREQ(SavePathHint(form), fixed_texts::kHintWithFileName);
}

TEST(TrackInfoForm, ConfirmingAppendsTheBackslashOnlyToAFolder) {
  TrackInfoForm form;
  form.savePath = "D:\\out";
  CompleteSavePath(form);
  EXPECT_EQ(form.savePath, "D:\\out\\");
  CompleteSavePath(form);  // never a second one
  EXPECT_EQ(form.savePath, "D:\\out\\");

  form.savePath = "";
  CompleteSavePath(form);
  EXPECT_EQ(form.savePath, "");

  // One track: the box holds a file path and stays as typed.
  form.fileName = "one.wma";
  form.savePath = "D:\\out";
  CompleteSavePath(form);
  EXPECT_EQ(form.savePath, "D:\\out");
}

TEST(TrackInfoForm, AFolderEndingInADoubleByteCharacterStillGetsItsBackslash) {
  // 機 8B 40 能 94 5C, 発 94 AD 表 95 5C, ソ 83 5C: the last byte is 5C, the last character is no backslash.
  for (const std::string folder : {"D:\\機能", "D:\\発表", "C:\\ソ"}) {
    TrackInfoForm form;
    form.savePath = folder;
    CompleteSavePath(form);
    EXPECT_EQ(form.savePath, folder + "\\");
    form.fileName = "a.wma";
    SetSaveFolder(form, folder);
    EXPECT_EQ(form.savePath, folder + "\\a.wma");
  }
  for (const std::string folder : {"D:\\", "D:\\表\\"}) {
    TrackInfoForm form;
    form.savePath = folder;
    CompleteSavePath(form);
    EXPECT_EQ(form.savePath, folder);
    form.fileName = "a.wma";
    SetSaveFolder(form, folder);
    EXPECT_EQ(form.savePath, folder + "a.wma");
  }
}

TEST(TrackInfoForm, ChosenFolderIsJoinedWithTheFileNameAndMarkedChanged) {
  TrackInfoForm form;
  form.fileName = "a.wma";
  SetSaveFolder(form, "C:\\");
  EXPECT_EQ(form.savePath, "C:\\a.wma");
  EXPECT_EQ(form.savePathMode, kChangeField);

  form.fileName = "song.wma";
  SetSaveFolder(form, "D:\\out");
  EXPECT_EQ(form.savePath, "D:\\out\\song.wma");

  // Several tracks: the folder with its closing backslash.
  form.fileName = "";
  SetSaveFolder(form, "D:\\out");
  EXPECT_EQ(form.savePath, "D:\\out\\");

  // A folder far longer than any fixed buffer is taken whole.
  const std::string deep = "D:\\" + std::string(400, 'x');
  SetSaveFolder(form, deep);
  EXPECT_EQ(form.savePath, deep + "\\");
}
