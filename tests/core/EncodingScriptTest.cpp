#include "core/EncodingScript.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include "core/Texts.h"
#include "core/TrackList.h"
#include "platform/Files.h"
#include "tests/FakePrompter.h"
#include "tests/FakeSources.h"

namespace {

const char kFolder[] = "C:\\Program Files\\Windows Media Components\\Encoder";
const char kScript[] = "C:\\TEMP\\te4w45iti4r2mp.bat";
const char kTail[] = "-a_mode 2 -a_codec WMA9LSL -a_setting Q100_44_2_16 -v_performance 100 -silent";

// The script as lines with their CR LF removed; fails the test on a bare LF or CR.
std::vector<std::string> Lines(const std::string& data) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n') {
      EXPECT_TRUE(i > start && data[i - 1] == '\r') << "bare LF at " << i;
      lines.push_back(data.substr(start, i - 1 - start));
      start = i + 1;
    }
  }
  EXPECT_EQ(start, data.size()) << "text after the last line end";
  for (const auto& line : lines) EXPECT_EQ(line.find('\r'), std::string::npos) << line;
  return lines;
}

struct ScriptRun {
  FakeSources files;
  FakePrompter prompter;
  MemoryFile file;
  TrackList tracks;

  // Adds a row whose source exists (or not) and sets the given cells.
  int Add(const std::string& path, bool exists = true, std::vector<std::pair<int, std::string>> cells = {}) {
    const int row = tracks.AddTrack(path);
    EXPECT_GE(row, 0);
    if (exists) files.existing.insert(path);
    for (const auto& c : cells) tracks.SetItemText(row, c.first, c.second);
    return row;
  }
  bool Write(const std::string& folder = kFolder) {
    return WriteEncodingScript(tracks, files, prompter, file, folder, kScript);
  }
  std::vector<std::string> Script() { return Lines(file.data); }
  // The cscript lines only.
  std::vector<std::string> Commands() {
    std::vector<std::string> out;
    for (const auto& l : Script())
      if (l.rfind("cscript.exe ", 0) == 0) out.push_back(l);
    return out;
  }
};

std::string Command(const std::string& input, const std::string& output, const std::string& tags = "") {
  return "cscript.exe wmcmd.vbs -audioonly -input \"" + input + "\" -output \"" + output + "\" " + tags + kTail;
}

const std::vector<std::string> kHeader = {"@echo off", "", "C:", std::string("CD \"") + kFolder + "\""};
const std::vector<std::string> kFooter = {"echo エンコードは終了しました。", "pause",
                                          std::string("del \"") + kScript + "\""};
const std::string kSeparator = "echo " + std::string(54, '-');

// The message for a row whose source cannot be opened.
std::string Missing(const std::string& path) { return fixed_texts::kFileMissing + ("\n" + path); }

std::vector<std::string> HeaderAndFooter() {
  std::vector<std::string> all = kHeader;
  all.insert(all.end(), kFooter.begin(), kFooter.end());
  return all;
}

}  // namespace

TEST(EncodingScript, WorkedExampleByteForByte) {
  ScriptRun run;
  run.Add("C:\\a\\one.wav", true, {{kColumnTitle, "One"}, {kColumnAuthor, "Me"}});
  run.Add("C:\\a\\two.wav", true, {{kColumnTitle, ""}, {kColumnSavePath, "D:\\out\\2.wma"}});
  ASSERT_TRUE(run.Write());
  const std::string expected =
      "@echo off\r\n"
      "\r\n"
      "C:\r\n"
      "CD \"C:\\Program Files\\Windows Media Components\\Encoder\"\r\n"
      "echo ■ 2曲中 1曲目 : \r\n"
      "echo one.wav をエンコードしています…\r\n"
      "echo フルパス = C:\\a\\one.wav\r\n"
      "cscript.exe wmcmd.vbs -audioonly -input \"C:\\a\\one.wav\" -output \"C:\\a\\one.wma\" -author \"Me\" -title "
      "\"One\" -a_mode 2 -a_codec WMA9LSL -a_setting Q100_44_2_16 -v_performance 100 -silent\r\n"
      "echo ------------------------------------------------------\r\n"
      "echo ■ 2曲中 2曲目 : \r\n"
      "echo two.wav をエンコードしています…\r\n"
      "echo フルパス = C:\\a\\two.wav\r\n"
      "cscript.exe wmcmd.vbs -audioonly -input \"C:\\a\\two.wav\" -output \"D:\\out\\2.wma\" -a_mode 2 -a_codec "
      "WMA9LSL -a_setting Q100_44_2_16 -v_performance 100 -silent\r\n"
      "echo エンコードは終了しました。\r\n"
      "pause\r\n"
      "del \"C:\\TEMP\\te4w45iti4r2mp.bat\"\r\n";
  EXPECT_EQ(run.file.data, expected);
  // The fixed Japanese texts are Shift_JIS: ■ is 81 A1 and … is 81 63.
  EXPECT_NE(run.file.data.find("echo \x81\xa1 2"), std::string::npos);
  EXPECT_NE(run.file.data.find("\x81\x63\r\n"), std::string::npos);
  EXPECT_TRUE(run.prompter.messages.empty());
}

