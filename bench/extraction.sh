# Extraction of a 2000-entry, 200 MB package into a fresh folder: our extraction core (the
# unpack tool, an optimised host build without sanitizers) against Info-ZIP `unzip -q -o` of
# the same file into another fresh folder, taking turns; goal at most 1.05. Also the Windows
# build's unpack.exe under Wine against the same unzip runs, for reference only.
set -uo pipefail
rounds=5
data=build/bench-data
package=$data/package-2000.zip
out=$data/out
mkdir -p "$data"

if [ ! -f "$package" ] || [ bench/extraction_package.py -nt "$package" ]; then
  /usr/bin/python3 bench/extraction_package.py "$package" || exit 1
fi
if [ ! -f build/bench-host/build.ninja ]; then
  cmake -S . -B build/bench-host -G Ninja -DCMAKE_BUILD_TYPE=Release \
    >build/bench-host.configure.log 2>&1 || { cat build/bench-host.configure.log; exit 1; }
fi
cmake --build build/bench-host --target unpack -- -j2 >/dev/null || exit 1
unpack=build/bench-host/tools/unpack/unpack
unpack_exe=build/win64/tools/unpack/unpack.exe
source scripts/xvfb.sh  # winepath_of
wine_unpack() { "$WINE" "$unpack_exe" "$(winepath_of "$(pwd)/$1")" "$(winepath_of "$(pwd)/$2")"; }

# Seconds one extraction takes into a fresh folder; the folder's removal and the write-back of
# the previous run are not counted.
timed() {
  rm -rf "$out"
  sync
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null || { echo "  failed: $*" >&2; return 1; }
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" 'BEGIN { print e - s }'
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# First, outside the timing, both builds must make exactly what unzip makes.
rm -rf "$out" "$out.unzip" "$out.wine"
unzip -q -o "$package" -d "$out.unzip" && "$unpack" "$package" "$out" >/dev/null &&
  wine_unpack "$package" "$out.wine" >/dev/null || { echo "  an extraction failed"; exit 1; }
for made in "$out" "$out.wine"; do
  diff -r -q "$made" "$out.unzip" >/dev/null || { echo "  $made differs from unzip's"; exit 1; }
done
rm -rf "$out.unzip" "$out.wine"

ours=() unzips=() wines=()
for round in $(seq "$rounds"); do
  ours+=("$(timed "$unpack" "$package" "$out")") || exit 1
  unzips+=("$(timed unzip -q -o "$package" -d "$out")") || exit 1
  if [ "$round" -le 3 ]; then
    wines+=("$(timed wine_unpack "$package" "$out")") || exit 1
  fi
done
rm -rf "$out"

ours_s=$(median "${ours[@]}") unzip_s=$(median "${unzips[@]}") wine_s=$(median "${wines[@]}")
awk -v o="$ours_s" -v u="$unzip_s" -v w="$wine_s" -v r="$rounds" 'BEGIN {
  printf "  host, median of %d: extraction core %.3f s, unzip -q -o %.3f s: ratio %.3f (goal at most 1.05)\n", r, o, u, o / u
  printf "  win64 unpack.exe under Wine, median of 3: %.3f s, %.2f times unzip on the host (reference)\n", w, w / u
  exit (o / u <= 1.05) ? 0 : 1 }' || { echo "  the extraction core is over its goal"; exit 1; }
