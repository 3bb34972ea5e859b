#!/usr/bin/env bash
# End-to-end test of real encoding on Linux: the real Brumlet.exe in a fresh Wine
# prefix with the Linux encoder (tools/linux-encoder) installed by its installer,
# driven only by X input. A list file written in code page 932 is loaded through the
# open dialog, the encoding runs in the real console with Wine's cmd.exe and
# cscript.exe, and the WMA files are checked with ffprobe, the console through its own
# copy command. Usage: encode.sh path/to/Brumlet.exe work-folder screenshot-folder
# Needs DISPLAY with a window manager (scripts/with-display), ffmpeg and ffprobe.
set -euo pipefail
exe="$(realpath -m "$1")"
work="$(realpath -m "$2")"
shots="$(realpath -m "$3")"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"

test_name=encode
source "$here/lib.sh"
fresh_work_folder
export WINEPREFIX="$work/prefix"
source "$root/scripts/wine-env"

# The console's open popup menus: its windows without a name.
console_menus() {
  local n=0 w
  for w in $(xdotool search --onlyvisible --classname '^conhost\.exe$' 2>/dev/null); do
    [ -n "$(xdotool getwindowname "$w" 2>/dev/null)" ] || n=$((n + 1))
  done
  echo "$n"
}
menus_open() { [ "$(console_menus)" = "$1" ]; }
menus_below() { [ "$(console_menus)" -lt "$1" ]; }
# count: waits until that many console menus are open. A menu that does not come is
# given up sooner than the limit: the caller closes what is open and tries again.
wait_menus() { limit=20 wait_until menus_open "$1"; }
# Closes the open console menus one Escape at a time, each sent only while a menu is
# open: an Escape reaching the console itself would answer the script's pause.
close_menus() {
  local n
  n=$(console_menus)
  while [ "$n" -gt 0 ]; do
    xdotool key Escape
    limit=20 wait_until menus_below "$n" || return 1
    n=$(console_menus)
  done
}
# Chooses Edit > (item key) from the console's context menu. Each key is sent only once
# its menu is open: a key reaching the console itself would answer the script's pause.
console_edit() {
  local id="$1" key="$2" try
  eval "$(xdotool getwindowgeometry --shell "$id")"
  take_focus "$id"
  # The pointer comes in from beside the middle before each right-click, so the console
  # sees it arrive: a click where the pointer already was, just after a menu went, often
  # opened nothing. A click that opens no menu is sent again while none is open. (No
  # --sync: it waits for a motion that never comes when the pointer is there already.)
  for try in 1 2 3 4 5; do
    xdotool mousemove $((X + WIDTH / 2 - 8 * try)) $((Y + HEIGHT / 2 - 8 * try)) \
      mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
    limit=4 wait_until menus_open 1 && break
    [ "$(console_menus)" = 0 ] || break
  done
  if ! menus_open 1; then
    close_menus
    return 1
  fi
  xdotool key e
  if ! wait_menus 2; then
    close_menus
    return 1
  fi
  xdotool key "$key"
  wait_menus 0
}
# The console's text through Edit > Select all and Edit > Copy and the X clipboard.
# Prints nothing when the copy did not arrive.
console_text() {
  console_edit "$1" s && console_edit "$1" c || return 0
  /usr/bin/python3 "$here/clipboard_text.py" 2>/dev/null || true
}
# What ffprobe tells of a file, one key=value line each (tags as TAG:name=value).
probe() {
  ffprobe -v error -of default=nw=1 -show_entries \
    format=format_name,duration:format_tags=title,artist,copyright,comment:stream=codec_name,sample_rate,channels "$1"
}
field() { sed -n "s/^$2=//p" <<<"$1" | head -n 1; }  # probe-output key: its value