// A console in another code page would read the Japanese lines wrongly, and a trail
// byte 5C or 7C (ソ 83 5C, ポ 83 7C) as a backslash or '|': its script first switches it to 932
// in a line all of ASCII, and stops when it cannot. Without the switch the script is the
// one above, byte for byte.
TEST(EncodingScript, AConsoleNotIn932IsSwitchedBeforeAnyDoubleByteLine) {
  const auto write = [](ConsoleSwitch console) {
    ScriptRun run;
    run.Add("C:\\a\\ソポ.wav", true, {{kColumnTitle, "One"}});
    EXPECT_TRUE(WriteEncodingScript(run.tracks, run.files, run.prompter, run.file, kFolder, kScript, console));
    return run.file.data;
  };
  const std::string plain = write(ConsoleSwitch::kNone);
  const std::string switched = write(ConsoleSwitch::kTo932);
  const std::string line =
      "chcp 932 >nul || (echo This console could not switch to code page 932 for Japanese text, so nothing was "
      "encoded. & pause & goto :eof)\r\n";
  ASSERT_EQ(plain.rfind("@echo off\r\n\r\nC:\r\n", 0), 0u) << plain;
  EXPECT_EQ(switched, "@echo off\r\n" + line + plain.substr(sizeof "@echo off\r\n" - 1));
  for (char c : line) EXPECT_LT(static_cast<unsigned char>(c), 0x80) << line;
}

TEST(EncodingScript, MissingRowsKeepTheirNumbersAndSeparatorsFollowTheRowIndex) {
  {  // The first of three missing: blocks 2 and 3 of 3, both after a separator.
    ScriptRun run;
    run.Add("C:\\a\\1.wav", false);
    run.Add("C:\\a\\2.wav");
    run.Add("C:\\a\\3.wav");
    ASSERT_TRUE(run.Write());
    const auto s = run.Script();
    ASSERT_EQ(s.size(), 4u + 2 * 5 + 3);
    EXPECT_EQ(s[4], kSeparator);
    EXPECT_EQ(s[5], "echo ■ 3曲中 2曲目 : ");
    EXPECT_EQ(s[9], kSeparator);
    EXPECT_EQ(s[10], "echo ■ 3曲中 3曲目 : ");
    EXPECT_EQ(run.prompter.messages, std::vector<std::string>{Missing("C:\\a\\1.wav")});
  }
  {  // The middle one missing: 1 and 3 of 3, the third after a separator.
    ScriptRun run;
    run.Add("C:\\a\\1.wav");
    run.Add("C:\\a\\2.wav", false);
    run.Add("C:\\a\\3.wav");
    ASSERT_TRUE(run.Write());
    const auto s = run.Script();
    ASSERT_EQ(s.size(), 4u + 4 + 5 + 3);
    EXPECT_EQ(s[4], "echo ■ 3曲中 1曲目 : ");
    EXPECT_EQ(s[7], Command("C:\\a\\1.wav", "C:\\a\\1.wma", "-title \"1\" "));
    EXPECT_EQ(s[8], kSeparator);
    EXPECT_EQ(s[9], "echo ■ 3曲中 3曲目 : ");
    EXPECT_EQ(s[10], "echo 3.wav をエンコードしています…");
    EXPECT_EQ(run.prompter.messages.size(), 1u);
  }
  {  // All missing: header and footer only, one message per row.
    ScriptRun run;
    run.Add("C:\\a\\1.wav", false);
    run.Add("C:\\a\\2.wav", false);
    ASSERT_TRUE(run.Write());
    EXPECT_EQ(run.Script(), HeaderAndFooter());
    EXPECT_EQ(run.prompter.messages, (std::vector<std::string>{Missing("C:\\a\\1.wav"), Missing("C:\\a\\2.wav")}));
  }
  {  // An empty list: header and footer, nothing opened.
    ScriptRun run;
    ASSERT_TRUE(run.Write());
    EXPECT_EQ(run.Script(), HeaderAndFooter());
  }
}

