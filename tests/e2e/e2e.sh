#!/usr/bin/env bash
# End-to-end test of the real Brumlet.exe: a fresh Wine prefix with the stand-in
# encoder installed, the program driven only by X input (xdotool keys, text pasted from the X clipboard)
# and checked only through files: the list it saves, the arguments the stand-in
# encoder records, the script deleting itself and the window-state file.
# Usage: e2e.sh path/to/Brumlet.exe work-folder screenshot-folder
# Needs DISPLAY with a window manager (scripts/with-display).
#
# With BRUMLET_LANG=C.UTF-8 (a system that is not Japanese: code pages 1252 and 437) the
# same steps must give the same bytes, as the program asks for code page 932 itself. Only
# the console differs: its OEM code page is not 932, so the script first switches it with
# "chcp 932", which Wine's cmd cannot do: there the console must say so and stop before
# any encoder call, and the script's own bytes are checked instead of the encoder's record.
set -euo pipefail
exe="$(realpath -m "$1")"
work="$(realpath -m "$2")"
shots="$(realpath -m "$3")"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"

test_name=e2e
source "$here/lib.sh"
fresh_work_folder
export WINEPREFIX="$work/prefix"
source "$root/scripts/wine-env"
brumlet_wine_prefix
japanese=1
[ "$BRUMLET_LANG" = ja_JP.UTF-8 ] || japanese=0
# The system's file dialogs speak the system's language, not the program's.
open_title='^開く$'
save_title='^名前を付けて保存$'
[ "$japanese" = 1 ] || { open_title='^Open$'; save_title='^Save As$'; }

switch_line="chcp 932 >nul || (echo This console could not switch to code page 932 for Japanese text, so nothing was encoded. & pause & goto :eof)"
# The script a run left in the temporary folder (each is removed once checked), and its
# path as the program knows it.
newest_script() { find "$WINEPREFIX/drive_c/users" -name 'te4w45iti4r2mp*.bat' | head -n 1; }
script_winpath() { local p="${1#"$WINEPREFIX/drive_c"}"; p="${p//\//\\}"; echo "C:$p"; }
# Outside the Japanese locale: the script the run wrote is $1 plus the switch line, compared
# byte for byte once complete (the program writes it whole before the console starts); the
# console says it cannot switch and waits; a key closes it, nothing was encoded, and the
# script stays (it stopped before its last line), so it is removed here.
check_stopped_script() {
  local blocks="$1" what="$2" console script
  console=$(wait_window 'te4w45iti4r2mp') || fail "no console window ran the script"
  script=$(newest_script)
  [ -n "$script" ] || fail "the script is not in the temporary folder"
  {
    echo "@echo off"
    echo "$switch_line"
    echo
    echo "C:"
    echo "CD \"$(script_winpath "$encoder")\""
    printf '%s\n' "$blocks"
    echo "echo エンコードは終了しました。"
    echo "pause"
    echo "del \"$(script_winpath "$script")\""
  } | iconv -f UTF-8 -t CP932 | crlf > "$work/expected-script.bat"
  cmp "$script" "$work/expected-script.bat" || {
    diff <(iconv -f CP932 -t UTF-8 "$script" | cat -A) <(iconv -f CP932 -t UTF-8 "$work/expected-script.bat" | cat -A) >&2 || true
    fail "$what"
  }
  sleep 1  # for the screenshot only
  shot "$3"
  close_console "$console" 'te4w45iti4r2mp' || fail "the console did not close after its pause"
  [ ! -s "$record" ] || fail "the encoder was called from a console that could not switch to code page 932"
  rm -f "$script"
}

