# Sourced: an Xvfb screen of 1920 × 1080 × 24 for the program's windows.
start_xvfb() {
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  return 1
}
stop_xvfb() {
  [ -n "${WINEPREFIX:-}" ] && "${WINESERVER:-/usr/lib/wine/wineserver}" -k >/dev/null 2>&1
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  return 0
}
# The Windows path of a Unix path (Wine's Z: drive is /).
winepath_of() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