TEST(EncodingScript, OutputPathComesFromTheFileNameOnly) {
  ScriptRun run;
  run.Add("C:\\x\\take1");
  run.Add("C:\\my.dir\\take1");
  run.Add("C:\\b\\song.01.wav");
  run.Add("C:\\c.\x95\x5c\\take");  // a "." in a folder ending in 表 (95 5C)
  run.Add("C:\\d\\\x83\x5c.wav");    // ソ.wav
  run.Add("C:\\f\\y.wav", true, {{kColumnSavePath, "\\\\srv\\share\\y.wma"}});  // a UNC share
  ASSERT_TRUE(run.Write());
  const auto c = run.Commands();
  ASSERT_EQ(c.size(), 6u);
  EXPECT_NE(c[0].find("-output \"C:\\b\\song.01.wma\""), std::string::npos) << c[0];
  EXPECT_NE(c[1].find("-output \"C:\\c.\x95\x5c\\take.wma\""), std::string::npos) << c[1];
  EXPECT_NE(c[2].find("-output \"C:\\d\\\x83\x5c.wma\""), std::string::npos) << c[2];
  EXPECT_NE(c[3].find("-output \"\\\\srv\\share\\y.wma\""), std::string::npos) << c[3];
  EXPECT_NE(c[4].find("-output \"C:\\my.dir\\take1.wma\""), std::string::npos) << c[4];
  EXPECT_NE(c[5].find("-output \"C:\\x\\take1.wma\""), std::string::npos) << c[5];
}

TEST(EncodingScript, TagsInFixedOrderAndMadeSafeInsideQuotes) {
  ScriptRun run;
  run.Add("C:\\a\\t.wav", true,
          {{kColumnTitle, "T"}, {kColumnAuthor, "A b"}, {kColumnCopyright, "(c) 2024"},
           {kColumnDescription, "\x83\x5c\x83\x7c\x83\x5e"}});  // ソポタ, trail bytes 5C 7C 5E kept
  run.Add("C:\\a\\u.wav", true,
          {{kColumnTitle, "say \"hi\""},                        // quotes become ＂ (FA 57)
           {kColumnAuthor, "tab\there\x7f" "end\x01"},          // control bytes become spaces
           {kColumnCopyright, "100% %PATH% %~f1"},              // percent signs doubled
           {kColumnDescription, "x\x83\"y\x83"}});              // broken lead bytes become spaces
  ASSERT_TRUE(run.Write());
  const auto c = run.Commands();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0], Command("C:\\a\\t.wav", "C:\\a\\t.wma",
                          "-author \"A b\" -copyright \"(c) 2024\" -description \"\x83\x5c\x83\x7c\x83\x5e\" "
                          "-title \"T\" "));
  EXPECT_EQ(c[1], Command("C:\\a\\u.wav", "C:\\a\\u.wma",
                          "-author \"tab here end \" -copyright \"100%% %%PATH%% %%~f1\" "
                          "-description \"x \xfa\x57y \" -title \"say \xfa\x57hi\xfa\x57\" "));
  EXPECT_STREQ("＂", "\xfa\x57");
}

