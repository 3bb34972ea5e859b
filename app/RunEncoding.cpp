#include "app/RunEncoding.h"

#include <memory>
#include <string>

#include "core/EncodingScript.h"
#include "core/Texts.h"
#include "core/TrackList.h"
#include "platform/Files.h"
#include "platform/Prompter.h"
#include "platform/win32/EncodingServices.h"

namespace {

// The wait after a launch, so the console is up before the main window answers again.
const DWORD kLaunchWaitMs = 2000;
// Names tried after the fixed one: te4w45iti4r2mp-2.bat to te4w45iti4r2mp-99.bat.
const int kLastAlternative = 99;

// Creates the script in `folder`. The fixed name is used unless a file of that name
// exists: a console may still be running it, and the command interpreter reads a batch
// file as it goes, so it must not be rewritten. Every name is created exclusively, so two
// runs never share a file. Null when no name could be created.
std::unique_ptr<OutputFile> CreateScript(FileSystem& files, const std::string& folder) {
  for (int n = 1; n <= kLastAlternative; ++n) {
    std::string path = folder + fixed_texts::kScriptName;
    if (n > 1) path += "-" + std::to_string(n);
    path += ".bat";
    if (path.size() > kMaxPathBytes) return nullptr;
    if (auto file = files.CreateForWriting(path, FileSystem::Create::kExclusive)) return file;
    // Failing for any other reason than an existing file will not change with the name.
    if (!files.Exists(path)) return nullptr;
  }
  return nullptr;
}

}  // namespace

void RunEncoding(TrackList& tracks, Prompter& prompter, EncodingServices& services) {
  if (tracks.GetTrackCount() == 0) return;
  if (!prompter.AskYesNo(fixed_texts::kConfirmEncoding)) return;

  std::string programFiles;
  if (!services.GetEnvironment("ProgramFiles", &programFiles) || programFiles.empty()) {
    prompter.ShowMessage(fixed_texts::kProgramFilesUnset);
    return;
  }
  const std::string encoderFolder = programFiles + fixed_texts::kEncoderSubfolder;
  if (encoderFolder.size() > kMaxPathBytes) {
    prompter.ShowMessage(fixed_texts::kEncoderFolderTooLong + encoderFolder);
    return;
  }

  // Rows left out are reported first; then the question about files that would be
  // replaced; only a run the user has agreed to in full makes folders and the script.
  FileSystem& files = services.Files();
  EncodingPlan plan = PlanEncoding(tracks, files, prompter);
  if (!LeaveOutExistingOutputs(plan, files, prompter)) return;
  CreateOutputFolders(plan, files, prompter);

  std::string tempFolder;
  std::unique_ptr<OutputFile> file;
  if (services.GetTempFolder(&tempFolder)) file = CreateScript(files, tempFolder);
  if (!file) {
    prompter.ShowMessage(fixed_texts::kTempFileFailed);
    return;
  }
  const std::string scriptPath = file->FullPath();
  // The console reads the script in its own code page, not the program's: one that does
  // not read 932 is switched by the script's first command.
  const ConsoleSwitch console =
      services.ConsoleReadsCodePage932(fixed_texts::kScriptName) ? ConsoleSwitch::kNone : ConsoleSwitch::kTo932;
  bool written = WriteEncodingScript(plan, *file, encoderFolder, scriptPath, console);
  written = file->Close() && written;
  file.reset();
  if (!written) {
    // A half-written script must not run; it is left where it is, like every script.
    prompter.ShowMessage(fixed_texts::kTempFileFailed);
    return;
  }

  if (services.LaunchBatchFile(scriptPath)) {
    services.Wait(kLaunchWaitMs);
    return;
  }
  const std::string systemText = services.LastErrorText();  // before anything else can change it
  prompter.ShowMessage(fixed_texts::kLaunchFailedBefore + scriptPath + fixed_texts::kLaunchFailedAfter + systemText);
}

void RunEncoding(TrackList& tracks, Prompter& prompter) {
  Win32EncodingServices services;
  RunEncoding(tracks, prompter, services);
}