# Saves the list with Ctrl+S through the real save dialog into $1 and compares its
# bytes with the UTF-8 lines on standard input (converted to CP932 with CR LF).
save_and_compare() {
  local saved="$1" what="$2" dialog
  iconv -f UTF-8 -t CP932 | crlf > "$saved.expected"
  keys_to "$main" ctrl+s
  dialog=$(wait_window "$save_title") || fail "Ctrl+S opened no save dialog"
  fill_box "$dialog" "$(winpath "$saved")"
  keys_to "$dialog" Return
  wait_gone "$save_title" || fail "the save dialog did not close"
  wait_file "$saved" || fail "Ctrl+S saved nothing"
  same_list "$saved" "$saved.expected" "$what"
}

# --- The scene: the program in a folder of its own, three WAV files, a saved list. ---
cp "$exe" "$work/app/Brumlet.exe"
[ -f "$(dirname "$exe")/ReadMe.html" ] && cp "$(dirname "$exe")/ReadMe.html" "$work/app/"
encoder=$(brumlet_encoder_folder "$exe")  # where the program under test looks
mkdir -p "$encoder"
cp "$here/wmcmd.vbs" "$encoder/wmcmd.vbs"
record="$encoder/wmcmd-record.txt"
rm -f "$record"
for name in one two three; do printf 'RIFF\0\0\0\0WAVE' > "$work/music/$name.wav"; done
music="$(winpath "$work/music")"
one="$music\\one.wav"
two="$music\\two.wav"
three="$music\\three.wav"

{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$one,100,One,,(C) Me,,"
  echo "$two,100,Two,Someone,,A song,"
} | iconv -f UTF-8 -t CP932 | crlf > "$work/list.csv"

# --- 1. Load the saved list through the real open dialog (Ctrl+Shift+O). ---
start_program "$work/app"
shot "00-start"
keys_to "$main" ctrl+shift+o
dialog=$(wait_window "$open_title") || fail "Ctrl+Shift+O opened no open dialog"
fill_box "$dialog" "$(winpath "$work/list.csv")"
keys_to "$dialog" Return
wait_gone "$open_title" || fail "the open dialog did not close"
# The window reads the list before it takes any further input (one thread): the keys
# below need no wait, the screenshot a moment to paint.
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
fill_box "$info" "テスト太郎"
shot "02-author-typed"
keys_to "$info" Return
wait_gone '^ファイルの情報変更$' || fail "the track information dialog did not close"

# --- 3. Add one more file through the real open dialog (Ctrl+O). ---
keys_to "$main" ctrl+o
dialog=$(wait_window "$open_title") || fail "Ctrl+O opened no open dialog"
fill_box "$dialog" "$three"
keys_to "$dialog" Return
wait_gone "$open_title" || fail "the add-files dialog did not close"
sleep 0.5  # for the screenshot only
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
tail="[-a_mode][2][-a_codec][WMA9LSL][-a_setting][Q100_44_2_16][-v_performance][100][-silent]"
script_tail="-a_mode 2 -a_codec WMA9LSL -a_setting Q100_44_2_16 -v_performance 100 -silent"
if [ "$japanese" = 0 ]; then
  check_stopped_script "echo ■ 3曲中 1曲目 : 
echo one.wav をエンコードしています…
echo フルパス = $one
cscript.exe wmcmd.vbs -audioonly -input \"$one\" -output \"$music\\one.wma\" -author \"テスト太郎\" -copyright \"(C) Me\" -title \"One\" $script_tail
echo ------------------------------------------------------
echo ■ 3曲中 2曲目 : 
echo three.wav をエンコードしています…
echo フルパス = $three
cscript.exe wmcmd.vbs -audioonly -input \"$three\" -output \"$music\\three.wma\" -title \"three\" $script_tail
echo ------------------------------------------------------
echo ■ 3曲中 3曲目 : 
echo two.wav をエンコードしています…
echo フルパス = $two
cscript.exe wmcmd.vbs -audioonly -input \"$two\" -output \"$music\\two.wma\" -author \"テスト太郎\" -description \"A song\" -title \"Two\" $script_tail" \
    "the script differs from the expected bytes" "05-console"
  echo "e2e: step 5 passed (the script switches the console first; the console could not, said so and encoded nothing)"
