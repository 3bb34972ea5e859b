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
' no output file: FFmpeg writes a temporary file in the target's folder, renamed to
' the target only when the encoding succeeded. The lines are for the console window:
' Wine 8's script host corrupts its memory when it echoes Japanese into a file or pipe.
'
' How it runs under Wine: the script host starts Unix programs by their Unix path but
' can neither wait for them nor read their output. So a /bin/sh script (the lines
' marked '| at the end of this file, read from this file at run time) does the Unix
' side in a work folder under %TEMP%: it finds the Unix paths through the prefix's
' drive mapping (dosdevices), runs ffmpeg and writes its result into the work folder;
' this script waits for it by reading a named pipe that the shell holds open and
' writes one line into when it is done.
'
' The file stays ASCII: Wine's script host reads scripts in the ANSI code page only,
' so the Japanese console texts are built from their code page 932 codes.
Option Explicit

Const ForReading = 1, TristateTrue = -1
Const kSetting = "Q100_44_2_16"
Const kStartSeconds = 60  ' the longest wait for /bin/sh to start

' The console texts, in Japanese from their code page 932 codes. "Encoded: "
Dim kEncoded
kEncoded = Chr(&H8347) & Chr(&H8393) & Chr(&H8352) & Chr(&H815B) & Chr(&H8368) & _
           Chr(&H82B5) & Chr(&H82DC) & Chr(&H82B5) & Chr(&H82BD) & ": "
' "Could not encode: "
Dim kFailed
kFailed = Chr(&H8347) & Chr(&H8393) & Chr(&H8352) & Chr(&H815B) & Chr(&H8368) & _
          Chr(&H82C5) & Chr(&H82AB) & Chr(&H82DC) & Chr(&H82B9) & Chr(&H82F1) & _
          Chr(&H82C5) & Chr(&H82B5) & Chr(&H82BD) & ": "

Dim fso, shell
Set fso = CreateObject("Scripting.FileSystemObject")
Set shell = CreateObject("WScript.Shell")

' The values of the options, by name without the dash.
Dim options
Set options = CreateObject("Scripting.Dictionary")
options.CompareMode = 1  ' names without case

Dim reason
reason = ParseArguments()
If reason <> "" Then Fail OptionValue("input"), reason

Dim source, target
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
' built from its folder's.
source = LongPath(fso.GetAbsolutePathName(source))
target = fso.BuildPath(LongPath(fso.GetAbsolutePathName(OutputFolder())), fso.GetFileName(target))
If LCase(source) = LCase(target) Then Fail source, "the output is the source"

Dim work
work = CreateWorkFolder()
If work = "" Then Fail source, "cannot create a work folder in " & fso.GetSpecialFolder(2).Path

Dim result
result = RunShell()
On Error Resume Next
fso.DeleteFolder work, True
On Error GoTo 0
If result(0) <> "ok" Then Fail source, result(1)

