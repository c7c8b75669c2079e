# Sourced: the private Wine prefix and home of a test or demo run, created when missing.
#   MERVANTIS_RUN_DIR  where HOME and the prefix live (default: build/wine-run)
_here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export MERVANTIS_RUN_DIR=${MERVANTIS_RUN_DIR:-$_here/build/wine-run}
export HOME=$MERVANTIS_RUN_DIR/home
export WINEPREFIX=$MERVANTIS_RUN_DIR/prefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No desktop menus, no Mono or Gecko installers: the prefix stays private and quick to make.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-winemenubuilder.exe=d;mscoree=d;mshtml=d}
# zh_CN.UTF-8 makes the ANSI code page 936, the program's own.
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINE=/usr/lib/wine/wine64
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$HOME"
  "$WINE" wineboot -i >/dev/null 2>&1
  # The program asks for 宋体; the CJK font installed here stands in for it.
  cat > "$MERVANTIS_RUN_DIR/fonts.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"SimSun"="WenQuanYi Zen Hei"
"宋体"="WenQuanYi Zen Hei"
"NSimSun"="WenQuanYi Zen Hei"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="WenQuanYi Zen Hei"
"宋体"="WenQuanYi Zen Hei"
REG
  "$WINE" regedit "$MERVANTIS_RUN_DIR/fonts.reg" >/dev/null 2>&1
  "$WINE" wineserver -w
fi
unset _here
