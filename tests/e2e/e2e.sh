#!/usr/bin/env bash
# End-to-end test of the real Brumlet.exe: a fresh Wine prefix with the stand-in
# encoder installed, the program driven only by X input (xdotool keys and typed text)
# and checked only through files: the list it saves, the arguments the stand-in
# encoder records, the script deleting itself and the window-state file.
# Usage: e2e.sh path/to/Brumlet.exe work-folder screenshot-folder
# Needs DISPLAY with a window manager (scripts/with-display).
set -euo pipefail
exe="$(realpath -m "$1")"
work="$(realpath -m "$2")"
shots="$(realpath -m "$3")"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"

rm -rf "$work"
mkdir -p "$work/app" "$work/music" "$shots"
rm -f "$shots"/*.png
export WINEPREFIX="$work/prefix"
source "$root/scripts/wine-env"
brumlet_wine_prefix

fail() {
  echo "e2e: FAILED: $*" >&2
  shot "failure"
  exit 1
}
shot() { import -window root "$shots/$1.png" 2>/dev/null || true; }
winpath() { local p="${1//\//\\}"; echo "Z:$p"; }
# Every step waits for its effect (a window, a file, the focus), never for a fixed
# time, and gives up after this many seconds: generous, for a busy machine.
limit=60
# Waits for a visible window whose name matches $1; prints its id.
wait_window() {
  local name="$1" id
  for _ in $(seq 1 $((limit * 5))); do
    id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | tail -n 1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  return 1
}
wait_gone() {
  local name="$1"
  for _ in $(seq 1 $((limit * 5))); do
    xdotool search --onlyvisible --name "$name" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  return 1
}
wait_file() {
  for _ in $(seq 1 $((limit * 5))); do
    [ -e "$1" ] && return 0
    sleep 0.2
  done
  return 1
}
# Makes a window the active one and waits until it holds the keyboard focus: Wine
# takes the focus itself once it has seen the window manager's request, and keys sent
# before that would reach the window that had it.
take_focus() {
  local id="$1"
  for _ in $(seq 1 $((limit * 5))); do
    xdotool windowactivate "$id" >/dev/null 2>&1 || xdotool windowfocus "$id" >/dev/null 2>&1 || true
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$id" ] && return 0
    sleep 0.2
  done
  fail "window $id never took the keyboard focus"
}
# Sends keys to a window once it has the focus.
keys_to() {
  local id="$1"
  shift
  take_focus "$id"
  xdotool key --clearmodifiers "$@"
}
type_into() {
  local id="$1"
  shift
  take_focus "$id"
  # Characters missing from the keyboard map are typed through a remapped key each,
  # which needs time between keys; plain ASCII goes fast.
  local delay=20
  if printf '%s' "$1" | LC_ALL=C grep -q '[^ -~]'; then delay=150; fi
  xdotool type --delay "$delay" --clearmodifiers "$1"
}
start_program() {
  local folder="${1:-$work/app}"
  # No terminal, so the script it launches gets a console window of its own.
  setsid bash -c 'cd "$1" && exec wine "$2"' _ "$folder" "$folder/Brumlet.exe" </dev/null >>"$work/wine.log" 2>&1 &
  program_pid=$!
  main=$(wait_window '^Kestova$') || fail "the main window did not appear"
  sleep 1
  program_running || fail "the program's process cannot be followed"
}
program_running() { kill -0 "$program_pid" 2>/dev/null; }
# Saves the list with Ctrl+S through the real save dialog into $1 and compares its
# bytes with the UTF-8 lines on standard input (converted to CP932 with CR LF).
save_and_compare() {
  local saved="$1" what="$2" dialog
  iconv -f UTF-8 -t CP932 | crlf > "$saved.expected"
  keys_to "$main" ctrl+s
  dialog=$(wait_window '^名前を付けて保存$') || fail "Ctrl+S opened no save dialog"
  type_into "$dialog" "$(winpath "$saved")"
  keys_to "$dialog" Return
  wait_gone '^名前を付けて保存$' || fail "the save dialog did not close"
  wait_file "$saved" || fail "Ctrl+S saved nothing"
  # The list is written beside the target and moved over it whole: once there, it is complete.
  cmp "$saved" "$saved.expected" || {
    diff <(iconv -f CP932 -t UTF-8 "$saved" | cat -A) <(iconv -f CP932 -t UTF-8 "$saved.expected" | cat -A) >&2 || true
    fail "$what"
  }
}

# --- The scene: the program in a folder of its own, three WAV files, a saved list. ---
cp "$exe" "$work/app/Brumlet.exe"
[ -f "$(dirname "$exe")/ReadMe.html" ] && cp "$(dirname "$exe")/ReadMe.html" "$work/app/"
encoder="$WINEPREFIX/drive_c/Program Files/Windows Media Components/Encoder"
mkdir -p "$encoder"
cp "$here/wmcmd.vbs" "$encoder/wmcmd.vbs"
record="$encoder/wmcmd-record.txt"
rm -f "$record"
for name in one two three; do printf 'RIFF\0\0\0\0WAVE' > "$work/music/$name.wav"; done
music="$(winpath "$work/music")"
one="$music\\one.wav"
two="$music\\two.wav"
three="$music\\three.wav"

crlf() { sed 's/$/\r/'; }
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$one,100,One,,(C) Me,,"
  echo "$two,100,Two,Someone,,A song,"
} | iconv -f UTF-8 -t CP932 | crlf > "$work/list.csv"

# --- 1. Load the saved list through the real open dialog (Ctrl+Shift+O). ---
start_program
shot "00-start"
keys_to "$main" ctrl+shift+o
dialog=$(wait_window '^開く$') || fail "Ctrl+Shift+O opened no open dialog"
type_into "$dialog" "$(winpath "$work/list.csv")"
keys_to "$dialog" Return
wait_gone '^開く$' || fail "the open dialog did not close"
sleep 0.5
shot "01-list-loaded"

# --- 2. Select the two rows, Alt+Enter, Tab to the author box, type (Japanese), Enter. ---
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + 40)) $((Y + HEIGHT - 60)) click 1  # empty list area: focus, no selection
keys_to "$main" Home shift+Down
keys_to "$main" alt+Return
info=$(wait_window '^ファイルの情報変更$') || fail "Alt+Enter opened no track information dialog"
shot "02-track-info"
keys_to "$info" Tab Tab  # title box -> the checked radio of the author pair -> author box
type_into "$info" "テスト太郎"
sleep 0.3
shot "02-author-typed"
keys_to "$info" Return
wait_gone '^ファイルの情報変更$' || fail "the track information dialog did not close"

# --- 3. Add one more file through the real open dialog (Ctrl+O). ---
keys_to "$main" ctrl+o
dialog=$(wait_window '^開く$') || fail "Ctrl+O opened no open dialog"
type_into "$dialog" "$three"
keys_to "$dialog" Return
wait_gone '^開く$' || fail "the add-files dialog did not close"
sleep 0.5
shot "03-file-added"

# --- 4. Save the list (Ctrl+S) and compare its bytes. ---
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$one,100,One,テスト太郎,(C) Me,,"
  echo "$three,100,three,,,,"
  echo "$two,100,Two,テスト太郎,,A song,"
} | save_and_compare "$work/saved.csv" "the saved list differs from the expected bytes"
echo "e2e: steps 1-4 passed (list loaded, two rows edited, file added, list saved byte for byte)"

# --- 5. Enter starts the encoding; Enter answers Yes; the console runs the script. ---
keys_to "$main" Return
question=$(wait_window '^Brumlet$') || fail "Enter did not ask the encoding question"
shot "05-question"
keys_to "$question" Return
console=$(wait_window 'te4w45iti4r2mp') || fail "no console window ran the script"
tail="[-a_mode][2][-a_codec][WMA9LSL][-a_setting][Q100_44_2_16][-v_performance][100][-silent]"
{
  echo "[-audioonly][-input][$one][-output][$music\\one.wma][-author][テスト太郎][-copyright][(C) Me][-title][One]$tail"
  echo "[-audioonly][-input][$three][-output][$music\\three.wma][-title][three]$tail"
  echo "[-audioonly][-input][$two][-output][$music\\two.wma][-author][テスト太郎][-description][A song][-title][Two]$tail"
} | iconv -f UTF-8 -t CP932 | crlf > "$work/expected-record.txt"
# The record grows a line per call: wait until it holds all three, complete.
for _ in $(seq 1 $((limit * 5))); do
  cmp -s "$record" "$work/expected-record.txt" && break
  sleep 0.2
done
sleep 1  # for the screenshot only
shot "05-console"
script=$(find "$WINEPREFIX/drive_c/users" -name 'te4w45iti4r2mp*.bat' | head -n 1)
[ -n "$script" ] || fail "the script is not in the temporary folder"
cmp "$record" "$work/expected-record.txt" || {
  diff <(cat -A "$record") <(cat -A "$work/expected-record.txt") >&2 || true
  fail "the encoder was not called with the expected arguments"
}
keys_to "$console" space
for _ in $(seq 1 $((limit * 5))); do
  [ -e "$script" ] || break
  sleep 0.2
done
[ -e "$script" ] && fail "the script did not delete itself after the pause"
echo "e2e: step 5 passed (three encoder calls with the expected arguments, script deleted itself)"

# --- 7. Drop files from X (the XDND protocol, as a file manager does): the .wav is added,
#        the text file is not, and the already listed file changes nothing. ---
printf 'RIFF\0\0\0\0WAVE' > "$work/music/four.WAV"
echo notes > "$work/music/notes.txt"
eval "$(xdotool getwindowgeometry --shell "$main")"
"$here/xdnd_drop.py" "$main" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) \
  "$work/music/four.WAV" "$work/music/notes.txt" "$work/music/one.wav" || fail "the window took no X drop"
sleep 0.5
shot "07-dropped"
# A double-click on the first row (four.WAV) edits it: the title box has the focus. The
# X window starts at the client area: the list header (about 18 pixels), then the rows.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + 60)) $((Y + 25)) click --repeat 2 --delay 80 1  # the window starts at the list header
info=$(wait_window '^ファイルの情報変更$') || fail "a double-click on a row opened no track information dialog"
keys_to "$info" End
type_into "$info" " (dropped)"
keys_to "$info" Return
wait_gone '^ファイルの情報変更$' || fail "the track information dialog did not close"
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$music\\four.WAV,100,four (dropped),,,,"
  echo "$one,100,One,テスト太郎,(C) Me,,"
  echo "$three,100,three,,,,"
  echo "$two,100,Two,テスト太郎,,A song,"
} | save_and_compare "$work/dropped.csv" "the dropped files were not taken as expected"
echo "e2e: step 7 passed (an X drop added the .WAV file, ignored the text file and the listed one; a double-click edited it)"

# --- 6. Resize, Esc: the window state is kept and restored. ---
xdotool windowsize --sync "$main" 820 560 2>/dev/null || xdotool windowsize "$main" 820 560
sleep 1
shot "06-resized"
before=$(xdotool getwindowgeometry "$main" | grep Geometry)
keys_to "$main" Escape
for _ in $(seq 1 $((limit * 5))); do program_running || break; sleep 0.2; done
program_running && fail "Esc did not close the main window"
cfg="$work/app/Brumlet.cfg"
[ -f "$cfg" ] || fail "no Brumlet.cfg beside the program"
[ "$(stat -c %s "$cfg")" = 40 ] || fail "Brumlet.cfg is not 40 bytes"
read -r -a fields <<<"$(od -An -v -t d4 -w40 "$cfg")"
[ "${fields[0]}" = 100 ] || fail "Brumlet.cfg version is ${fields[0]}"
{ [ "${fields[1]}" != 600 ] && [ "${fields[2]}" != 400 ]; } || fail "the new size was not stored (${fields[1]} x ${fields[2]})"
[ "${fields[*]:3}" = "200 48 90 100 100 200 200" ] || fail "column widths stored as ${fields[*]:3}"
start_program
after=$(xdotool getwindowgeometry "$main" | grep Geometry)
shot "06-restarted"
[ "$before" = "$after" ] || fail "the second start opened at $after, not $before"
keys_to "$main" Escape
for _ in $(seq 1 $((limit * 5))); do program_running || break; sleep 0.2; done
echo "e2e: step 6 passed (stored ${fields[1]} x ${fields[2]}, reopened at the same size)"

# --- 8. A name code page 932 cannot hold: "Café song.wav" beside "Cafe song.wav", added
#        through the real open dialog by the program started from a folder with such a
#        name, and encoded: the encoder gets the short path of the right file. ---
cafe_app="$work/app Café"
mkdir -p "$cafe_app"
cp "$work/app/Brumlet.exe" "$cafe_app/Brumlet.exe"
printf 'RIFF\0\0\0\0WAVE' > "$work/music/Café song.wav"
printf 'RIFF\0\0\0\0WAVE' > "$work/music/Cafe song.wav"
start_program "$cafe_app"
keys_to "$main" ctrl+o
dialog=$(wait_window '^開く$') || fail "Ctrl+O opened no open dialog"
type_into "$dialog" "$(winpath "$work/music/Café song.wav")"
keys_to "$dialog" Return
wait_gone '^開く$' || fail "the add-files dialog did not close"
sleep 0.5
shot "08-cafe-added"
calls_before=$(grep -c . "$record" || true)
keys_to "$main" Return
question=$(wait_window '^Brumlet$') || fail "Enter did not ask the encoding question"
keys_to "$question" Return
console=$(wait_window 'te4w45iti4r2mp') || fail "no console window ran the script"
# Wait for the new call's line, complete with its line end.
for _ in $(seq 1 $((limit * 5))); do
  [ "$(grep -c $'\r$' "$record" || true)" -gt "$calls_before" ] && break
  sleep 0.2
done
shot "08-console"
# The short names Wine gave the two files, from a directory listing in Unicode.
wine cmd /u /c "dir /x $music > $(winpath "$work/dir.txt")" >>"$work/wine.log" 2>&1 || true
short=$(iconv -f UTF-16LE -t UTF-8 "$work/dir.txt" | tr -d '\r' | awk '/ Café song\.wav$/ {print $4}')
plain=$(iconv -f UTF-16LE -t UTF-8 "$work/dir.txt" | tr -d '\r' | awk '/ Cafe song\.wav$/ {print $4}')
{ [ -n "$short" ] && [ "$short" != "$plain" ]; } || fail "no short name for Café song.wav in the listing"
got=$(tail -n 1 "$record" | iconv -f CP932 -t UTF-8 | tr -d '\r')
want="[-audioonly][-input][$music\\$short][-output][$music\\${short%.*}.wma][-title][Cafe song]$tail"
[ "$got" = "$want" ] || fail "the encoder got $got, not $want"
keys_to "$console" space
keys_to "$main" Escape
for _ in $(seq 1 $((limit * 5))); do program_running || break; sleep 0.2; done
program_running && fail "Esc did not close the main window"
[ -f "$cafe_app/Brumlet.cfg" ] || fail "no Brumlet.cfg in the program's own folder"
echo "e2e: step 8 passed (Café song.wav added by its short path $short through the open dialog and encoded; state kept in the program's folder)"
echo "e2e: all steps passed"
