# The real program's download of a 200 MB package from nginx on 127.0.0.1, from its process
# start until the installation controls show, against a bare loop of 10240-byte
# InternetReadFile calls writing to a file and against curl; the same server, one run, best
# of three each. Goal: the program within 1.10 times the bare loop.
set -euo pipefail
work=$MERVANTIS_RUN_DIR/download-bench
rm -rf "$work" && mkdir -p "$work/served/down/bench" "$work/program"
host=$(cat scripts/test-host)
head -c $((200 * 1024 * 1024)) /dev/urandom > "$work/served/down/bench/bench.zip"
cp build/win64/MervantisSetup.exe "$work/program/"
build/host/stamp "$work/program/MervantisSetup.exe" bench
bench=build/win64/bench/download_bench.exe
program_exe="Z:${work//\//\\}\\program\\MervantisSetup.exe"
loop_file="Z:${work//\//\\}\\loop.bin"
url="http://$host/down/bench/bench.zip"

/usr/bin/python3 - "$work" "${host##*:}" <<'PY' &
import sys, time, pathlib
sys.path.insert(0, "tests/servers")
from nginx_server import NginxServer
work = pathlib.Path(sys.argv[1])
with NginxServer(work / "served", work / "nginx", port=int(sys.argv[2])):
    (work / "nginx-ready").touch()
    while not (work / "done").exists():
        time.sleep(0.1)
PY
server=$!
trap 'touch "$work/done"; wait $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "$work/nginx-ready" ] && break; sleep 0.1; done

best() { sort -n | head -1; }
# "total shown": until the installation controls show, and until the window showed.
program=$(for _ in 1 2 3; do rm -f "$work/program/hq.zip"; $WINE "$bench" program "$program_exe"; done | best)
program_ms=${program% *} shown_ms=${program#* }
loop_ms=$(for _ in 1 2 3; do $WINE "$bench" loop "$url" "$loop_file"; done | best)
curl_ms=$(for _ in 1 2 3; do curl -s -o "$work/curl.bin" -w '%{time_total}\n' "$url"; done |
          awk '{ printf "%.0f\n", $1 * 1000 }' | best)
cmp -s "$work/program/hq.zip" "$work/served/down/bench/bench.zip" || { echo "  the program's package differs"; exit 1; }
awk -v p="$program_ms" -v s="$shown_ms" -v l="$loop_ms" -v c="$curl_ms" 'BEGIN {
  printf "  200 MB from nginx: program %d ms (its window shown after %d ms), bare InternetReadFile loop %d ms, curl %d ms\n", p, s, l, c
  printf "  program / bare loop = %.3f (goal <= 1.10); program / curl = %.2f\n", p / l, p / c
}'
rm -rf "$work/served" "$work/program/hq.zip" "$work/loop.bin" "$work/curl.bin"
