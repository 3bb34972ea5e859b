#!/usr/bin/env bash
# End-to-end test of reading the WAV files' own tags in the real Brumlet.exe: WAV files
# tagged by FFmpeg (which writes -metadata as a RIFF INFO chunk), a list with typed cells
# loaded through the open dialog, every row selected, Ctrl+R, the report closed, and the
# list saved through the save dialog and compared byte for byte.
# Usage: tags.sh path/to/Brumlet.exe work-folder screenshot-folder
# Needs DISPLAY with a window manager (scripts/with-display) and ffmpeg.
set -euo pipefail
exe="$(realpath -m "$1")"
work="$(realpath -m "$2")"
shots="$(realpath -m "$3")"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"

command -v ffmpeg >/dev/null || { echo "tags: FAILED: ffmpeg is not installed (scripts/setup installs it)" >&2; exit 1; }
test_name=tags
source "$here/lib.sh"
fresh_work_folder
export WINEPREFIX="$work/prefix"
source "$root/scripts/wine-env"
brumlet_wine_prefix

# Opens (Ctrl+Shift+O, "開く") or saves (Ctrl+S, "名前を付けて保存") through the real dialog.
file_dialog() {
  local keys="$1" caption="$2" path="$3" dialog
  keys_to "$main" "$keys"
  dialog=$(wait_window "^$caption\$") || fail "$keys opened no dialog"
  fill_box "$dialog" "$(winpath "$path")"
  keys_to "$dialog" Return
  wait_gone "^$caption\$" || fail "the $caption dialog did not close"
}

# --- The files: two tagged by FFmpeg, one without tags, one listed but missing. ---
tone=(-v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=0.5" -ac 2)
ffmpeg "${tone[@]}" -metadata title="朝の歌" -metadata artist="テスト花子" \
  -metadata copyright="(C) 2004 Kestova" -metadata comment="Live, take 2" "$work/music/t1.wav"
ffmpeg "${tone[@]}" -metadata title="Second" "$work/music/t2.wav"
ffmpeg "${tone[@]}" -map_metadata -1 "$work/music/t3.wav"
grep -q INFO "$work/music/t1.wav" || fail "ffmpeg wrote no INFO chunk"
music="$(winpath "$work/music")"
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$music\\t1.wav,100,t1,typed,,,"
  echo "$music\\t2.wav,100,t2,typed author,(C) typed,,D:\\out\\t2.wma"
  echo "$music\\t3.wav,100,t3,,,kept,"
  echo "$music\\missing.wav,100,missing,,,,"
} | iconv -f UTF-8 -t CP932 | crlf > "$work/list.csv"

cp "$exe" "$work/app/Brumlet.exe"
start_program "$work/app"

# --- Load the list, select every row, Ctrl+R: one report, closed with Enter. ---
file_dialog ctrl+shift+o "開く" "$work/list.csv"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --sync $((X + 40)) $((Y + HEIGHT - 60)) click 1  # empty list area: focus, no selection
keys_to "$main" Home shift+End
keys_to "$main" ctrl+r
report=$(wait_window '^Brumlet$') || fail "Ctrl+R showed no report"
sleep 0.5  # for the screenshot only
shot "tags-report"
keys_to "$report" Return
wait_gone '^Brumlet$' || fail "the report did not close"
shot "tags-read"

# --- Save and compare: tags where the files have them, every other cell as typed. ---
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$music\\missing.wav,100,missing,,,,"
  echo "$music\\t1.wav,100,朝の歌,テスト花子,(C) 2004 Kestova,\"Live, take 2\","
  echo "$music\\t2.wav,100,Second,typed author,(C) typed,,D:\\out\\t2.wma"
  echo "$music\\t3.wav,100,t3,,,kept,"
} | iconv -f UTF-8 -t CP932 | crlf > "$work/expected.csv"
file_dialog ctrl+s "名前を付けて保存" "$work/saved.csv"
wait_file "$work/saved.csv" || fail "Ctrl+S saved nothing"
same_list "$work/saved.csv" "$work/expected.csv" "the saved list does not hold the tags read"
echo "tags: tags of two FFmpeg files read with Ctrl+R, typed cells kept, list saved byte for byte"

# --- Drops from X (the XDND protocol, as a file manager does): a folder tree with a
#     Japanese subfolder, then a folder and a file together, then a list file. ---
drop="$work/drop"
mkdir -p "$drop/album/ディスク２" "$drop/more"
for f in album/01.wav album/ディスク２/02.WAV more/03.wav loose.wav; do printf 'RIFF\0\0\0\0WAVE' > "$drop/$f"; done
echo cover > "$drop/album/cover.jpg"
d="$(winpath "$drop")"
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$d\\extra.wav,100,Extra,作者,,,"
} | iconv -f UTF-8 -t CP932 | crlf > "$drop/extra.csv"
x_drop() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  "$here/xdnd_drop.py" "$main" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$@" || fail "the window took no X drop of $*"
}
# Wine posts the dropped names to the window before it finishes the drop, so the window
# has added them before it takes the keys of the save below.
x_drop "$drop/album"
x_drop "$drop/more" "$drop/loose.wav"
x_drop "$drop/extra.csv"
sleep 0.5  # for the screenshot only
shot "tags-dropped"
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  echo "$d\\album\\01.wav,100,01,,,,"
  echo "$d\\album\\ディスク２\\02.WAV,100,02,,,,"
  echo "$d\\extra.wav,100,Extra,作者,,,"
  echo "$d\\loose.wav,100,loose,,,,"
  echo "$d\\more\\03.wav,100,03,,,,"
  tail -n +2 "$work/expected.csv" | iconv -f CP932 -t UTF-8 | tr -d '\r'
} | iconv -f UTF-8 -t CP932 | crlf > "$work/expected-dropped.csv"
file_dialog ctrl+s "名前を付けて保存" "$work/dropped.csv"
wait_file "$work/dropped.csv" || fail "Ctrl+S saved nothing"
same_list "$work/dropped.csv" "$work/expected-dropped.csv" "the dropped folders, file and list file were not taken as expected"
keys_to "$main" Escape
wait_program_end || fail "Esc did not close the main window"
echo "tags: passed (and X drops of a folder tree with a Japanese subfolder, a folder with a file, and a list file)"