# --- The scene. ---
command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null || fail "ffmpeg and ffprobe are needed (scripts/setup)"
brumlet_wine_prefix
cp "$exe" "$work/app/Brumlet.exe"
# A second drive letter for the music folder: paths on any drive are encoded.
ln -s "$work/music" "$WINEPREFIX/dosdevices/m:"
# Consoles 200 columns wide, so that no console line is wrapped.
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Console]\r\n"ScreenBufferSize"=dword:012c00c8\r\n' > "$work/console.reg"
wine regedit /S "$work/console.reg" >/dev/null 2>&1 || fail "the console settings were not taken"

# The installer replaces the tests' stand-in with the Linux encoder in the folder the
# program under test uses, and keeps an encoder that is not ours in the other one.
encoder=$(brumlet_encoder_folder "$exe")
other="$WINEPREFIX/drive_c/Program Files (x86)/Windows Media Components/Encoder"
[ "$encoder" != "$other" ] || other="$WINEPREFIX/drive_c/Program Files/Windows Media Components/Encoder"
mkdir -p "$encoder" "$other"
cp "$here/wmcmd.vbs" "$encoder/wmcmd.vbs"
echo "' another encoder" > "$other/wmcmd.vbs"
"$root/tools/linux-encoder/install.sh" "$WINEPREFIX" >/dev/null
cmp -s "$encoder/wmcmd.vbs" "$root/tools/linux-encoder/wmcmd.vbs" || fail "the installer did not replace the stand-in"
[ "$(cat "$other/wmcmd.vbs")" = "' another encoder" ] || fail "the installer replaced an encoder that is not ours"
echo "encode: installer passed (stand-in replaced, another encoder kept)"

# Sources: tones of 44.1 kHz, 16-bit stereo (one with a Japanese name), one of 48 kHz
# mono listed with its name in other case, and a text file named .wav.
tone() {  # file seconds rate channels
  ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=$3:duration=$2" \
    -ac "$4" -c:a pcm_s16le -fflags +bitexact "$1"
}
tone "$work/music/one.wav" 3 44100 2
tone "$work/music/曲テスト.wav" 2 44100 2
tone "$work/music/mono48.wav" 1.5 48000 1
# A name beyond code page 932: the program passes its 8.3 form, which only Wine knows.
mkdir "$work/music/노래"
tone "$work/music/노래/노래.wav" 2 44100 2
echo "this is not audio" > "$work/music/notes.wav"
# Rows whose save path the encoder must refuse: an existing folder and a folder in
# which no file can be made. The same folder with a backslash at its end is refused by
# the program itself (the script host would read the backslash and the closing quote as
# a quote and take the options after it into the value).
mkdir "$work/music/out"
for name in to-folder to-slash to-proc hostile new-folder; do cp "$work/music/one.wav" "$work/music/$name.wav"; done
# Tags ending in backslashes, and an -output hidden in a tag between them: aimed at a
# file of the user's that the run must leave alone.
echo "the user's own file" > "$work/music/victim.wav"
music="$(winpath "$work/music")"

