# The settings lookup: a key on the last line of an enciphered 4 MB settings file against the
# same lookup in a 1 MB file, timed inside one run of each build. The goal holds for the program
# (Windows under Wine); the host build carries the sanitizers, so its figure is for reference.
status=0
echo -n "  win64 under wine64: "
"$WINE" build/win64/settings_lookup_bench.exe </dev/null || status=1
echo -n "  host, debug build with sanitizers (reference): "
build/host/settings_lookup_bench </dev/null || true
exit $status