TEST(EncodingScript, EchoLinesEscapeCommandCharactersButNotTrailBytes) {
  ScriptRun run;
  // File name: a&b^c|d<e>f%g ポタソ!(),;'.wav
  const std::string name = "a&b^c|d<e>f%g \x83\x7c\x83\x5e\x83\x5c!(),;'.wav";
  const std::string full = "C:\\w%x\\" + name;
  run.Add(full);
  ASSERT_TRUE(run.Write("C:\\P%F%\\Enc"));
  const auto s = run.Script();
  ASSERT_EQ(s.size(), 4u + 4 + 3);
  EXPECT_EQ(s[3], "CD \"C:\\P%%F%%\\Enc\"");
  const std::string escaped = "a^&b^^c^|d^<e^>f%%g \x83\x7c\x83\x5e\x83\x5c!(),;'.wav";
  EXPECT_EQ(s[5], "echo " + escaped + " をエンコードしています…");
  EXPECT_EQ(s[6], "echo フルパス = C:\\w%%x\\" + escaped);
  // Inside the quotes only '%' needs doubling.
  EXPECT_EQ(s[7], Command("C:\\w%%x\\" + name.substr(0, 11) + "%%" + name.substr(12),
                          "C:\\w%%x\\a&b^c|d<e>f%%g \x83\x7c\x83\x5e\x83\x5c!(),;'.wma",
                          "-title \"a&b^c|d<e>f%%g \x83\x7c\x83\x5e\x83\x5c!(),;'\" "));
  EXPECT_EQ(s[s.size() - 1], "del \"C:\\TEMP\\te4w45iti4r2mp.bat\"");
}

TEST(EncodingScript, UnsafeSavePathsAreReportedAndLeftOut) {
  const std::vector<std::string> unsafe = {"D:\\o\"ut.wma", "D:\\out\r\nx.wma", std::string("D:\\o\0.wma", 9),
                                           "D:\\\x83\".wma", "D:\\out\x83", "D:\\\x83\x1f.wma"};
  for (const auto& save : unsafe) {
    ScriptRun run;
    run.Add("C:\\a\\1.wav", true, {{kColumnSavePath, save}});
    run.Add("C:\\a\\2.wav");
    ASSERT_TRUE(run.Write());
    const auto s = run.Script();
    ASSERT_EQ(s.size(), 4u + 5 + 3) << save;
    EXPECT_EQ(s[4], kSeparator);
    EXPECT_EQ(s[5], "echo ■ 2曲中 2曲目 : ");
    EXPECT_EQ(run.prompter.messages, std::vector<std::string>{fixed_texts::kUnsafeSavePathOrTag + std::string("C:\\a\\1.wav")});
  }
  // A valid double-byte save path passes, trail bytes included.
  ScriptRun ok;
  ok.Add("C:\\a\\1.wav", true, {{kColumnSavePath, "D:\\\x83\x5c\\\x83\x7c.wma"}});
  ASSERT_TRUE(ok.Write());
  EXPECT_TRUE(ok.prompter.messages.empty());
  EXPECT_EQ(ok.Commands().size(), 1u);
}

// A value ending in '\' would take its closing quote with it under a script host that
// reads `\"` as a quote. The trail byte 5C of ソ is no backslash.
TEST(EncodingScript, NoQuotedValueEndsInABackslash) {
  const std::string so = "\x83\x5c", wide = "\x81\x5f";  // ソ, ＼
  ScriptRun run;
  run.Add("C:\\a\\1.wav", true,
          {{kColumnAuthor, "x\\"}, {kColumnCopyright, "a\\b\\\\"}, {kColumnDescription, so + "\\"},
           {kColumnTitle, "T" + so}});
  run.Add("C:\\a\\2.wav", true, {{kColumnSavePath, "D:\\out\\"}});         // a folder: left out
  run.Add("C:\\a\\3.wav", true, {{kColumnSavePath, "D:\\out\\" + so}});    // ends in ソ: kept
  run.Add("C:\\a\\4.wav");
  run.files.fullPaths["C:\\a\\4.wav"] = "C:\\a\\4.wav\\";                     // no file: missing
  ASSERT_TRUE(run.Write());
  EXPECT_EQ(run.Commands(),
            (std::vector<std::string>{
                Command("C:\\a\\1.wav", "C:\\a\\1.wma",
                        "-author \"x" + wide + "\" -copyright \"a\\b" + wide + wide + "\" -description \"" + so + wide +
                            "\" -title \"T" + so + "\" "),
                Command("C:\\a\\3.wav", "D:\\out\\" + so, "-title \"3\" ")}));
  EXPECT_EQ(run.prompter.messages,
            (std::vector<std::string>{fixed_texts::kUnsafeSavePathOrTag + std::string("C:\\a\\2.wav"),
                                      Missing("C:\\a\\4.wav")}));
}

