# The shipped program's size against its budget of 1 MiB (the stripped 32-bit build).
budget=$((1024 * 1024))
for build in win32 win64; do
  exe=build/$build/MervantisSetup.exe
  size=$(stat -c %s "$exe") || exit 1
  awk -v b="$build" -v s="$size" -v m="$budget" \
    'BEGIN { printf "  %s MervantisSetup.exe: %d bytes, %.1f%% of the 1 MiB budget\n", b, s, 100 * s / m }'
done
size=$(stat -c %s build/win32/MervantisSetup.exe)
[ "$size" -le "$budget" ] || { echo "  the 32-bit program is over its budget"; exit 1; }
