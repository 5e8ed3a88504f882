#!/bin/bash
# Builds the four trees and runs every test suite: native, native with
# AddressSanitizer and UndefinedBehaviorSanitizer, short runs of the fuzz
# targets (clang), and the Windows build under Wine. Ends with one line that
# sums them all: "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc 2>/dev/null || echo 2)
wine_tree="Windows under Wine"
passed=0
failed=0
skipped=0
status=0

configure_and_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 &&
        cmake --build "$dir" -j "$jobs"
}

run_tree() {
    local name=$1 dir=$2 parallel=$3
    shift 3
    mkdir -p "$dir"
    echo "==> $name: building in $dir"
    if ! configure_and_build "$dir" "$@"; then
        echo "==> $name: BUILD FAILED (see $dir.configure.log and the output above)"
        failed=$((failed + 1))
        status=1
        return
    fi
    echo "==> $name: running tests"
    local log="$dir/ctest.log"
    local wine="tools/wine-run.sh --prefix $PWD/$dir/wineprefix"
    if [ "$name" == "$wine_tree" ]; then
        $wine --start-server
    fi
    (cd "$dir" && ctest --output-on-failure -j "$parallel" --timeout 900) 2>&1 | tee "$log"
    if [ "$name" == "$wine_tree" ]; then
        $wine --stop-server
    fi
    local summary
    summary=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
    if [ -z "$summary" ]; then
        echo "==> $name: ctest gave no summary"
        failed=$((failed + 1))
        status=1
        return
    fi
    local tree_failed tree_total tree_skipped
    tree_failed=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
    tree_total=$(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/')
    tree_skipped=$(grep -c '(Skipped)' "$log" || true)
    passed=$((passed + tree_total - tree_failed - tree_skipped))
    failed=$((failed + tree_failed))
    skipped=$((skipped + tree_skipped))
    [ "$tree_failed" -eq 0 ] || status=1
}

run_tree "native" build/native "$jobs"
run_tree "native with sanitizers" build/asan "$jobs" -DVANTORA_SANITIZE=ON
run_tree "fuzz targets" build/fuzz "$jobs" -DVANTORA_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DFUZZ_SECONDS="${FUZZ_SECONDS:-20}"
# Wine runs one test at a time: the suites share one prefix and server.
run_tree "$wine_tree" build/win64 1 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

echo
echo "$passed passed, $failed failed, $skipped skipped"
exit $status
