' Linux encoder for Brumlet.exe under Wine: writes WMA through FFmpeg.
'
' Takes the command line that the encoding script of Brumlet.exe passes to the
' encoder's wmcmd.vbs:
'   cscript.exe wmcmd.vbs -audioonly -input "<source>" -output "<target>"
'     [-author "..."] [-copyright "..."] [-description "..."] [-title "..."]
'     -a_mode 2 -a_codec WMA9LSL -a_setting Q100_44_2_16 -v_performance 100 -silent
' and writes <target> with FFmpeg (ffmpeg on the Unix PATH): the wmav2 codec at
' 320 kbit/s, 44.1 kHz stereo as Q100_44_2_16 asks (the source is converted where it
' differs), in an ASF (WMA) container whatever the target's extension, with title,
' author, copyright and description as the file's tags. No free encoder writes WMA
' Lossless, so -a_codec, -a_mode and -v_performance are accepted and not followed.
'
' Console: one line per file, the output path with its size and duration, or on any
' failure a line naming the source and the reason on the next line, exit code 1 and
' no output file: the encoding goes into a new temporary file in the target's folder,
' renamed to the target only when it succeeded. That includes this script's own
' runtime errors: the whole script runs in Main, under one error handler. The lines
' are for the console window: Wine 8's script host corrupts its memory when it echoes
' Japanese into a file or pipe.
'
' Refused, with nothing encoded: an unknown option or one given twice, a path with a
' quote, and an output name that Windows cannot hold (ending in a dot or a space, or
' holding a colon or a wildcard). The source is read as WAV only, by its header.
'
' How it runs under Wine: the script host starts Unix programs by their Unix path but
' can neither wait for them nor read their output. So the shell part, wmcmd.sh beside
' this file (install.sh installs both), is copied into a new work folder under %TEMP%
' and started there by /bin/sh. It finds the Unix paths through the prefix's drive
' mapping, runs ffmpeg and writes its result into the work folder; this script waits
' for it on a named pipe there (see wmcmd.sh). This script never opens its own file:
' Wine's FileSystemObject opens files without sharing them, and a second console
' starting at that moment could not read its script.
'
' The file stays ASCII: Wine's script host reads scripts in the ANSI code page only,
' so the Japanese console texts are built from their code page 932 codes.
Option Explicit

Const ForReading = 1, TristateTrue = -1
Const kSetting = "Q100_44_2_16"
Const kStartSeconds = 60  ' the longest wait for /bin/sh to start
Const kShellPart = "wmcmd.sh"
' The first argument of the shell part: it refuses to run with another wmcmd.vbs than
' its own. Changed together with wmcmd.sh whenever their arguments change.
Const kProtocol = "wmcmd-2"

' The console texts, in Japanese from their code page 932 codes. "Encoded: "
Dim kEncoded
kEncoded = Chr(&H8347) & Chr(&H8393) & Chr(&H8352) & Chr(&H815B) & Chr(&H8368) & _
           Chr(&H82B5) & Chr(&H82DC) & Chr(&H82B5) & Chr(&H82BD) & ": "
' "Could not encode: "
Dim kFailed
kFailed = Chr(&H8347) & Chr(&H8393) & Chr(&H8352) & Chr(&H815B) & Chr(&H8368) & _
          Chr(&H82C5) & Chr(&H82AB) & Chr(&H82DC) & Chr(&H82B9) & Chr(&H82F1) & _
          Chr(&H82C5) & Chr(&H82B5) & Chr(&H82BD) & ": "

Dim fso, shell, options, source, target, work
source = ""
work = ""

' Wine's script host ends a script at an uncaught runtime error with exit code 0 and no
' message, so every error that Main does not handle itself ends here, as a failure.
On Error Resume Next
Main
If Err.Number <> 0 Then
  Dim why
  why = "the encoder failed: " & Err.Description & " (error " & Err.Number & ")"
  Err.Clear
  If work <> "" Then fso.DeleteFolder work, True
  Fail source, why
End If
WScript.Quit 0

