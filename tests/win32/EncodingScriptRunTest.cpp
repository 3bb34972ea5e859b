// Encoding scripts run by the system's own cmd.exe, with the stand-in encoder answering
// for `cscript.exe wmcmd.vbs`: every argument must arrive exactly as the track holds
// it, every echoed name must appear intact, and nothing else may ever run.
#include <gtest/gtest.h>

#include <map>

#include "core/EncodingScript.h"
#include "core/Texts.h"
#include "core/TrackList.h"
#include "platform/Files.h"
#include "tests/FakePrompter.h"
#include "tests/win32/EncodingTestSupport.h"

using namespace enctest;

namespace {

// The arguments the stand-in should record for a track, in its [..][..] form.
std::string ExpectedCall(const std::string& input, const std::string& output,
                         const std::vector<std::pair<std::string, std::string>>& tags) {
  std::string line = "[-audioonly][-input][" + input + "][-output][" + output + "]";
  for (const auto& tag : tags) line += "[" + tag.first + "][" + tag.second + "]";
  return line + "[-a_mode][2][-a_codec][WMA9LSL][-a_setting][Q100_44_2_16][-v_performance][100][-silent]";
}

class EncodingScriptRun : public Fixture {
protected:
  // A source file in the sources' folder; returns its path.
  std::string Source(const std::string& name) {
    const std::string path = sources_ + "\\" + name;
    EXPECT_TRUE(WriteAll(path, "RIFF")) << name;
    return path;
  }

  // Writes the script for `tracks` into the scratch folder, runs it with cmd.exe and
  // returns the console output.
  std::string WriteAndRun(const TrackList& tracks) {
    auto file = PlatformFileSystem().CreateForWriting(scratch_ + "\\te4w45iti4r2mp.bat", FileSystem::Create::kTruncate);
    if (!file) {
      ADD_FAILURE() << "script not created";
      return std::string();
    }
    script_ = file->FullPath();
    EXPECT_TRUE(WriteEncodingScript(tracks, PlatformFileSystem(), prompter_, *file, EncoderFolder(), script_));
    EXPECT_TRUE(file->Close());
    file.reset();
    const std::string output = RunWithCmd(script_);
    EXPECT_FALSE(Exists(script_)) << "the script did not delete itself";
    return output;
  }

  FakePrompter prompter_;
  std::string script_;
};

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
  for (const auto& l : lines)
    if (l == wanted) return true;
  return false;
}

// What the console shows for a fixed text of the script: without the "echo " that
// starts its line and the line end that closes it.
std::string Echoed(const std::string& scriptText) {
  std::string shown = scriptText.compare(0, 5, "echo ") == 0 ? scriptText.substr(5) : scriptText;
  if (!shown.empty() && shown.back() == '\n') shown.pop_back();
  return shown;
}

}  // namespace

