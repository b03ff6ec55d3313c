#!/usr/bin/env bash
# Sets up, builds and runs every test twice: the GCC build in build/, then a clang build with
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/, where any report fails its
# test. Then every libFuzzer target is built with clang in build-fuzz/ (as tools/fuzz.sh builds
# them) and replays its corpus. The last line counts passes and failures over all runs.
set -uo pipefail
cd "$(dirname "$0")"
./setup.sh || exit 1

sanitized=build-asan
if ! cmake -S . -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMERIVANE_SANITIZE=ON >/dev/null ||
    ! cmake --build "$sanitized"; then
    echo "the clang build with sanitizers failed"
    echo "0 passed, 1 failed"
    exit 1
fi

fuzzing=build-fuzz
if ! cmake -S . -B "$fuzzing" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DMERIVANE_FUZZ=ON >/dev/null ||
    ! cmake --build "$fuzzing" --target fuzz_targets; then
    echo "the clang build of the fuzz targets failed"
    echo "0 passed, 1 failed"
    exit 1
fi

passed=0
failed=0
status=0
# run_suite FOLDER LABEL [CTEST OPTION ...]: runs the folder's ctest and adds its counts.
run_suite() {
    local log total failures
    log=$(mktemp)
    ctest --test-dir "$1" --output-on-failure -j2 "${@:3}" 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    total=$(grep -oE 'tests failed out of [0-9]+' "$log" | grep -oE '[0-9]+$' | tail -n1)
    failures=$(grep -oE '[0-9]+ tests failed out of' "$log" | grep -oE '^[0-9]+' | tail -n1)
    rm -f "$log"
    total=${total:-0}
    failures=${failures:-0}
    # A suite that ran nothing counts as a failure.
    [ "$total" -gt 0 ] || { failures=1; status=1; }
    echo "$2: $((total - failures)) passed, ${failures} failed"
    passed=$((passed + total - failures))
    failed=$((failed + failures))
}

run_suite build "GCC build"
run_suite "$sanitized" "clang build with sanitizers"
run_suite "$fuzzing" "fuzz targets over their corpora" -L fuzz
echo "${passed} passed, ${failed} failed"
exit "$status"