else
  console=$(wait_window 'te4w45iti4r2mp') || fail "no console window ran the script"
  {
    echo "[-audioonly][-input][$one][-output][$music\\one.wma][-author][テスト太郎][-copyright][(C) Me][-title][One]$tail"
    echo "[-audioonly][-input][$three][-output][$music\\three.wma][-title][three]$tail"
    echo "[-audioonly][-input][$two][-output][$music\\two.wma][-author][テスト太郎][-description][A song][-title][Two]$tail"
  } | iconv -f UTF-8 -t CP932 | crlf > "$work/expected-record.txt"
  # The record grows a line per call: wait until it holds all three, complete.
  wait_until cmp -s "$record" "$work/expected-record.txt" || true
  sleep 1  # for the screenshot only
  shot "05-console"
  script=$(find "$WINEPREFIX/drive_c/users" -name 'te4w45iti4r2mp*.bat' | head -n 1)
  [ -n "$script" ] || fail "the script is not in the temporary folder"
  cmp "$record" "$work/expected-record.txt" || {
    diff <(cat -A "$record") <(cat -A "$work/expected-record.txt") >&2 || true
    fail "the encoder was not called with the expected arguments"
  }
  close_console "$console" 'te4w45iti4r2mp' || fail "the console did not close after the pause"
  wait_until test ! -e "$script" || fail "the script did not delete itself after the pause"
  echo "e2e: step 5 passed (three encoder calls with the expected arguments, script deleted itself)"
fi

# --- 7. Drop files from X (the XDND protocol, as a file manager does): the .wav is added,
#        the text file is not, and the already listed file changes nothing. ---
printf 'RIFF\0\0\0\0WAVE' > "$work/music/four.WAV"
echo notes > "$work/music/notes.txt"
eval "$(xdotool getwindowgeometry --shell "$main")"
"$here/xdnd_drop.py" "$main" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) \
  "$work/music/four.WAV" "$work/music/notes.txt" "$work/music/one.wav" || fail "the window took no X drop"
