# Sourced: the private Wine prefix and home of a test or demo run, created when missing.
#   MERVANTIS_RUN_DIR  where HOME and the prefix live (default: build/wine-run)
_here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export MERVANTIS_RUN_DIR=${MERVANTIS_RUN_DIR:-$_here/build/wine-run}
export HOME=$MERVANTIS_RUN_DIR/home
export WINEPREFIX=$MERVANTIS_RUN_DIR/prefix
export WINEARCH=${WINEARCH:-win64}
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop menus, no Mono or Gecko installers: the prefix stays private and quick to make.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
# zh_CN.UTF-8 makes the ANSI code page 936, the program's own.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINE=${WINE:-/usr/lib/wine/wine64}
export WINESERVER=${WINESERVER:-$(dirname "$WINE")/wineserver}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$HOME"
  "$WINE" wineboot -i >/dev/null 2>&1
  # The program asks for 宋体; the CJK font installed here stands in for it.
  for name in SimSun 宋体 NSimSun; do
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v "$name" /d "WenQuanYi Zen Hei" /f >/dev/null 2>&1
  done
  "$WINESERVER" -w
fi
# A second drive, D:, for the folder dialog's tests; Wine learns its drives when it starts.
if [ ! -e "$WINEPREFIX/dosdevices/d:" ]; then
  mkdir -p "$MERVANTIS_RUN_DIR/drive_d"
  ln -sfn "$MERVANTIS_RUN_DIR/drive_d" "$WINEPREFIX/dosdevices/d:"
fi
unset _here

# A wineserver that stays for the whole run, with Wine's services started away from any pipe:
# started by a program under a test runner, they would inherit its output pipe and keep the
# runner waiting for the end of that output long after the program has ended.
ensure_wine_services() {
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  "$WINE" wineboot </dev/null >/dev/null 2>&1
}