Sub Main()
  Dim reason, result
  Set fso = CreateObject("Scripting.FileSystemObject")
  Set shell = CreateObject("WScript.Shell")
  ' The values of the options, by name without the dash.
  Set options = CreateObject("Scripting.Dictionary")
  options.CompareMode = 1  ' names without case

  reason = ParseArguments()
  If reason <> "" Then Fail OptionValue("input"), reason

  source = OptionValue("input")
  target = OptionValue("output")
  reason = CheckPaths()
  If reason <> "" Then Fail source, reason
  source = WithoutLongPrefix(source)
  target = WithoutLongPrefix(target)
  reason = CheckFiles()
  If reason <> "" Then Fail source, reason
  ' Full paths, the existing part in its real case and long form. Wine's
  ' GetAbsolutePathName shortens paths that name something missing, so the output's is
  ' built from its folder's, joined with a backslash here: BuildPath joins a folder
  ' ending in ":" without one.
  source = LongPath(fso.GetAbsolutePathName(source))
  target = JoinPath(LongPath(fso.GetAbsolutePathName(OutputFolder())), FileName(target))
  If LCase(source) = LCase(target) Then Fail source, "the output is the source"

  work = CreateWorkFolder()
  If work = "" Then Fail source, "cannot create a work folder in " & fso.GetSpecialFolder(2).Path

  result = RunShell()
  DeleteWork
  If result(0) <> "ok" Then Fail source, result(1)

  WScript.Echo kEncoded & target & " (" & SizeText(target) & ", " & DurationText(result(1)) & ")"
End Sub

' Prints the failure line and the reason, and ends the script with exit code 1.
Sub Fail(path, why)
  WScript.Echo kFailed & path
  WScript.Echo why
  WScript.Quit 1
End Sub

Function OptionValue(name)
  OptionValue = ""
  If options.Exists(name) Then OptionValue = options(name)
End Function

' Reads the command line into `options`; returns the reason it cannot be used, or "".
' An unknown option stops everything: nothing is encoded with half-understood options.
' So does an option given twice: which of the two was meant is not known.
Function ParseArguments()
  Dim args, i, name
  Set args = WScript.Arguments
  ParseArguments = ""
  i = 0
  Do While i < args.Count
    name = LCase(args(i))
    Select Case name
      Case "-audioonly", "-silent", "-input", "-output", "-title", "-author", "-copyright", _
           "-description", "-a_mode", "-a_codec", "-a_setting", "-v_performance"
        If options.Exists(Mid(name, 2)) Then
          ParseArguments = "option " & args(i) & " is given twice (nothing encoded)"
          Exit Function
        End If
        If name = "-audioonly" Or name = "-silent" Then
          options(Mid(name, 2)) = ""
        Else
          If i + 1 >= args.Count Then
            ParseArguments = "option " & args(i) & " has no value"
            Exit Function
          End If
          i = i + 1
          options(Mid(name, 2)) = args(i)
        End If
      Case Else
        If Left(name, 1) = "-" Then
          ParseArguments = "unknown option " & args(i) & " (nothing encoded)"
        Else
          ParseArguments = "unexpected argument " & args(i) & " (nothing encoded)"
        End If
        Exit Function
    End Select
    i = i + 1
  Loop
  If OptionValue("input") = "" Then
    ParseArguments = "no -input given"
  ElseIf OptionValue("output") = "" Then
    ParseArguments = "no -output given"
  ElseIf options.Exists("a_setting") And UCase(OptionValue("a_setting")) <> kSetting Then
    ParseArguments = "setting " & OptionValue("a_setting") & " is not supported (only " & kSetting & ")"
  End If
End Function

