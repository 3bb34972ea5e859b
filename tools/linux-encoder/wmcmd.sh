# Shell part of the Linux encoder for Brumlet.exe under Wine (wmcmd.vbs beside it).
#
# wmcmd.vbs copies this file into a fresh work folder under %TEMP%, and Wine starts
#   /bin/sh wmcmd.sh PROTOCOL WORK-NAME SOURCE OUTPUT [-metadata KEY=VALUE]...
# in that folder (SOURCE and OUTPUT as Windows paths). It finds the Unix paths through
# the prefix's drive mapping, has ffmpeg write the WMA file and leaves its result in
# the work folder for the script host:
#   result  UTF-16: status (ok or fail), detail (the duration in seconds or the
#           reason), and the Unix paths of source, temporary file and output;
#   alive   a named pipe. Once "started" appears the host opens it and says so by
#           creating "reading"; it keeps it open and reads nothing more. Every second
#           a byte goes in: a write that fails means nobody has it open any more (the
#           console was closed and Wine killed the host), and then this script stops
#           ffmpeg and removes the temporary file and the work folder.
#   done    a named pipe, which the host opens next: Wine's FileSystemObject reads
#           from a file as it opens it, so the open returns only when this script
#           writes its last line, "done", or ends.
# Both pipes are held open for reading and writing by this script until it has written
# its last line: the host's open then never waits for a writer (Wine's server opens the
# file, and must never block). Wine cannot delete a named pipe, so this script does.
# Everything it reports uses paths relative to the work folder, which is its current
# folder: even a shell that cannot find the drive mapping reports why.
#
# Kept ASCII like wmcmd.vbs.

trap finish EXIT
trap 'detail="the encoding was interrupted"; exit 1' HUP INT TERM
# A write into the pipe nobody reads fails (and says the host is gone) instead of killing.
trap '' PIPE
set -u

# Changed together with wmcmd.vbs whenever the arguments between the two change.
protocol=wmcmd-2
status=fail detail="the encoding process ended early"
here= host=starting source= temporary= output= ffpid= watcher= committed=
main=$$

fail() {
  detail=$1
  exit 1
}

# Runs on every exit: ffmpeg ends, the temporary file goes, and the result reaches the
# host (or, with the host gone, the work folder goes too).
finish() {
  trap '' HUP INT TERM
  if [ -n "$watcher" ]; then
    kill "$watcher" 2>/dev/null
    wait "$watcher" 2>/dev/null
  fi
  if [ -n "$ffpid" ]; then
    # Its own process group (setsid); the process itself too, in case it had not made
    # the group yet.
    kill -TERM "-$ffpid" "$ffpid" 2>/dev/null
    wait "$ffpid" 2>/dev/null
  fi
  [ -z "$temporary" ] || [ -n "$committed" ] || rm -f -- "$temporary"
  # A shell that is not in its work folder has nowhere to report to.
  [ -n "$here" ] || return 0
  report
}

report() {
  if [ "$host" != gone ]; then
    { printf '\377\376'; printf '%s\n' "$status" "$detail" "$source" "$temporary" "$output" |
        iconv -c -f UTF-8 -t UTF-16LE; } > result.new && mv -f result.new result
    rm -f started ffmpeg.log mktemp.log mv.log alive done
    # A host that has not opened the pipes yet finds them gone and reads the result.
    if [ "$host" = reading ]; then
      printf '\n' >&3 2>/dev/null || host=gone
    fi
    [ "$host" = gone ] || printf 'done\n' >&6
  fi
  if [ "$host" = gone ]; then
    cd .. && rm -rf -- "./$here"
  fi
}

# Runs beside ffmpeg: a byte into "alive" every second. When the write fails the
# host is gone, and this shell is stopped (its trap cleans up); when this shell itself
# was killed outright, the watcher does its cleaning.
watch() {
  trap - HUP INT TERM
  while sleep 1; do
    if ! kill -0 "$main" 2>/dev/null; then
      watcher= detail="the encoding process was killed"
      finish
      exit 0
    fi
    printf '\n' >&3 2>/dev/null || { kill -TERM "$main"; exit 0; }
  done
}

# The Unix path of a Windows path (a drive or UNC path) through the prefix's drive
# mapping. Each component that exists is taken in its real case: Windows names
# ignore case, Unix names do not.
unix_path() {
  p=$1
  case $p in
    [A-Za-z]:\\*) dir=$dosdevices/$(printf %s "${p%%:*}" | tr A-Z a-z):; p=${p#??} ;;
    \\\\?*) dir=$dosdevices/unc; p=${p#??} ;;
    *) return 1 ;;
  esac
  IFS=/
  set -f
  for c in $(printf %s "$p" | tr '\\' /); do
    [ -n "$c" ] || continue
    if [ ! -e "$dir/$c" ] && [ -d "$dir" ]; then
      pattern=$(printf %s "$c" | sed 's/[][*?\\]/\\&/g')
      match=$(find -H "$dir" -mindepth 1 -maxdepth 1 -iname "$pattern" -print -quit 2>/dev/null)
      [ -n "$match" ] && c=${match##*/}
    fi
    dir=$dir/$c
  done
  unset IFS
  set +f
  printf '%s\n' "$dir"
}