TEST(EncodingScript, CommandLineOfAtMost8191Bytes) {
  // Measure the command with a one-byte description, then grow it to the limit.
  ScriptRun probe;
  probe.Add("C:\\a\\1.wav", true, {{kColumnTitle, ""}, {kColumnDescription, "x"}});
  ASSERT_TRUE(probe.Write());
  const size_t base = probe.Commands().at(0).size() - 1;

  ScriptRun run;
  run.Add("C:\\a\\1.wav", true, {{kColumnTitle, ""}, {kColumnDescription, std::string(8191 - base, 'x')}});
  run.Add("C:\\a\\2.wav", true, {{kColumnTitle, ""}, {kColumnDescription, std::string(8192 - base, 'x')}});
  // Under the limit as typed, over it once each '%' is doubled.
  run.Add("C:\\a\\3.wav", true, {{kColumnTitle, ""}, {kColumnDescription, std::string((8191 - base) / 2 + 1, '%')}});
  ASSERT_TRUE(run.Write());
  const auto c = run.Commands();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].size(), 8191u);
  EXPECT_EQ(run.prompter.messages,
            (std::vector<std::string>{fixed_texts::kUnsafeSavePathOrTag + std::string("C:\\a\\2.wav"),
                                      fixed_texts::kUnsafeSavePathOrTag + std::string("C:\\a\\3.wav")}));
}

// A save path naming another listed source (or a derived output that does) would have
// the encoder overwrite that WAV file, whichever row comes first.
TEST(EncodingScript, OutputOverAnotherListedSourceIsLeftOut) {
  ScriptRun run;
  run.Add("C:\\a\\one.wav", true, {{kColumnSavePath, "C:\\A\\TWO.wav"}});
  run.Add("C:\\a\\song");       // derived output C:\a\song.wma is listed below
  run.Add("C:\\a\\song.wma", true, {{kColumnSavePath, "D:\\out\\song.wma"}});
  run.Add("C:\\a\\two.wav", true, {{kColumnSavePath, "C:\\a\\one.wav"}});
  ASSERT_TRUE(run.Write());
  const auto c = run.Commands();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NE(c[0].find("-output \"D:\\out\\song.wma\""), std::string::npos);
  EXPECT_EQ(run.prompter.messages,
            (std::vector<std::string>{
                fixed_texts::kOutputIsOtherSource + std::string("C:\\a\\one.wav\n保存先: C:\\A\\TWO.wav"),
                fixed_texts::kOutputIsOtherSource + std::string("C:\\a\\song\n保存先: C:\\a\\song.wma"),
                fixed_texts::kOutputIsOtherSource + std::string("C:\\a\\two.wav\n保存先: C:\\a\\one.wav")}));
}

TEST(EncodingScript, OutputOverItsOwnSourceIsLeftOut) {
  ScriptRun run;
  run.Add("C:\\a\\x.wma");                                                  // derived output is the source
  run.Add("C:\\b\\y.wav", true, {{kColumnSavePath, "c:\\B\\Y.WAV"}});       // same file, other case
  run.Add("C:\\c\\\x83\x41.wav", true, {{kColumnSavePath, "C:\\c\\\x83\x61.wav"}});  // ア vs ャ: different files
  ASSERT_TRUE(run.Write());
  const auto c = run.Commands();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NE(c[0].find("-output \"C:\\c\\\x83\x61.wav\""), std::string::npos);
  EXPECT_EQ(run.prompter.messages,
            (std::vector<std::string>{fixed_texts::kOutputIsSource + std::string("C:\\a\\x.wma"),
                                      fixed_texts::kOutputIsSource + std::string("C:\\b\\y.wav")}));
}

