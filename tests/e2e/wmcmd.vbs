' Stand-in for the encoder's command-line script, for tests only. It encodes NOTHING:
' it appends one line per call to a record file, each argument in square brackets,
' so spaces and empty arguments stay visible: -input "C:\a b.wav" -title ""
' gives [-input][C:\a b.wav][-title][].
'
' The record file is the one named by the environment variable BRUMLET_WMCMD_RECORD,
' or wmcmd-record.txt beside this script when that variable is not set. It is written
' as an ANSI text file (code page 932 under a Japanese system), so a test can compare
' the recorded bytes with the bytes the program wrote into its script.
Option Explicit

Const ForAppending = 8, TristateFalse = 0

Dim shell, fso, recordPath, line, i, stream
Set shell = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")

recordPath = shell.Environment("PROCESS").Item("BRUMLET_WMCMD_RECORD")
If recordPath = "" Then recordPath = fso.BuildPath(fso.GetParentFolderName(WScript.ScriptFullName), "wmcmd-record.txt")

line = ""
For i = 0 To WScript.Arguments.Count - 1
  line = line & "[" & WScript.Arguments(i) & "]"
Next

Set stream = fso.OpenTextFile(recordPath, ForAppending, True, TristateFalse)
stream.WriteLine line
stream.Close

WScript.Echo "wmcmd stand-in: recorded " & WScript.Arguments.Count & " arguments (nothing encoded)"
