#!/bin/sh
# Fuzzes every parser of outside data with libFuzzer, one target after the other, for a number
# of seconds each (default 60): the leading-number rule, the settings store, the message-box
# markup, merivane-cli's arguments, the RTF reader, the update site's version file, the
# installer's address, the outside updater's "Updater.ini", the desktop's MIME application lists
# and the logo decoder (whose pictures must then make a PDF qpdf accepts).
# Usage: tools/fuzz.sh [seconds per target] [build folder, default build-fuzz] [target ...]
# The clang build lives in its own folder; new inputs go to <build>/fuzz-corpus/<target> and
# crashing inputs to <build>/fuzz-artifacts/<target>, so the seeds in the tree stay as they are.
# Ends with one line per target: its executions and whether it found a fault.
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}
# The targets may change their working folder, so every path they are given is absolute.
case $build in
/*) ;;
*) build=$PWD/$build ;;
esac
[ $# -gt 2 ] && shift 2 || set --
targets=${*:-fuzz_numbers fuzz_settings fuzz_markup fuzz_arguments fuzz_rtf fuzz_version_file
fuzz_installer_address fuzz_updater_ini fuzz_mime_lists fuzz_logo}

case $seconds in
'' | *[!0-9]*)
    echo "fuzz: seconds must be a whole number, not '$seconds'" >&2
    exit 2
    ;;
esac
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ is needed for libFuzzer" >&2
    exit 2
fi

# Each target's seed corpus, in the tree beside its tests.
seeds_of() {
    case $1 in
    fuzz_numbers) echo "$root/tests/common/fuzz-numbers" ;;
    fuzz_settings) echo "$root/tests/shell/fuzz-settings" ;;
    fuzz_markup) echo "$root/tests/msgbox/fuzz-markup" ;;
    fuzz_arguments) echo "$root/tests/cli/fuzz-arguments" ;;
    fuzz_rtf) echo "$root/tests/gui/rtf/corpus" ;;
    fuzz_version_file) echo "$root/tests/update/fuzz-version-file" ;;
    fuzz_installer_address) echo "$root/tests/update/fuzz-installer-address" ;;
    fuzz_updater_ini) echo "$root/tests/update/fuzz-updater-ini" ;;
    fuzz_mime_lists) echo "$root/tests/shell/fuzz-mime-lists" ;;
    fuzz_logo) echo "$root/tests/render/fuzz-logo" ;;
    *)
        echo "fuzz: unknown target '$1'" >&2
        exit 2
        ;;
    esac
}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMERIVANE_FUZZ=ON >/dev/null
# shellcheck disable=SC2086
cmake --build "$build" --target $targets -- -j2

summary=""
failed=0
for target in $targets; do
    seeds=$(seeds_of "$target")
    fuzzer=$(find "$build" -name "$target" -type f -perm -u+x | head -n 1)
    if [ -z "$fuzzer" ]; then
        echo "fuzz: $target was not built" >&2
        exit 1
    fi
    mkdir -p "$build/fuzz-corpus/$target" "$build/fuzz-artifacts/$target"
    dict=""
    [ "$target" = fuzz_rtf ] && dict="-dict=$root/tests/gui/rtf/rtf.dict"
    log="$build/fuzz-artifacts/$target.log"
    echo "fuzz: $target for ${seconds}s"
    status=0
    # shellcheck disable=SC2086
    QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp" "$fuzzer" "$build/fuzz-corpus/$target" "$seeds" $dict \
        -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=10 -max_len=65536 \
        -artifact_prefix="$build/fuzz-artifacts/$target/" -print_final_stats=1 \
        >"$log" 2>&1 || status=$?
    runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$' || true)
    verdict="no fault found"
    if [ "$status" -ne 0 ]; then
        verdict="FAULT, see $log and $build/fuzz-artifacts/$target/"
        failed=1
    fi
    summary="$summary$target: ${runs:-0} executions in ${seconds}s, $verdict
"
done
printf '%s' "$summary"
exit "$failed"