TEST(EncodingScript, OutputOfAnEarlierWrittenRowIsNotTakenTwice) {
  ScriptRun run;
  run.Add("C:\\a\\0.wav", false, {{kColumnSavePath, "D:\\o.wma"}});        // missing: reserves nothing
  run.Add("C:\\a\\1.wav", true, {{kColumnSavePath, "d:\\O.wma"}});         // written
  run.Add("C:\\a\\2.wav", true, {{kColumnSavePath, "D:\\o.WMA"}});         // duplicate of row 1
  run.Add("C:\\a\\3.wav", true, {{kColumnSavePath, "C:\\a\\4.wma"}});      // chose row 4's own output
  run.Add("C:\\a\\4.wav");                                                 // derived C:\a\4.wma: kept
  run.Add("C:\\a\\5.wav", true, {{kColumnSavePath, "D:\\\x83\x41.wma"}});  // ア
  run.Add("C:\\a\\6.wav", true, {{kColumnSavePath, "D:\\\x83\x61.wma"}});  // ャ: not a duplicate
  ASSERT_TRUE(run.Write());
  const auto s = run.Script();
  EXPECT_EQ(run.Commands().size(), 4u);
  EXPECT_EQ(run.prompter.messages,
            (std::vector<std::string>{Missing("C:\\a\\0.wav"),
                                      fixed_texts::kOutputDuplicated + std::string("C:\\a\\2.wav\n保存先: D:\\o.WMA"),
                                      fixed_texts::kOutputDuplicated + std::string("C:\\a\\3.wav\n保存先: C:\\a\\4.wma")}));
  // Numbers stay those of the rows: 2, 5, 6 and 7 of 7.
  std::vector<std::string> numbers;
  for (const auto& l : s)
    if (l.rfind("echo ■", 0) == 0) numbers.push_back(l);
  EXPECT_EQ(numbers, (std::vector<std::string>{"echo ■ 7曲中 2曲目 : ", "echo ■ 7曲中 5曲目 : ",
                                               "echo ■ 7曲中 6曲目 : ", "echo ■ 7曲中 7曲目 : "}));
}

TEST(EncodingScript, ASavePathOverAnotherRowsDerivedOutputIsLeftOutWhereverItStands) {
  ScriptRun run;
  run.Add("C:\\a\\1.wav");                                              // derived C:\a\1.wma: kept
  run.Add("C:\\a\\2.wav", true, {{kColumnSavePath, "c:\\A\\1.WMA"}});   // a later row chose it: left out
  run.Add("C:\\a\\3");                                                  // derived C:\a\3.wma: kept
  run.Add("C:\\a\\3.wav");                                              // derived C:\a\3.wma too: left out
  ASSERT_TRUE(run.Write());
  EXPECT_EQ(run.Commands().size(), 2u);
  EXPECT_EQ(run.prompter.messages,
            (std::vector<std::string>{
                fixed_texts::kOutputDuplicated + std::string("C:\\a\\2.wav\n保存先: c:\\A\\1.WMA"),
                fixed_texts::kOutputDuplicated + std::string("C:\\a\\3.wav\n保存先: C:\\a\\3.wma")}));
}

// The encoder would resolve a relative save path against its own folder.
TEST(EncodingScript, ASavePathWithoutADriveRootOrShareIsLeftOut) {
  ScriptRun run;
  const std::vector<std::string> relative = {"out\\1.wma", "C:1.wma", "\\1.wma", "\\\\\\x.wma", "1:\\1.wma"};
  for (size_t i = 0; i < relative.size(); ++i)
    run.Add("C:\\a\\" + std::to_string(i) + ".wav", true, {{kColumnSavePath, relative[i]}});
  run.Add("C:\\a\\z.wav", true, {{kColumnSavePath, "d:/out/z.wma"}});
  ASSERT_TRUE(run.Write());
  EXPECT_EQ(run.Commands().size(), 1u);
  EXPECT_EQ(run.prompter.messages.size(), relative.size());
  for (const auto& m : run.prompter.messages) EXPECT_EQ(m.rfind(fixed_texts::kUnsafeSavePathOrTag, 0), 0u) << m;
}