WScript.Echo kEncoded & target & " (" & SizeText(target) & ", " & DurationText(result(1)) & ")"
WScript.Quit 0

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
Function ParseArguments()
  Dim args, i, name
  Set args = WScript.Arguments
  ParseArguments = ""
  i = 0
  Do While i < args.Count
    name = LCase(args(i))
    Select Case name
      Case "-audioonly", "-silent"
        options(Mid(name, 2)) = ""
      Case "-input", "-output", "-title", "-author", "-copyright", "-description", _
           "-a_mode", "-a_codec", "-a_setting", "-v_performance"
        If i + 1 >= args.Count Then
          ParseArguments = "option " & args(i) & " has no value"
          Exit Function
        End If
        i = i + 1
        options(Mid(name, 2)) = args(i)
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
Function CheckPaths()
  CheckPaths = ""
  If InStr(source, """") > 0 Then
    CheckPaths = "the source path holds a quote (does a path end in a backslash?)"
  ElseIf InStr(target, """") > 0 Then
    CheckPaths = "the output path holds a quote: a save path that ends in a backslash" & _
                 " swallows the options after it"
  End If
End Function

Function CheckFiles()
  CheckFiles = ""
  If fso.FolderExists(source) Then
    CheckFiles = "the source is a folder"
  ElseIf Not fso.FileExists(source) Then
    CheckFiles = "the source file does not exist"
  ElseIf fso.FolderExists(target) Then
    CheckFiles = "the output " & target & " is a folder"
  ElseIf Not fso.FolderExists(OutputFolder()) Then
    CheckFiles = "the output folder " & OutputFolder() & " does not exist"
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
    path = fso.BuildPath(temp, "wmcmd-" & fso.GetBaseName(fso.GetTempName()))
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

' Starts the shell part and waits for it. Returns Array(status, detail): ("ok", duration
' in seconds) or ("fail", reason), the reason with the Unix paths the shell used put
' back as the Windows paths they stand for.
Function RunShell()
  Dim command, tags, key, started, t0, stream, lines, detail
  ' Pairs of an option and the FFmpeg key that writes it into the file's tags.
  tags = Array("title", "title", "author", "author", "copyright", "copyright", "description", "comment")
  command = "/bin/sh -c " & QuoteArg(ShellScript()) & " wmcmd " & QuoteArg(work) & " " & _
            QuoteArg(source) & " " & QuoteArg(target)
  For key = 0 To UBound(tags) Step 2
    If OptionValue(tags(key)) <> "" Then
      command = command & " -metadata " & QuoteArg(tags(key + 1) & "=" & OptionValue(tags(key)))
    End If
  Next

  On Error Resume Next
  shell.Run command, 0, False
  If Err.Number <> 0 Then
    RunShell = Array("fail", "cannot start /bin/sh: " & Err.Description)
    Exit Function
  End If
  On Error GoTo 0

  ' The shell makes the pipe and holds it open before it creates "started"; a shell that
  ' is already done has removed both and left "result". Wine's script host has no Sleep,
  ' so this is a busy wait, for the fraction of a second the shell takes to start.
  ' Reading the pipe then blocks until the shell writes its line or ends.
  started = fso.BuildPath(work, "started")
  t0 = Timer
  Do Until fso.FileExists(started) Or fso.FileExists(fso.BuildPath(work, "result"))
    If Elapsed(t0) > kStartSeconds Then
      RunShell = Array("fail", "/bin/sh did not start (is the work folder " & work & " on a mapped drive?)")
      Exit Function
    End If
  Loop
  On Error Resume Next
  Set stream = fso.OpenTextFile(fso.BuildPath(work, "done"), ForReading)
  stream.ReadLine
  stream.Close
  Err.Clear

  lines = ReadLines(fso.BuildPath(work, "result"))
  On Error GoTo 0
  If UBound(lines) < 1 Then
    RunShell = Array("fail", "the encoding process ended without a result")
    Exit Function
  End If
  detail = lines(1)
  If UBound(lines) >= 4 Then
    If lines(3) <> "" Then detail = Replace(detail, lines(3), target)  ' the temporary file
    If lines(4) <> "" Then detail = Replace(detail, lines(4), target)
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

' The lines of this file that start with '| , without that mark: the shell script.
Function ShellScript()
  Dim stream, line, script
  Set stream = fso.OpenTextFile(WScript.ScriptFullName, ForReading)
  script = ""
  Do Until stream.AtEndOfStream
    line = stream.ReadLine
    If Left(line, 2) = "'|" Then script = script & Mid(line, 4) & vbLf
  Loop
  stream.Close
  ShellScript = script
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

' The shell part, run by /bin/sh -c with: work-folder source output [ffmpeg options],
' the three as Windows paths. It writes work/result (UTF-16: status, detail, and the
' Unix paths of source, temporary file and output) and then one line into the pipe
' work/done, which this script reads.
'| set -u
'| work_win=$1 source_win=$2 output_win=$3
'| shift 3
'| dosdevices=${WINEPREFIX:-${HOME:-}/.wine}/dosdevices
'|
'| # The Unix path of a Windows path (a drive or UNC path) through the prefix's drive
'| # mapping. Each component that exists is taken in its real case: Windows names
'| # ignore case, Unix names do not.
'| unix_path() {
'|   p=$1
'|   case $p in
'|     [A-Za-z]:\\*) dir=$dosdevices/$(printf %s "${p%%:*}" | tr A-Z a-z):; p=${p#??} ;;
'|     \\\\?*) dir=$dosdevices/unc; p=${p#??} ;;
'|     *) return 1 ;;
'|   esac
'|   IFS=/
'|   set -f
'|   for c in $(printf %s "$p" | tr '\\' /); do
'|     [ -n "$c" ] || continue
'|     if [ ! -e "$dir/$c" ] && [ -d "$dir" ]; then
'|       pattern=$(printf %s "$c" | sed 's/[][*?\\]/\\&/g')
'|       match=$(find -H "$dir" -mindepth 1 -maxdepth 1 -iname "$pattern" -print -quit 2>/dev/null)
'|       [ -n "$match" ] && c=${match##*/}
'|     fi
'|     dir=$dir/$c
'|   done
'|   printf '%s\n' "$dir"
'| }
'|
'| # Writes the result file for the script host and ends its wait. Everything else in
'| # the work folder goes first, the pipe too (Wine cannot delete one): a script that
'| # has not opened the pipe yet then finds the result at once.
'| result() {
'|   { printf '\377\376'; printf '%s\n' "$@" | iconv -c -f UTF-8 -t UTF-16LE; } > "$work/result.new"
'|   mv -f "$work/result.new" "$work/result"
'|   rm -f "$work/started" "$work/ffmpeg.log" "$work/mv.log" "$work/done"
'|   echo done >&3
'|   exit 0
'| }
'|
'| work=$(unix_path "$work_win") && [ -d "$work" ] || exit 1
'| mkfifo "$work/done" && exec 3<>"$work/done" || exit 1
'| : > "$work/started"
'|
'| source=$(unix_path "$source_win") || result fail "no Unix path for $source_win"
'| output=$(unix_path "$output_win") || result fail "no Unix path for $output_win"
'| ffmpeg=$(command -v ffmpeg) || result fail "ffmpeg not found: install FFmpeg (Debian package ffmpeg)"
'| [ -d "$output" ] && result fail "the output $output_win is a folder"
'| [ "$source" -ef "$output" ] && result fail "the output is the source"
'| temporary=${output%/*}/.wmcmd-$$.tmp
'| trap 'rm -f "$temporary"' EXIT
'| trap 'result fail "the encoding was interrupted"' HUP INT TERM
'| # The ASF muxer never splits an audio frame across packets: its default packet of
'| # 3200 bytes would hold one 1857-byte frame and padding. 1885 bytes is one frame and
'| # the packet's headers, which keeps the file at its 320 kbit/s.
'| "$ffmpeg" -nostdin -hide_banner -loglevel error -y -i "$source" -map 0:a:0 -map_metadata -1 \
'|   -c:a wmav2 -b:a 320k -ar 44100 -ac 2 "$@" -f asf -packet_size 1885 "$temporary" \
'|   </dev/null >/dev/null 2>"$work/ffmpeg.log" 3>&-
'| code=$?
'| if [ "$code" -ne 0 ]; then
'|   why=$(grep -v '^[[:space:]]*$' "$work/ffmpeg.log" | head -n 1)
'|   result fail "${why:-ffmpeg ended with exit code $code}" "$source" "$temporary" "$output"
'| fi
'| mv -f -T "$temporary" "$output" 2>"$work/mv.log" \
'|   || result fail "$(head -n 1 "$work/mv.log")" "$source" "$temporary" "$output"
'| duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$output" 2>/dev/null)
'| result ok "$duration"
