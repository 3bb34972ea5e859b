// The fixed texts of the program's logic, in one place. Source files are UTF-8 and
// compiled to CP932, so every literal here is Shift_JIS bytes at run time.
// The texts of the windows themselves live in res/Brumlet.rc.
#pragma once

namespace fixed_texts {

// Track list column headings, by column index.
inline const char* const kColumnHeadings[7] = {
    "ファイル名", "品質", "タイトル", "コンテンツ作成者", "著作権表示", "説明", "保存先ファイル名",
};
inline const int kDefaultColumnWidths[7] = {200, 48, 90, 100, 100, 200, 200};

// Encoding.
// The row's column-0 path follows on a line of its own.
inline const char kFileMissing[] = "ファイルが存在しません";
inline const char kUnsafeSavePathOrTag[] =
    "保存先ファイル名またはタグに使用できない内容が含まれているため、このファイルはエンコードしません。\n";
inline const char kOutputIsSource[] = "保存先ファイル名が元のファイルと同じため、このファイルはエンコードしません。\n";
inline const char kOutputIsOtherSource[] =
    "保存先ファイル名がリストにある別のWAVEファイルと同じため、このファイルはエンコードしません。\n";
inline const char kOutputDuplicated[] =
    "保存先ファイル名が他のファイルと重複しているため、このファイルはエンコードしません。\n";
// Starts the line that names the output of a row left out for its output.
inline const char kOutputLine[] = "保存先: ";
inline const char kConfirmEncoding[] =
    "今から指定されたファイルのエンコードを開始します。\n"
    "\n"
    "エンコードの手順を記述したバッチファイルが作成され、そのファイルが実行されます。\n"
    "エンコードの進行状況は、新しく開くコンソールを参照してください。\n"
    "\n"
    "エンコードを開始してよろしいですか？";
inline const char kConfirmOverwrite[] =
    "保存先に同じ名前のファイルが %d 個あります。上書きしますか？\n「いいえ」を選ぶと、それらの曲はエンコードしません。";
inline const char kCannotCreateFolder[] = "保存先のフォルダを作成できないため、このファイルはエンコードしません。\n";
inline const char kTempFileFailed[] = "テンポラリファイルを作成できませんでした。";
inline const char kLaunchFailedBefore[] = "バッチファイル ";
inline const char kLaunchFailedAfter[] = " は起動できませんでした．\n";
inline const char kProgramFilesUnset[] = "環境変数 ProgramFiles が設定されていないため、エンコーダの場所が分かりません。";
inline const char kEncoderFolderTooLong[] = "エンコーダのフォルダ名が長すぎます。\n";

// The encoding script.
inline const char kEncoderSubfolder[] = "\\Windows Media Components\\Encoder";
inline const char kScriptName[] = "te4w45iti4r2mp";
inline const char kScriptBlockNumbers[] = "echo ■ %d曲中 %d曲目 : \necho ";
inline const char kScriptEncodingFile[] = " をエンコードしています…\n";
inline const char kScriptFullPath[] = "echo フルパス = ";
inline const char kScriptFinished[] = "echo エンコードは終了しました。\n";
// The script's second line where the console may not read code page 932: all ASCII, so
// any console reads it right. It switches the console, or says so and stops before any
// line with a double-byte character is read (in another code page a trail byte 5C or 7C
// would read as a backslash or '|').
inline const char kScriptSwitchConsole[] =
    "chcp 932 >nul || (echo This console could not switch to code page 932 for Japanese text, so nothing was "
    "encoded. & pause & goto :eof)\n";

// Encoding-information file.
inline const char kEncodingInfoHeader[] = "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明";
inline const char kCsvFilter[] = "CSVファイル(*.csv)|*.csv|全てのファイル(*.*)|*.*||";
inline const char kCannotWriteFile[] =
    "ファイルに書き込めません。ファイルが書き込み禁止になっているか、ディスクの容量が不足しています。";
inline const char kCannotReadFile[] = "指定されたファイルは読み取れません。";

// Track information.
inline const char kHintWithFileName[] = "※ファイル名まで含めて指定してください";
inline const char kHintFolder[] =
    "※フォルダを指定してください．各ファイルのエンコード結果は，指定したフォルダの下に拡張子が\".wma\"に変わったファイルに保存されます．";
inline const char kBrowseFolderTitle[] = "保存先の選択";
inline const char kTagTooLong[] = "255 文字以内で入力してください。";

// Start-up and closing.
// Shown when the process's ANSI code page is not 932: in wide characters, through the
// wide message box, so that it reads right in the code page the process has.
inline const wchar_t kNeedsCodePage932[] =
    L"このプログラムは日本語のコード ページ (932) でのみ動作します。\n"
    L"Windows 11 で実行するか、コントロール パネルの [地域] の [管理] タブで"
    L"「Unicode 対応ではないプログラムの言語」を日本語に設定して、Windows を再起動してください。\n"
    L"\n"
    L"This program runs only in the Japanese code page (932).\n"
    L"Run it on Windows 11, or set \"Language for non-Unicode programs\" to Japanese "
    L"(Control Panel, Region, Administrative tab) and restart Windows.";
inline const char kMainWindowFailed[] = "メインウィンドウを作成できませんでした。";
inline const char kCloseWithUnsavedChanges[] = "リストの変更は保存されていません。終了しますか？";

// Commands.
inline const char kWavFilter[] = "WAVEファイル(*.wav)|*.wav|全てのファイル(*.*)|*.*||";
inline const char kManualName[] = "ReadMe.html";
inline const char kManualFailed[] = "説明書 (ReadMe.html) を開けませんでした。";
// Files and folders whose names code page 932 cannot hold and that have no short path;
// the names follow, one per line.
inline const char kCannotAddFiles[] =
    "このプログラムでは扱えない文字がファイル名に含まれているため、次のファイルは追加できません。\n";
// A drop or the add-folder command found no WAV file; the folders' names follow, one per line.
inline const char kNoWavInFolders[] = "フォルダにWAVEファイルが見つかりませんでした。";
inline const char kAddFolderTitle[] = "曲を追加するフォルダの選択";
inline const char kCannotChooseFolder[] =
    "このプログラムでは扱えない文字がフォルダ名に含まれているため、このフォルダは選べません。\n";

// Reading the WAV files' own tags: selected rows, rows with a tag; the paths follow one
// per line, then how many more were not listed.
inline const char kTagsRead[] = "%d曲中 %d曲のタグを読み込みました。";
inline const char kTagsUnreadable[] = "\n読み込めなかったファイル：\n";
inline const char kTagsUnreadableMore[] = "ほか %d件";

}  // namespace fixed_texts
