#!/usr/bin/env bash
# Installs an encoder script as wmcmd.vbs where Brumlet.exe looks for the encoder in a
# Wine prefix: the Encoder folder under both program-files folders (the 32-bit program
# uses "Program Files (x86)", the 64-bit one "Program Files"), with the Linux encoder's
# shell part wmcmd.sh beside it. A wmcmd.vbs already there is replaced only when it is
# one of ours, recognised by its first line: this Linux encoder or the recording
# stand-in of the tests. Any other encoder stays as it is, and nothing is put beside it.
#
# Usage: install.sh PREFIX [SCRIPT]   (SCRIPT: default the Linux encoder beside this file)
# Prints one line per folder: "installed <path>" or "kept <path>" (an encoder not ours).
set -euo pipefail
prefix="$1"
here="$(cd "$(dirname "$0")" && pwd)"
script="${2:-$here/wmcmd.vbs}"

# The first lines that mark our encoders.
is_ours() {
  local first
  first="$(head -n 1 "$1" 2>/dev/null || true)"
  case "$first" in
    *"Linux encoder for Brumlet.exe under Wine"* | *"Stand-in for the encoder"*) return 0 ;;
  esac
  return 1
}

# Each file through a temporary one renamed over it, so a console starting meanwhile
# reads the old file or the new one, never half of one.
put() {  # source target
  cp "$1" "$2.new"
  mv -f "$2.new" "$2"
}

for pf in "Program Files" "Program Files (x86)"; do
  dir="$prefix/drive_c/$pf/Windows Media Components/Encoder"
  target="$dir/wmcmd.vbs"
  if [ -e "$target" ] && ! is_ours "$target"; then
    echo "kept $target"
    continue
  fi
  mkdir -p "$dir"
  # The shell part first: a new wmcmd.vbs always finds its own beside it. (An old
  # wmcmd.vbs with a new shell part is refused by the shell part, loudly.)
  put "$here/wmcmd.sh" "$dir/wmcmd.sh"
  put "$script" "$target"
  echo "installed $target"
done