# Wine has posted the dropped files to the window before it finished the drop, so the
# window adds them before it takes the clicks below; the pause is for the screenshot.
sleep 0.5
shot "07-dropped"
# A double-click on the first row (four.WAV) edits it: the title box has the focus. The
# X window starts at the client area: the list header (about 18 pixels), then the rows.
# On a busy machine the two clicks may reach the program too far apart to be a
# double-click (they only select the row), so they are sent again until the dialog comes.
double_click_first_row() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --sync $((X + 60)) $((Y + 25)) click --repeat 2 --delay 80 1  # the window starts at the list header
  limit=5 wait_window '^ファイルの情報変更$' >/dev/null
}
wait_until double_click_first_row || fail "a double-click on a row opened no track information dialog"
info=$(visible_window '^ファイルの情報変更$')
fill_box "$info" "four (dropped)"
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
# The window learns its new size from the X event before any key sent after it: a key
# whose effect shows (the open dialog) proves it has, before Esc stores the size.
keys_to "$main" ctrl+o
dialog=$(wait_window "$open_title") || fail "Ctrl+O opened no open dialog after the resize"
keys_to "$dialog" Escape
wait_gone "$open_title" || fail "the open dialog did not close on Esc"
shot "06-resized"
before=$(xdotool getwindowgeometry "$main" | grep Geometry)
keys_to "$main" Escape
wait_program_end || fail "Esc did not close the main window"
cfg="$work/app/Brumlet.cfg"
[ -f "$cfg" ] || fail "no Brumlet.cfg beside the program"
[ "$(stat -c %s "$cfg")" = 40 ] || fail "Brumlet.cfg is not 40 bytes"
read -r -a fields <<<"$(od -An -v -t d4 -w40 "$cfg")"
[ "${fields[0]}" = 100 ] || fail "Brumlet.cfg version is ${fields[0]}"
{ [ "${fields[1]}" != 600 ] && [ "${fields[2]}" != 400 ]; } || fail "the new size was not stored (${fields[1]} x ${fields[2]})"
[ "${fields[*]:3}" = "200 48 90 100 100 200 200" ] || fail "column widths stored as ${fields[*]:3}"
start_program "$work/app"
# The window manager may place the window after it is shown: wait for the stored size.
same_size() { after=$(xdotool getwindowgeometry "$main" | grep Geometry) && [ "$before" = "$after" ]; }
wait_until same_size || fail "the second start opened at $after, not $before"
shot "06-restarted"
keys_to "$main" Escape
wait_program_end || fail "Esc did not close the main window"
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
dialog=$(wait_window "$open_title") || fail "Ctrl+O opened no open dialog"
fill_box "$dialog" "$(winpath "$work/music/Café song.wav")"
keys_to "$dialog" Return
wait_gone "$open_title" || fail "the add-files dialog did not close"
sleep 0.5  # for the screenshot only
shot "08-cafe-added"
# The short names Wine gave the two files, from a directory listing in Unicode: the
# field before the long name (the time takes one field or two, by the locale).
wine cmd /u /c "dir /x $music > $(winpath "$work/dir.txt")" >>"$work/wine.log" 2>&1 || true
short=$(iconv -f UTF-16LE -t UTF-8 "$work/dir.txt" | tr -d '\r' | awk '/ Café song\.wav$/ {print $(NF - 2)}')
plain=$(iconv -f UTF-16LE -t UTF-8 "$work/dir.txt" | tr -d '\r' | awk '/ Cafe song\.wav$/ {print $(NF - 2)}')
{ [ -n "$short" ] && [ "$short" != "$plain" ]; } || fail "no short name for Café song.wav in the listing"
calls_before=$(grep -c . "$record" 2>/dev/null || true)
keys_to "$main" Return
question=$(wait_window '^Brumlet$') || fail "Enter did not ask the encoding question"
keys_to "$question" Return
if [ "$japanese" = 0 ]; then
  # One block: the file is listed once, by its short path.
  check_stopped_script "echo ■ 1曲中 1曲目 : 
echo $short をエンコードしています…
echo フルパス = $music\\$short
cscript.exe wmcmd.vbs -audioonly -input \"$music\\$short\" -output \"$music\\${short%.*}.wma\" -title \"Cafe song\" $script_tail" \
    "the script for Café song.wav differs from the expected bytes" "08-console"
else
  console=$(wait_window 'te4w45iti4r2mp') || fail "no console window ran the script"
  # Wait for the new call's line, complete with its line end.
  new_call() { [ "$(grep -c $'\r$' "$record" || true)" -gt "$calls_before" ]; }
  wait_until new_call || fail "the encoder was not called for Café song.wav"
  shot "08-console"
  got=$(tail -n 1 "$record" | iconv -f CP932 -t UTF-8 | tr -d '\r')
  want="[-audioonly][-input][$music\\$short][-output][$music\\${short%.*}.wma][-title][Cafe song]$tail"
  [ "$got" = "$want" ] || fail "the encoder got $got, not $want"
  close_console "$console" 'te4w45iti4r2mp' || fail "the console did not close after the pause"
fi
# The file added is not saved: Esc asks first, and Yes closes.
close_answering_yes "08-close-question"
wait_program_end || fail "Yes to the closing question did not close the main window"
[ -f "$cafe_app/Brumlet.cfg" ] || fail "no Brumlet.cfg in the program's own folder"
encoded="encoded"
[ "$japanese" = 1 ] || encoded="written into the script once"
echo "e2e: step 8 passed (Café song.wav added by its short path $short through the open dialog and $encoded; state kept in the program's folder)"
echo "e2e: all steps passed"