' A quote in a path means the command line was split wrongly: the script host reads \"
' as an escaped quote, so a path ending in a backslash swallows the options after it.
' An output name must be one Windows can hold: Windows drops a final dot or space (Wine
' does not, and writes a file that Windows programs cannot open), and a colon past the
' drive names a stream or, under Wine, a folder BuildPath would skip.
Function CheckPaths()
  Dim rest, i, c
  CheckPaths = ""
  If InStr(source, """") > 0 Then
    CheckPaths = "the source path holds a quote (does a path end in a backslash?)"
    Exit Function
  ElseIf InStr(target, """") > 0 Then
    CheckPaths = "the output path holds a quote: a save path that ends in a backslash" & _
                 " swallows the options after it"
    Exit Function
  End If
  If Right(target, 1) = "." Or Right(target, 1) = " " Then
    CheckPaths = "the output name ends in a dot or a space, which Windows drops: " & target
    Exit Function
  End If
  rest = WithoutLongPrefix(target)
  If Mid(rest, 2, 1) = ":" Then rest = Mid(rest, 3)
  For i = 1 To Len(rest)
    c = Mid(rest, i, 1)
    If InStr(":*?<>|", c) > 0 Or (Asc(c) >= 0 And Asc(c) < 32) Then
      CheckPaths = "the output path holds '" & c & "', which a Windows file name cannot: " & target
      Exit Function
    End If
  Next
End Function

Function CheckFiles()
  CheckFiles = ""
  If fso.FolderExists(source) Then
    CheckFiles = "the source is a folder"
  ElseIf Not fso.FileExists(source) Then
    CheckFiles = "the source file does not exist"
  ElseIf fso.FolderExists(target) Or FileName(target) = "" Then
    CheckFiles = "the output " & target & " is a folder"
  ElseIf Not fso.FolderExists(OutputFolder()) Then
    CheckFiles = "the output folder " & OutputFolder() & " does not exist"
  End If
End Function

' The last component of a path: what follows its last backslash or slash.
Function FileName(path)
  Dim i
  i = InStrRev(Replace(path, "/", "\"), "\")
  FileName = Mid(path, i + 1)
End Function

' A folder and a name in it, with one backslash between them.
Function JoinPath(folder, name)
  If Right(folder, 1) = "\" Then
    JoinPath = folder & name
  Else
    JoinPath = folder & "\" & name
  End If
End Function

' The folder the output goes into ("." for a bare file name).
Function OutputFolder()
  OutputFolder = fso.GetParentFolderName(target)
  If OutputFolder = "" Then OutputFolder = "."
End Function

' The path without a \\?\ prefix (the shell maps drive and UNC paths only).
Function WithoutLongPrefix(path)
  WithoutLongPrefix = path
  If Left(path, 8) = "\\?\UNC\" Then
    WithoutLongPrefix = "\\" & Mid(path, 9)
  ElseIf Left(path, 4) = "\\?\" Then
    WithoutLongPrefix = Mid(path, 5)
  End If
End Function

' The long form of an existing full path. A name beyond the ANSI code page reaches the
' script in its 8.3 form (such as "____~QZI"), which only Wine knows; the shell's folder
' objects give the long names. A path without "~" holds no 8.3 name and is returned as
' it is, and so is one the shell cannot parse.
Function LongPath(path)
  Dim app, folder, item
  LongPath = path
  If InStr(path, "~") = 0 Then Exit Function
  On Error Resume Next
  Set app = CreateObject("Shell.Application")
  ' CStr: Wine's Namespace takes no variable passed by reference (it returns Nothing).
  If fso.FolderExists(path) Then
    Set folder = app.Namespace(CStr(path))
    If Err.Number = 0 Then
      If Not folder Is Nothing Then LongPath = folder.Self.Path
    End If
  Else
    Set folder = app.Namespace(fso.GetParentFolderName(path))
    If Err.Number = 0 Then
      If Not folder Is Nothing Then
        Set item = folder.ParseName(fso.GetFileName(path))
        If Err.Number = 0 Then
          If Not item Is Nothing Then LongPath = item.Path
        End If
      End If
    End If
  End If
  If Err.Number <> 0 Then LongPath = path
  Err.Clear
End Function

' A new folder under %TEMP% for the shell's files; "" when none can be made.
Function CreateWorkFolder()
  Dim temp, path, tries
  CreateWorkFolder = ""
  temp = fso.GetSpecialFolder(2).Path
  On Error Resume Next
  For tries = 1 To 20
    path = JoinPath(temp, "wmcmd-" & fso.GetBaseName(fso.GetTempName()))
    If Not fso.FolderExists(path) And Not fso.FileExists(path) Then
      Err.Clear
      fso.CreateFolder path
      If Err.Number = 0 Then
        CreateWorkFolder = path
        Exit Function
      End If
    End If
  Next
End Function

' Removes the work folder (the shell has removed its named pipe, which Wine cannot).
Sub DeleteWork()
  On Error Resume Next
  If work <> "" Then fso.DeleteFolder work, True
  work = ""
  Err.Clear
End Sub

' Waits a second without using the processor: Wine 8's WScript.Sleep is not
' implemented, but its ping.exe waits a second between two echoes.
Sub Pause()
  shell.Run "ping.exe -n 2 127.0.0.1", 0, True
End Sub

' Starts the shell part in the work folder and waits for it. Returns Array(status,
' detail): ("ok", duration in seconds) or ("fail", reason), the reason with the Unix
' paths the shell used put back as the Windows paths they stand for.
Function RunShell()
  Dim command, tags, key, previous, t0, alive, stream, lines, detail
  ' Pairs of an option and the FFmpeg key that writes it into the file's tags.
  tags = Array("title", "title", "author", "author", "copyright", "copyright", "description", "comment")
  command = "/bin/sh " & kShellPart & " " & kProtocol & " " & QuoteArg(fso.GetFileName(work)) & _
            " " & QuoteArg(source) & " " & QuoteArg(target)
  For key = 0 To UBound(tags) Step 2
    If OptionValue(tags(key)) <> "" Then
      command = command & " -metadata " & QuoteArg(tags(key + 1) & "=" & OptionValue(tags(key)))
    End If
  Next

  On Error Resume Next
  fso.CopyFile JoinPath(fso.GetParentFolderName(WScript.ScriptFullName), kShellPart), _
               JoinPath(work, kShellPart)
  If Err.Number <> 0 Then
    RunShell = Array("fail", "cannot copy " & kShellPart & " from beside wmcmd.vbs (install.sh" & _
                             " installs both): " & Err.Description)
    Exit Function
  End If
  ' Wine starts a Unix program in the Unix folder of the current folder.
  previous = shell.CurrentDirectory
  shell.CurrentDirectory = work
  If Err.Number = 0 Then shell.Run command, 0, False
  If Err.Number <> 0 Then
    RunShell = Array("fail", "cannot start /bin/sh: " & Err.Description)
    shell.CurrentDirectory = previous
    Exit Function
  End If
  shell.CurrentDirectory = previous
  On Error GoTo 0

  ' The shell makes the pipe and holds it open before it creates "started"; a shell that
  ' is already done has removed both and left "result".
  t0 = Timer
  Do Until fso.FileExists(JoinPath(work, "started")) Or fso.FileExists(JoinPath(work, "result"))
    If Elapsed(t0) > kStartSeconds Then
      RunShell = Array("fail", "/bin/sh did not start within " & kStartSeconds & " s in " & work)
      Exit Function
    End If
    Pause
  Loop
  ' "alive" stays open while this script runs: the shell sees by it that this script
  ' has not gone. Wine's OpenTextFile reads as it opens, so opening "done" waits until
  ' the shell writes its last line or ends. A shell already done has removed both.
  On Error Resume Next
  Set alive = fso.OpenTextFile(JoinPath(work, "alive"), ForReading)
  If Err.Number = 0 Then
    fso.CreateTextFile(JoinPath(work, "reading")).Close
    Set stream = fso.OpenTextFile(JoinPath(work, "done"), ForReading)
    stream.Close
    alive.Close
  End If
  Err.Clear

  lines = ReadLines(JoinPath(work, "result"))
  On Error GoTo 0
  If UBound(lines) < 1 Then
    RunShell = Array("fail", "the encoding process ended without a result")
    Exit Function
  End If
  detail = lines(1)
  If UBound(lines) >= 4 Then
    If lines(3) <> "" Then detail = Replace(detail, lines(3), target)  ' the temporary file
    If lines(4) <> "" Then detail = Replace(detail, "file:" & lines(4), target)
    If lines(4) <> "" Then detail = Replace(detail, lines(4), target)
    If lines(2) <> "" Then detail = Replace(detail, "file:" & lines(2), source)
    If lines(2) <> "" Then detail = Replace(detail, lines(2), source)
  End If
  RunShell = Array(lines(0), detail)
End Function

' The lines of a UTF-16 text file; an empty array when it cannot be read.
Function ReadLines(path)
  Dim stream, text
  ReadLines = Array()
  On Error Resume Next
  Set stream = fso.OpenTextFile(path, ForReading, False, TristateTrue)
  If Err.Number <> 0 Then Exit Function
  text = stream.ReadAll
  stream.Close
  If Err.Number <> 0 Then Exit Function
  text = Replace(text, vbCr, "")
  If Right(text, 1) = vbLf Then text = Left(text, Len(text) - 1)
  ReadLines = Split(text, vbLf)
End Function

' One argument as a program's command-line parser splits it back: in double quotes,
' a '"' escaped with a backslash, the backslashes before a '"' or the end doubled.
Function QuoteArg(s)
  Dim i, c, slashes, quoted
  quoted = """"
  slashes = 0
  For i = 1 To Len(s)
    c = Mid(s, i, 1)
    If c = "\" Then
      slashes = slashes + 1
    Else
      If c = """" Then quoted = quoted & String(slashes + 1, "\")
      slashes = 0
    End If
    quoted = quoted & c
  Next
  QuoteArg = quoted & String(slashes, "\") & """"
End Function

' Seconds since `t0` (a Timer value), across midnight.
Function Elapsed(t0)
  Elapsed = Timer - t0
  If Elapsed < 0 Then Elapsed = Elapsed + 86400
End Function

' The size in whole kilobytes, rounded up, with digit grouping: "1,234 KB".
Function SizeText(path)
  Dim bytes
  bytes = fso.GetFile(path).Size
  SizeText = FormatNumber(Int((bytes + 1023) / 1024), 0) & " KB"
End Function

' Seconds as FFmpeg writes them ("187.046000"), rounded to m:ss; "-:--" when unknown.
Function DurationText(seconds)
  Dim parts, total
  parts = Split(seconds, ".")
  If UBound(parts) < 0 Then
    DurationText = "-:--"
    Exit Function
  End If
  If parts(0) = "" Or Not IsNumeric(parts(0)) Then
    DurationText = "-:--"
    Exit Function
  End If
  total = CLng(parts(0))
  If UBound(parts) >= 1 Then
    If Left(parts(1), 1) >= "5" Then total = total + 1
  End If
  DurationText = (total \ 60) & ":" & Right("0" & (total Mod 60), 2)
End Function