TEST_F(EncodingScriptRun, SpecialCharactersReachTheEncoderAndTheConsoleIntact) {
  TrackList tracks;
  struct Expected {
    std::string fileName, input, output;
    std::vector<std::pair<std::string, std::string>> tags;
  };
  std::map<std::string, Expected> expected;  // by source path

  // File names may hold & ^ % ( ) ! ' , ; and spaces, and double-byte characters whose
  // trail bytes are \ | ^ (ソ 83 5C, ポ 83 7C, タ 83 5E, 表 95 5C).
  const std::vector<std::string> names = {
      "a&b^c%d(e)!f'g,h;i j.wav", "%PATH%.wav", "%~f1.wav", "\x83\x5c\x83\x7c\x83\x5e\x95\x5c.wav",
      "x^^y^&z.wav",
  };
  for (const auto& name : names) {
    const std::string path = Source(name);
    const int row = tracks.AddTrack(path);
    const std::string title(tracks.GetItemText(row, kColumnTitle));
    expected[path] = {name, path, path.substr(0, path.size() - 4) + ".wma", {{"-title", title}}};
  }

  // Tags with every awkward character; a '"' arrives as the full-width quote.
  const std::string tagged = Source("tags.wav");
  int row = tracks.AddTrack(tagged);
  tracks.SetItemText(row, kColumnTitle, "T \"q\" & | < > ^ % ( ) ! ' , ;");
  tracks.SetItemText(row, kColumnAuthor, "%PATH%");
  tracks.SetItemText(row, kColumnCopyright, "%~f1 %%");
  tracks.SetItemText(row, kColumnDescription, "\x83\x5c\x83\x7c\x83\x5e\x95\x5c desc");
  expected[tagged] = {"tags.wav", tagged, sources_ + "\\tags.wma",
                      {{"-author", "%PATH%"},
                       {"-copyright", "%~f1 %%"},
                       {"-description", "\x83\x5c\x83\x7c\x83\x5e\x95\x5c desc"},
                       {"-title", "T \xfa\x57q\xfa\x57 & | < > ^ % ( ) ! ' , ;"}}};

  // A save path with special characters is passed exactly.
  const std::string saved = Source("saved.wav");
  row = tracks.AddTrack(saved);
  const std::string savePath = sources_ + "\\out & (1) ^ %CD% !x!.wma";
  tracks.SetItemText(row, kColumnSavePath, savePath);
  expected[saved] = {"saved.wav", saved, savePath, {{"-title", "saved"}}};

  const auto output = SplitLines(WriteAndRun(tracks));
  EXPECT_TRUE(prompter_.messages.empty());

  std::vector<std::string> wanted;
  for (int r = 0; r < tracks.GetTrackCount(); ++r) {
    const Expected& e = expected.at(std::string(tracks.GetItemText(r, kColumnPath)));
    wanted.push_back(ExpectedCall(e.input, e.output, e.tags));
    EXPECT_TRUE(HasLine(output, e.fileName + Echoed(fixed_texts::kScriptEncodingFile))) << e.fileName;
    EXPECT_TRUE(HasLine(output, Echoed(fixed_texts::kScriptFullPath) + e.input)) << e.input;
  }
  EXPECT_EQ(Recorded(), wanted) << ReadAll(record_);
  EXPECT_TRUE(HasLine(output, Echoed(fixed_texts::kScriptFinished)));
}

