# Sourced by the end-to-end tests: waiting for windows, files and the keyboard focus,
# keys sent to a window once it has the focus, text put into a box through the X
# clipboard and read back, and the program started in a folder.
# The test sets before sourcing: test_name (the prefix of its messages), shots (the
# screenshot folder), here (the folder of these scripts), work (its work folder).
#
# Every step waits for its effect (a window, a file, the focus, a box's text), never for
# a fixed time, and gives up after this many seconds: generous, for a busy machine.
limit=60

fail() {
  echo "$test_name: FAILED: $*" >&2
  shot "failure"
  drop_clipboard
  exit 1
}
shot() { import -window root "$shots/$1.png" 2>/dev/null || true; }
winpath() { local p="${1//\//\\}"; echo "Z:$p"; }
crlf() { sed 's/$/\r/'; }

# Runs the command until it succeeds; false after $limit seconds (for a longer wait:
# limit=300 wait_until ...).
wait_until() {
  local end=$((SECONDS + limit))
  while ! "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}
visible_window() {  # name-pattern: prints the id of the last visible window matching it
  local id
  id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 || true)
  [ -n "$id" ] && echo "$id"
}
# Waits for a visible window whose name matches $1; prints its id.
wait_window() { wait_until visible_window "$1"; }
no_window() { ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
wait_gone() { wait_until no_window "$1"; }
wait_file() { wait_until test -e "$1"; }

# Makes a window the active one and waits until it holds the keyboard focus: Wine
# takes the focus itself once it has seen the window manager's request, and keys sent
# before that would reach the window that had it.
has_focus() {
  xdotool windowactivate "$1" >/dev/null 2>&1 || xdotool windowfocus "$1" >/dev/null 2>&1 || true
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}
take_focus() { wait_until has_focus "$1" || fail "window $1 never took the keyboard focus"; }
# Sends keys to a window once it has the focus.
keys_to() {
  local id="$1"
  shift
  take_focus "$id"
  xdotool key --clearmodifiers "$@"
}

# --- Text through the clipboard ---
# Typing is not used for text: a character missing from the keyboard map is typed
# through a remapped key, and a busy Wine may read the key after the map has changed
# again ("テトト太郎" for "テスト太郎"). Pasted text arrives whole, and is read back.

clipboard_pid=""
clipboard_log=""
# Puts $1 on the X clipboard, served by clipboard_own.py in the background.
own_clipboard() {
  drop_clipboard
  clipboard_log=$(mktemp "$work/clipboard.XXXXXX")
  /usr/bin/python3 "$here/clipboard_own.py" "$1" >"$clipboard_log" 2>&1 &
  clipboard_pid=$!
  wait_until grep -qx owned "$clipboard_log" || fail "the X clipboard could not be taken"
}
# Ends the clipboard owner if it still runs (only while it is a running job of this shell).
drop_clipboard() {
  if [ -n "$clipboard_pid" ] && jobs -pr | grep -qx "$clipboard_pid"; then
    kill "$clipboard_pid" 2>/dev/null || true
  fi
  [ -z "$clipboard_pid" ] || wait "$clipboard_pid" 2>/dev/null || true
  clipboard_pid=""
}
owner_gone() { ! kill -0 "$clipboard_pid" 2>/dev/null; }
# Prints the text of the box that has the focus in window $1: the whole text selected
# and copied (Ctrl+C), which makes Wine the clipboard's owner, then read from the X
# clipboard. Fails (prints nothing) when nothing was copied: an empty box copies nothing.
box_text() {
  own_clipboard "-"  # a stand-in that goes once Wine has taken the copy
  keys_to "$1" Home shift+End ctrl+c
  if ! wait_until owner_gone; then
    drop_clipboard
    return 1
  fi
  clipboard_pid=""
  /usr/bin/python3 "$here/clipboard_text.py"
}
# Replaces the text of the box that has the focus in window $1 with $2: pasted with
# Ctrl+V over the whole text, then read back and pasted again until the box holds it.
fill_box() {
  local id="$1" text="$2" got="" attempt
  for attempt in 1 2 3 4 5; do
    own_clipboard "$text"
    keys_to "$id" Home shift+End ctrl+v
    # Wine asks for the text when the box pastes it.
    wait_until grep -qx served "$clipboard_log" || { got="(no paste)"; continue; }
    got=$(box_text "$id") || got="(nothing copied)"
    [ "$got" = "$text" ] && return 0
    echo "$test_name: the box held '$got' after pasting '$text'; pasting again" >&2
  done
  drop_clipboard
  fail "the box does not hold '$text' after $attempt pastes (it holds '$got')"
}

# Fails with $3 unless the saved list file $1 holds the bytes of $2, showing the lines
# that differ. The list is written beside its target and moved over it whole, so once the
# file is there it is complete.
same_list() {
  cmp -s "$1" "$2" && return 0
  diff <(iconv -f CP932 -t UTF-8 "$1" | cat -A) <(iconv -f CP932 -t UTF-8 "$2" | cat -A) >&2 || true
  fail "$3"
}

# Ends the closing pause of the console window $1 (its name matching $2) with a key and
# waits for every such console to go. A key that arrives before the pause reads keys is
# lost, so it is sent again while the console stays, up to the limit.
close_console() {
  local id="$1" name="$2" end=$((SECONDS + limit))
  while ! no_window "$name"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    if has_focus "$id"; then xdotool key --clearmodifiers space; fi
    limit=3 wait_gone "$name" && return 0
  done
}

# No process of the test's Wine prefix outlives the test, passed or failed: a console
# left at its pause would otherwise stay open on a display a later test may be given.
end_prefix() {
  [ "${WINEPREFIX:-}" = "$work/prefix" ] || return 0  # never the prefix the test was started in
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
trap end_prefix EXIT

# Makes the work folder afresh, once whatever a run before (killed, perhaps) left running
# in its Wine prefix has stopped.
fresh_work_folder() {
  if [ -d "$work/prefix" ]; then
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$work/prefix" wineserver -w 2>/dev/null || true
  fi
  rm -rf "$work"
  mkdir -p "$work/app" "$work/music" "$shots"
  rm -f "$shots"/*.png
}

# Starts Brumlet.exe in folder $1 and waits for its main window: sets main (the window)
# and program_pid.
start_program() {
  local folder="$1"
  # No terminal, so the script it launches gets a console window of its own.
  setsid bash -c 'cd "$1" && exec wine "$2"' _ "$folder" "$folder/Brumlet.exe" </dev/null >>"$work/wine.log" 2>&1 &
  program_pid=$!
  main=$(wait_window '^Kestova$') || fail "the main window did not appear"
  program_running || fail "the program's process cannot be followed"
}
program_running() { kill -0 "$program_pid" 2>/dev/null; }
# Esc in the main window of a list with changes not saved: waits for the question
# (caption "Brumlet", No its default), photographs it as $1 and answers Yes with its
# access key Y, which closes the window.
close_answering_yes() {
  local question
  keys_to "$main" Escape
  question=$(wait_window '^Brumlet$') || fail "Esc asked no question before closing a list with changes"
  sleep 0.5  # for the screenshot only
  shot "$1"
  keys_to "$question" y
}
# Waits for the program to end after the key that closes it.
wait_program_end() { wait_until eval '! program_running'; }
