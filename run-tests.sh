#!/usr/bin/env bash
# Sets up, builds and runs every test, cheapest failure first: the GCC build in build/ (made by
# setup.sh) runs its suite at once; then a clang build with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/, where any report fails its test; then every libFuzzer
# target, built with clang in build-fuzz/ (as tools/fuzz.sh builds them), replays its corpus.
# Every test has a time limit, so a hang fails that test and the run goes on. The last line
# counts passes, failures and skipped tests over all runs.
set -uo pipefail
cd "$(dirname "$0")"
./setup.sh || { echo "0 passed, 1 failed, 0 skipped"; exit 1; }

passed=0
failed=0
skipped=0
status=0
# run_suite FOLDER LABEL [CTEST OPTION ...]: runs the folder's ctest and adds its counts, read
# from ctest's JUnit report: a skipped test is neither passed nor failed.
run_suite() {
    local report run fail notrun
    report=$(mktemp)
    # --timeout bounds any test that was registered without a limit of its own.
    ctest --test-dir "$1" --output-on-failure -j2 --timeout 120 --output-junit "$report" "${@:3}" ||
        status=1
    run=$(grep -c 'status="run"' "$report")
    fail=$(grep -c 'status="fail"' "$report")
    notrun=$(grep -cE 'status="(notrun|disabled)"' "$report")
    rm -f "$report"
    # A suite that ran nothing counts as a failure.
    if [ $((run + fail)) -eq 0 ]; then
        fail=1
        status=1
    fi
    echo "$2: ${run} passed, ${fail} failed, ${notrun} skipped"
    passed=$((passed + run))
    failed=$((failed + fail))
    skipped=$((skipped + notrun))
}

# build_tree FOLDER WHAT TARGET CMAKE-OPTION ...: configures and builds with clang; a failure
# counts once and ends the run.
build_tree() {
    if ! cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${@:4}" >/dev/null ||
        ! cmake --build "$1" --target "$3"; then
        echo "the $2 failed"
        echo "${passed} passed, $((failed + 1)) failed, ${skipped} skipped"
        exit 1
    fi
}

run_suite build "GCC build"
build_tree build-asan "clang build with sanitizers" all -DMERIVANE_SANITIZE=ON
run_suite build-asan "clang build with sanitizers"
build_tree build-fuzz "clang build of the fuzz targets" fuzz_targets -DMERIVANE_FUZZ=ON
run_suite build-fuzz "fuzz targets over their corpora" -L fuzz
echo "${passed} passed, ${failed} failed, ${skipped} skipped"
exit "$status"
