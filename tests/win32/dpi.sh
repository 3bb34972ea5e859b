#!/usr/bin/env bash
# The window tests of scale (MainDialogDpi, DpiServices) at 96 and at 144 DPI, in a Wine
# prefix of their own whose LogPixels is set before each run: Wine 8 reads it from
# HKCU\Control Panel\Desktop (before the hardware profile's Software\Fonts), when each
# process starts. The tests compare what they see with the DPI named in
# BRUMLET_EXPECT_DPI, so a prefix that ignored the setting fails them.
# First, Brumlet.exe must not import any function of Windows 10 (it looks them up at run
# time), or it would not start on Windows 7.
# Usage: dpi.sh win32_tests.exe Brumlet.exe objdump prefix-folder
set -euo pipefail
tests="$1"
exe="$2"
objdump="$3"
root="$(cd "$(dirname "$0")/../.." && pwd)"

late=$("$objdump" -p "$exe" | grep -E -o '(GetDpiForWindow|GetSystemMetricsForDpi|AdjustWindowRectExForDpi|GetDpiForSystem|SetProcessDpiAwareness[A-Za-z]*)$' || true)
if [ -n "$late" ]; then
  echo "dpi: FAILED: Brumlet.exe imports functions Windows 7 lacks: $late" >&2
  exit 1
fi

export WINEPREFIX="$(realpath -m "$4")"
source "$root/scripts/wine-env"
brumlet_wine_prefix
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT  # nothing of this prefix outlives the test

status=0
for dpi in 96 144; do
  echo "=== $dpi DPI"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  BRUMLET_EXPECT_DPI=$dpi "$root/scripts/wine-exec" "$tests" --gtest_filter='MainDialogDpi.*:DpiServices.*' || status=1
done
exit "$status"