# --- The work folder: the host started this shell in it, under the name it passes. ---
[ $# -ge 4 ] || exit 1
cwd=$(pwd -P) && [ "${cwd##*/}" = "$2" ] && [ -f wmcmd.sh ] || exit 1
here=$2
mkfifo alive done || fail "cannot make a named pipe in the work folder"
exec 4<>alive 6<>done
# The host's open of "alive" returns when there is something to read.
printf '\n' >&4
: > started
tries=0
until [ -e reading ]; do
  if [ "$tries" -ge 600 ]; then  # 60 s: the host is gone
    host=gone
    exit 1
  fi
  sleep 0.1
  tries=$((tries + 1))
done
# Now the host is the only reader of "alive".
exec 3>alive 4<&-
host=reading

[ "$1" = "$protocol" ] || fail "wmcmd.sh does not match wmcmd.vbs (install both again with install.sh)"
source_win=$3 output_win=$4
shift 4
# Only tag options come after the paths: anything else means the command line was split
# differently from what the host meant.
n=0
for a in "$@"; do
  if [ $((n % 2)) -eq 0 ]; then
    [ "$a" = -metadata ] || fail "unexpected argument $a (the command line was split wrongly)"
  else
    case $a in
      title=* | author=* | copyright=* | comment=*) ;;
      *) fail "unexpected tag $a (the command line was split wrongly)" ;;
    esac
  fi
  n=$((n + 1))
done
[ $((n % 2)) -eq 0 ] || fail "a -metadata without its value"

# The prefix as Wine finds it: WINEPREFIX, or .wine in the home folder.
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
dosdevices=${WINEPREFIX:-$home/.wine}/dosdevices
[ -d "$dosdevices" ] || fail "no drive mapping at $dosdevices (is WINEPREFIX set?)"

source=$(unix_path "$source_win") || fail "no Unix path for $source_win"
output=$(unix_path "$output_win") || fail "no Unix path for $output_win"
ffmpeg=$(command -v ffmpeg) || fail "ffmpeg not found: install FFmpeg (Debian package ffmpeg)"
[ -d "$output" ] && fail "the output $output_win is a folder"
[ "$source" -ef "$output" ] && fail "the output is the source"

# The temporary file: a new name of its own (created exclusively, never through a link),
# held open as fd 5. ffmpeg and ffprobe reach it as /dev/fd/5, the file itself, so a
# link put at its name later changes nothing; the name is checked again before the rename.
temporary=$(mktemp -p "${output%/*}" .wmcmd-XXXXXXXXXX 2>mktemp.log) ||
  fail "$output_win: cannot create a file in its folder ($(sed -n '1s/.*: //p' mktemp.log))"
exec 5>>"$temporary"
same_file() { [ -f "$temporary" ] && [ ! -L "$temporary" ] && [ "$temporary" -ef /dev/fd/5 ]; }
same_file || fail "the temporary file $temporary was replaced"
# mktemp makes it private; the output gets the permissions any new file would.
chmod "$(umask -S | tr -d x)" /dev/fd/5

# ffmpeg reads the source only as WAV (by its header, whatever its name), in a process
# group of its own, so that it ends with this shell.
# The ASF muxer never splits an audio frame across packets: its default packet of
# 3200 bytes would hold one 1857-byte frame and padding. 1885 bytes is one frame and
# the packet's headers, which keeps the file at its 320 kbit/s.
setsid "$ffmpeg" -nostdin -hide_banner -loglevel error -y -f wav -i "file:$source" \
  -map 0:a:0 -map_metadata -1 -c:a wmav2 -b:a 320k -ar 44100 -ac 2 "$@" \
  -f asf -packet_size 1885 file:/dev/fd/5 </dev/null >/dev/null 2>ffmpeg.log 3>&- 6>&- &
ffpid=$!
watch 5>&- &
watcher=$!
wait "$ffpid"
code=$?
ffpid=
if [ "$code" -ne 0 ]; then
  # The line that names a file says what was wrong with it; otherwise the first one.
  why=$(grep '^file:' ffmpeg.log | tail -n 1)
  [ -n "$why" ] || why=$(grep -v '^[[:space:]]*$' ffmpeg.log | head -n 1)
  fail "${why:-ffmpeg ended with exit code $code}"
fi
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 file:/dev/fd/5 2>/dev/null)
same_file || fail "the temporary file $temporary was replaced"

# The rename is the last step: from here on, nothing stops it.
trap '' HUP INT TERM
kill "$watcher" 2>/dev/null
wait "$watcher" 2>/dev/null
watcher=
mv -f -T -- "$temporary" "$output" 2>mv.log || fail "$(head -n 1 mv.log)"
committed=1
status=ok detail=$duration
exit 0