TEST(EncodingScript, ExistingOutputsAreReplacedOnlyWhenTheUserSaysSo) {
  for (const auto answer : {Prompter::Answer::kYes, Prompter::Answer::kNo, Prompter::Answer::kCancel}) {
    ScriptRun run;
    run.Add("C:\\a\\1.wav");
    run.Add("C:\\a\\2.wav");
    run.Add("C:\\a\\3.wav");
    run.Add("C:\\a\\4.wav", true, {{kColumnSavePath, "D:\\folder"}});  // a folder: not counted
    run.files.existing.insert("C:\\a\\1.wma");
    run.files.existing.insert("C:\\a\\3.wma");
    run.files.existing.insert("D:\\folder");
    run.files.folders.insert("D:\\folder");
    EncodingPlan plan = PlanEncoding(run.tracks, run.files, run.prompter);
    run.prompter.threeWayAnswers = {answer};
    const bool go = LeaveOutExistingOutputs(plan, run.files, run.prompter);
    EXPECT_EQ(run.prompter.questions,
              std::vector<std::string>{"保存先に同じ名前のファイルが 2 個あります。上書きしますか？\n"
                                       "「いいえ」を選ぶと、それらの曲はエンコードしません。"});
    EXPECT_EQ(go, answer != Prompter::Answer::kCancel);
    ASSERT_EQ(plan.tracks.size(), answer == Prompter::Answer::kNo ? 2u : 4u);
    EXPECT_EQ(plan.tracks[0].fullPath, answer == Prompter::Answer::kNo ? "C:\\a\\2.wav" : "C:\\a\\1.wav");
    EXPECT_TRUE(run.prompter.messages.empty());
  }
  ScriptRun none;  // nothing there yet: no question
  none.Add("C:\\a\\1.wav");
  EncodingPlan plan = PlanEncoding(none.tracks, none.files, none.prompter);
  EXPECT_TRUE(LeaveOutExistingOutputs(plan, none.files, none.prompter));
  EXPECT_TRUE(none.prompter.questions.empty());
}

TEST(EncodingScript, MissingOutputFoldersAreMadeWithTheirParents) {
  ScriptRun run;
  run.files.existing = {"D:", "D:\\Music", "\\\\srv\\share"};
  run.Add("C:\\a\\1.wav", true, {{kColumnSavePath, "D:\\Music\\out\\\x83\x5c\\1.wma"}});  // ソ: trail byte 5C
  run.Add("C:\\a\\2.wav", true, {{kColumnSavePath, "D:\\Music\\out\\\x83\x5c\\2.wma"}});  // same folder, made once
  run.Add("C:\\a\\3.wav", true, {{kColumnSavePath, "\\\\srv\\share\\new\\3.wma"}});
  run.Add("C:\\a\\4.wav", true, {{kColumnSavePath, "E:\\locked\\deep\\4.wma"}});
  run.Add("C:\\a\\5.wav", true, {{kColumnSavePath, "E:\\locked\\deep\\5.wma"}});
  run.Add("C:\\a\\6.wav");  // its source's folder exists
  run.files.existing.insert("C:\\a");
  run.files.unmakeable = {"E:\\locked"};
  EncodingPlan plan = PlanEncoding(run.tracks, run.files, run.prompter);
  CreateOutputFolders(plan, run.files, run.prompter);
  EXPECT_EQ(run.files.madeFolders,
            (std::vector<std::string>{"D:\\Music\\out", "D:\\Music\\out\\\x83\x5c", "\\\\srv\\share\\new"}));
  ASSERT_EQ(plan.tracks.size(), 4u);
  EXPECT_EQ(plan.tracks[0].output, "D:\\Music\\out\\\x83\x5c\\1.wma");
  EXPECT_EQ(plan.tracks[3].row, 5);
  const std::string failed = "保存先のフォルダを作成できないため、このファイルはエンコードしません。\n";
  EXPECT_EQ(run.prompter.messages,
            (std::vector<std::string>{failed + "C:\\a\\4.wav\n保存先: E:\\locked\\deep\\4.wma",
                                      failed + "C:\\a\\5.wav\n保存先: E:\\locked\\deep\\5.wma"}));
}