TEST_F(EncodingScriptRun, CanariesNeverRun) {
  // Markers that a command escaping its quotes or its echo would create: files at the
  // root of C: and folders in the encoder folder (the script's working folder).
  const std::vector<std::string> markers = {
      "C:\\canary_t1.txt", "C:\\canary_t2.txt", "C:\\canary_t3.txt", "C:\\canary_s1.txt",
      EncoderFolder() + "\\canary_f1", EncoderFolder() + "\\canary_f2", EncoderFolder() + "\\canary_f3.wav",
      EncoderFolder() + "\\canary_f4", EncoderFolder() + "\\canary_t4",
  };
  for (const auto& m : markers) {
    DeleteFileA(m.c_str());
    RemoveDirectoryA(m.c_str());
  }

  TrackList tracks;
  // File names breaking out of the echo lines, if & or ^ went unescaped, or if a caret
  // were put before the trail byte 7C of ポ (turning it into タ followed by a pipe).
  for (const char* name : {"x & mkdir canary_f1 & y.wav", "x ^& mkdir canary_f2 ^& y.wav",
                           "\x83\x7c mkdir canary_f3.wav", "x %COMSPEC% & mkdir canary_f4.wav"})
    tracks.AddTrack(Source(name));

  // Tags breaking out of their quotes, if '"' or a lead byte before it passed unchanged.
  const int tagRow = tracks.AddTrack(Source("tags.wav"));
  tracks.SetItemText(tagRow, kColumnTitle, "x\" & echo INJECTED> C:\\canary_t1.txt & \"");
  tracks.SetItemText(tagRow, kColumnAuthor, "\x83\" & echo INJECTED> C:\\canary_t2.txt & \"");
  tracks.SetItemText(tagRow, kColumnCopyright, "\" & echo INJECTED> C:\\canary_t3.txt & rem ");
  tracks.SetItemText(tagRow, kColumnDescription, "a\"\"b & mkdir canary_t4 & \"");

  // A save path with a '"' is refused outright.
  const std::string refused = Source("z-refused.wav");
  const int savedRow = tracks.AddTrack(refused);
  tracks.SetItemText(savedRow, kColumnSavePath, "C:\\out\" & echo INJECTED> C:\\canary_s1.txt & \".wma");

  const std::string output = WriteAndRun(tracks);
  for (const auto& m : markers) EXPECT_FALSE(Exists(m)) << "a command escaped: " << m << "\n" << output;
  EXPECT_EQ(output.find("INJECTED"), std::string::npos) << output;

  EXPECT_EQ(prompter_.messages, std::vector<std::string>{fixed_texts::kUnsafeSavePathOrTag + refused});
  const auto calls = Recorded();
  ASSERT_EQ(calls.size(), 5u);
  std::string tagCall;
  for (const auto& c : calls)
    if (c.find("[-author]") != std::string::npos) tagCall = c;
  // The tags arrive whole, each '"' as the full-width quote, the stray lead byte as a space.
  const std::string q = "\xfa\x57";
  EXPECT_EQ(tagCall, ExpectedCall(sources_ + "\\tags.wav", sources_ + "\\tags.wma",
                                   {{"-author", " " + q + " & echo INJECTED> C:\\canary_t2.txt & " + q},
                                    {"-copyright", q + " & echo INJECTED> C:\\canary_t3.txt & rem "},
                                    {"-description", "a" + q + q + "b & mkdir canary_t4 & " + q},
                                    {"-title", "x" + q + " & echo INJECTED> C:\\canary_t1.txt & " + q}}));
  const auto lines = SplitLines(output);
  EXPECT_TRUE(HasLine(lines, "\x83\x7c mkdir canary_f3.wav" + Echoed(fixed_texts::kScriptEncodingFile))) << output;
  EXPECT_TRUE(HasLine(lines, "x ^& mkdir canary_f2 ^& y.wav" + Echoed(fixed_texts::kScriptEncodingFile))) << output;
}

// The script host reads `\"` as a quote under Wine: a tag ending in '\' would take its
// closing quote and shift every option after it (here: an -output aimed at a victim).
// Each argument must arrive whole and in its place, and the folder save path is refused.
TEST_F(EncodingScriptRun, TagsEndingInBackslashesKeepEveryOptionInItsPlace) {
  TrackList tracks;
  const std::string tagged = Source("tagged.wav");
  int row = tracks.AddTrack(tagged);
  tracks.SetItemText(row, kColumnAuthor, "x\\");
  tracks.SetItemText(row, kColumnCopyright, " -output C:\\victim.wav -description ");
  tracks.SetItemText(row, kColumnDescription, "\x83\x5c\\\\");  // ソ and two backslashes
  tracks.SetItemText(row, kColumnTitle, "T\\");
  const std::string folder = Source("folder.wav");
  row = tracks.AddTrack(folder);
  tracks.SetItemText(row, kColumnSavePath, sources_ + "\\");
  const std::string so = Source("so.wav");
  row = tracks.AddTrack(so);
  tracks.SetItemText(row, kColumnSavePath, sources_ + "\\\x83\x5c");  // ends in ソ, no backslash

  WriteAndRun(tracks);
  const std::string wide = "\x81\x5f";  // ＼
  EXPECT_EQ(Recorded(),
            (std::vector<std::string>{
                ExpectedCall(so, sources_ + "\\\x83\x5c", {{"-title", "so"}}),
                ExpectedCall(tagged, sources_ + "\\tagged.wma",
                             {{"-author", "x" + wide},
                              {"-copyright", " -output C:\\victim.wav -description "},
                              {"-description", "\x83\x5c" + wide + wide},
                              {"-title", "T" + wide}})}))
      << ReadAll(record_);
  EXPECT_EQ(prompter_.messages, std::vector<std::string>{fixed_texts::kUnsafeSavePathOrTag + folder});
}
