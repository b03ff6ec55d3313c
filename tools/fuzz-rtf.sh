#!/bin/sh
# Fuzzes the RTF reader with libFuzzer for a number of seconds (default 300).
# Usage: tools/fuzz-rtf.sh [seconds] [build folder, default build-fuzz]
# The clang build lives in its own folder; new inputs go to <build>/rtf-corpus and crashing
# inputs to <build>/rtf-artifacts, so the shipped seeds in tests/gui/rtf/corpus stay as they are.
set -eu

seconds=${1:-300}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}
seeds=$root/tests/gui/rtf/corpus

case $seconds in
'' | *[!0-9]*)
    echo "fuzz-rtf: seconds must be a whole number, not '$seconds'" >&2
    exit 2
    ;;
esac
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz-rtf: clang++ is needed for libFuzzer" >&2
    exit 2
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMERIVANE_FUZZ=ON >/dev/null
if ! cmake --build "$build" --target fuzz_rtf; then
    echo "fuzz-rtf: fuzz_rtf did not build; tests/gui/CMakeLists.txt must add the rtf folder" >&2
    exit 1
fi

fuzzer=$(find "$build" -name fuzz_rtf -type f -perm -u+x | head -n 1)
if [ -z "$fuzzer" ]; then
    echo "fuzz-rtf: fuzz_rtf was not built" >&2
    exit 1
fi
mkdir -p "$build/rtf-corpus" "$build/rtf-artifacts"
exec "$fuzzer" "$build/rtf-corpus" "$seeds" -dict="$root/tests/gui/rtf/rtf.dict" \
    -max_total_time="$seconds" -rss_limit_mb=512 -timeout=5 -max_len=65536 \
    -artifact_prefix="$build/rtf-artifacts/" -print_final_stats=1