TEST(EncodingScript, SourcePathsOver259BytesAreNeverOpened) {
  ScriptRun run;
  const std::string fits = "C:\\" + std::string(252, 'a') + ".wav";    // 259 bytes
  const std::string tooLong = "C:\\" + std::string(253, 'b') + ".wav";  // 260 bytes
  ASSERT_EQ(fits.size(), 259u);
  run.Add(fits);
  run.Add(tooLong);  // the fake would open it: the length alone must leave it out
  ASSERT_TRUE(run.Write());
  EXPECT_EQ(run.Commands().size(), 1u);
  EXPECT_EQ(run.files.opened, std::vector<std::string>{fits});
  EXPECT_EQ(run.prompter.messages, std::vector<std::string>{Missing(tooLong)});
}

TEST(EncodingScript, ARowWhoseFullPathWouldPass259BytesIsLeftOutAsMissing) {
  // Relative rows: the script would hand the encoder the relative text, which it reads
  // from the encoder's folder.
  ScriptRun run;
  const std::string folder = "C:\\" + std::string(247, 'd') + "\\";  // 251 bytes
  run.Add("fits.wav");
  run.Add("over.wav");
  run.files.fullPaths["fits.wav"] = folder + "fits.wav";  // 259 bytes
  run.files.fullPaths["over.wav"] = folder + "over.wav1";  // 260 bytes
  ASSERT_TRUE(run.Write());
  const auto c = run.Commands();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_NE(c[0].find("-input \"" + folder + "fits.wav\""), std::string::npos);
  EXPECT_EQ(run.prompter.messages, std::vector<std::string>{Missing("over.wav")});
}

TEST(EncodingScript, AFailedWriteIsReported) {
  for (size_t capacity : {size_t(0), size_t(10), size_t(70000)}) {
    ScriptRun run;
    for (int i = 0; i < 1000; ++i) run.Add("C:\\a\\" + std::to_string(i) + ".wav");
    run.file.capacity = capacity;
    EXPECT_FALSE(run.Write()) << capacity;
  }
}

// The platform's own file services: relative paths and folders.
TEST(EncodingScript, RealSourcesRelativePathsAndFolders) {
  namespace fs = std::filesystem;
  const fs::path before = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / ("brumlet-script-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir / "sub.wav");
  std::ofstream(dir / "rel.wav") << "RIFF";
  fs::current_path(dir);
  const std::string cwd = fs::current_path().string();
#ifdef _WIN32
  const char sep = '\\';
#else
  const char sep = '/';
#endif

  TrackList tracks;
  tracks.AddTrack("rel.wav");
  tracks.AddTrack("sub.wav");      // a folder
  tracks.AddTrack("missing.wav");
  FakePrompter prompter;
  MemoryFile file;
  const bool ok = WriteEncodingScript(tracks, PlatformFileSystem(), prompter, file, kFolder, kScript);
  fs::current_path(before);
  fs::remove_all(dir);

  ASSERT_TRUE(ok);
  const std::string full = cwd + sep + "rel.wav";
  const auto s = Lines(file.data);
  ASSERT_EQ(s.size(), 4u + 5 + 3);
  EXPECT_EQ(s[4], kSeparator);
  EXPECT_EQ(s[5], "echo ■ 3曲中 2曲目 : ");  // order: missing.wav, rel.wav, sub.wav
  EXPECT_EQ(s[6], "echo rel.wav をエンコードしています…");
  EXPECT_EQ(s[7], "echo フルパス = " + full);
  EXPECT_EQ(s[8], Command(full, cwd + sep + "rel.wma", "-title \"rel\" "));
  EXPECT_EQ(prompter.messages, (std::vector<std::string>{Missing("missing.wav"), Missing("sub.wav")}));
}