# The list: path, quality, title, author, copyright, description, save path. The tags
# of the three audio rows must reach their files whole; only '"' changes, into the
# full-width quote, on the way through the script.
titles=('Tone "A" & B' '曲 100% テスト' 'Mono' 'T\')
authors=('テスト太郎' '作者 & 50%' '' 'x\')
copyrights=('(C) 2024 &%PATH%' '' '著作権なし' " -output $music\\victim.wav -description ")
descriptions=('説明 "quoted"' '' '' '')
csv() { local s="${1//\"/\"\"}"; case "$1" in *[,\"]*) echo "\"$s\"" ;; *) echo "$1" ;; esac; }
{
  echo "ファイル名,品質,タイトル,コンテンツ作成者,著作権,説明"
  row=0
  for path in "$music\\one.wav" "$music\\notes.wav" "M:\\曲テスト.wav" "$music\\MONO48.WAV" "$music\\hostile.wav"; do
    if [ "$path" = "$music\\notes.wav" ]; then echo "$path,100,notes,,,,"; continue; fi
    echo "$path,100,$(csv "${titles[row]}"),$(csv "${authors[row]}"),$(csv "${copyrights[row]}"),$(csv "${descriptions[row]}"),"
    row=$((row + 1))
  done
  echo "$music\\to-folder.wav,100,,,,,$music\\out"
  echo "$music\\to-slash.wav,100,,,,,$music\\out\\"
  echo "$music\\to-proc.wav,100,,,,,Z:\\proc\\to-proc.wma"
  # A folder that does not exist yet: made before the script runs.
  echo "$music\\new-folder.wav,100,,,,,$music\\新しい\\アルバム\\new.wma"
} | iconv -f UTF-8 -t CP932 | sed 's/$/\r/' > "$work/list.csv"

# --- Load the list through the open dialog, then Enter, Enter (Yes). ---
start_program "$work/app"
keys_to "$main" ctrl+shift+o
dialog=$(wait_window '^開く$') || fail "Ctrl+Shift+O opened no open dialog"
fill_box "$dialog" "$(winpath "$work/list.csv")"
keys_to "$dialog" Return
wait_gone '^開く$' || fail "the open dialog did not close"
eval "$(xdotool getwindowgeometry --shell "$main")"
"$here/xdnd_drop.py" "$main" $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) "$work/music/노래/노래.wav" \
  || fail "the window took no X drop"
shot "01-list"
keys_to "$main" Return
question=$(wait_window '^Brumlet$') || fail "Enter did not ask the encoding question"
keys_to "$question" Return
# The save path ending in a backslash is refused in a message box of its own.
other_box() { local id; id=$(visible_window '^Brumlet$') && [ "$id" != "$question" ] && echo "$id"; }
refusal=$(wait_until other_box) || fail "the save path ending in a backslash was not refused"
keys_to "$refusal" Return
console=$(wait_window 'te4w45iti4r2mp') || fail "no console window ran the script"

# --- The console shows one line per file; the failed row leaves no file. ---
sources=("$work/music/one.wav" "$work/music/曲テスト.wav" "$work/music/mono48.wav" "$work/music/hostile.wav"
  "$work/music/new-folder.wav")
outputs=("$work/music/one.wma" "$work/music/曲テスト.wma" "$work/music/MONO48.wma" "$work/music/hostile.wma"
  "$work/music/新しい/アルバム/new.wma")
shown=("$music\\one.wma" "M:\\曲テスト.wma" "$music\\MONO48.wma" "$music\\hostile.wma" "$music\\新しい\\アルバム\\new.wma")
# The list is kept sorted by path, so notes.wav comes before one.wav. The whole run
# may take minutes on a busy machine: every Wine script host starts slowly.
all_written() { [ -e "${outputs[0]}" ] && [ -e "${outputs[1]}" ] && [ -e "${outputs[2]}" ] && [ -e "${outputs[3]}" ] &&
  [ -e "${outputs[4]}" ] &&
  compgen -G "$work/music/노래/*.wma" >/dev/null; }
limit=300 wait_until all_written || true
for i in 0 1 2 3 4; do [ -e "${outputs[i]}" ] || fail "${outputs[i]} was not written"; done
korean=$(compgen -G "$work/music/노래/*.wma") || fail "the file dropped by its 8.3 path was not encoded"
[ "$(field "$(probe "$korean")" codec_name)" = wmav2 ] || fail "$korean is not wmav2"
expected=()
probed=()
for i in 0 1 2 3 4; do
  probed[i]=$(probe "${outputs[i]}")
  kb=$((($(stat -c %s "${outputs[i]}") + 1023) / 1024))
  seconds=$(field "${probed[i]}" duration | awk '{ printf "%d", $1 + 0.5 }')
  expected+=("エンコードしました: ${shown[i]} ($kb KB, $((seconds / 60)):$(printf %02d $((seconds % 60))))")
done
for name in notes to-folder to-proc; do expected+=("エンコードできませんでした: $music\\$name.wav"); done
text=""
console_shows_all() {
  text=$(console_text "$console")
  local line
  for line in "${expected[@]}"; do grep -qxF "$line" <<<"$text" || return 1; done
}
limit=300 wait_until console_shows_all || true  # the checks below name what is missing
shot "02-console"
printf '%s\n' "$text" > "$work/console.txt"
for line in "${expected[@]}"; do
  grep -qxF "$line" <<<"$text" || fail "the console does not show: $line (it shows: $text)"
done
# Wine names the dropped file on the drive it chooses, so only the line's end is known.
grep -x "エンコードしました: .*" <<<"$text" \
  | grep -qF "\\노래\\${korean##*/} ($((($(stat -c %s "$korean") + 1023) / 1024)) KB, 0:02)" \
  || fail "the console does not show the file dropped by its 8.3 path"
reason() { grep -A1 -xF "エンコードできませんでした: $music\\$1.wav" <<<"$text" | tail -n 1; }
reason notes | grep -qF "$music\\notes.wav: Invalid data found when processing input" || fail "no reason for notes.wav"
reason to-folder | grep -qF "$music\\out is a folder" || fail "no reason for the folder output"
grep -qF "to-slash" <<<"$text" && fail "the save path ending in a backslash reached the encoder"
[ "$(cat "$work/music/victim.wav")" = "the user's own file" ] || fail "the tags ending in backslashes overwrote victim.wav"
reason to-proc | grep -qF "Z:\\proc\\to-proc.wma: " || fail "no reason for the folder that cannot be written"
[ ! -e "$work/music/notes.wma" ] || fail "the failed row left an output file"
[ -z "$(ls -A "$work/music/out")" ] || fail "a refused row wrote into the folder it named"
leftovers=$(find "$work/music" "$WINEPREFIX/drive_c/users" -name '.wmcmd-*' -o -name 'wmcmd-*' | head -n 3)
[ -z "$leftovers" ] || fail "temporary files were left: $leftovers"
echo "encode: console passed (five files encoded, one into a folder the run made; the text file and two refused save paths reported with their reasons; the file hostile tags aimed at unchanged)"

# --- The files: wmav2, 44.1 kHz stereo, the source's duration, the list's tags. ---
for i in 0 1 2 3; do
  out="${outputs[i]}" info="${probed[i]}"
  [ "$(field "$info" format_name)" = asf ] || fail "$out is not ASF"
  [ "$(field "$info" codec_name)" = wmav2 ] || fail "$out is not wmav2"
  [ "$(field "$info" sample_rate)" = 44100 ] || fail "$out is not 44.1 kHz"
  [ "$(field "$info" channels)" = 2 ] || fail "$out is not stereo"
  awk -v a="$(field "$info" duration)" -v b="$(field "$(probe "${sources[i]}")" duration)" \
    'BEGIN { d = a - b; exit !(d < 0.1 && d > -0.1) }' || fail "$out does not last as long as its source"
  for tag in "title:${titles[i]}" "artist:${authors[i]}" "copyright:${copyrights[i]}" "comment:${descriptions[i]}"; do
    want="${tag#*:}"
    want="${want//\"/＂}"
    while [[ "$want" == *'\' ]]; do want="${want%'\'}"; trail="＼${trail:-}"; done
    want="$want${trail:-}" trail=""
    got=$(field "$info" "TAG:${tag%%:*}")
    [ "$got" = "$want" ] || fail "$out: tag ${tag%%:*} is '$got', the list gives '$want'"
  done
done
[ "$(field "${probed[4]}" codec_name)" = wmav2 ] || fail "${outputs[4]} is not wmav2"
echo "encode: files passed (wmav2, 44.1 kHz stereo, durations, tags with Japanese, &, %, quotes and trailing backslashes)"

close_console "$console" 'te4w45iti4r2mp' || fail "the console did not close after the pause"
# The dropped file is not saved in the list: Esc asks first, and Yes closes.
close_answering_yes "03-close-question"
wait_gone '^Kestova$' || fail "Yes to the closing question did not close the main window"
wineserver -w  # the prefix's server ends too, so that nothing is left running
echo "encode: all steps passed"
