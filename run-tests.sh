#!/usr/bin/env bash
# Sets up, builds and runs every test; the last line counts passes and failures.
set -uo pipefail
cd "$(dirname "$0")"
./setup.sh || exit 1
log=$(mktemp)
ctest --test-dir build --output-on-failure -j2 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
total=$(grep -oE 'tests failed out of [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n1)
failed=$(grep -oE '[0-9]+ tests failed out of' "$log" | grep -oE '^[0-9]+' | tail -n1)
rm -f "$log"
total=${total:-0}; failed=${failed:-0}
echo "$((total - failed)) passed, ${failed} failed"
[ "$total" -gt 0 ] || exit 1
exit "$status"
