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

# The Windows tests with windows share one virtual display for the whole
# run, as they share one Wine server: the server's desktop stays on the
# display it first met, so a display per test would leave later windows
# with none.
start_display() {
    if [ -n "${DISPLAY:-}" ]; then
        return
    fi
    local number
    for number in $(seq 90 140); do
        [ -e "/tmp/.X$number-lock" ] && continue
        # Room for the main windows at 150% (the suites at 144 dpi).
        Xvfb ":$number" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb=$!
        sleep 1
        if kill -0 "$xvfb" 2>/dev/null; then
            export DISPLAY=":$number"
            return
        fi
    done
    xvfb=""
}

stop_display() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        unset DISPLAY
    fi
}

# The Windows tree's tests include what goes to users: the program folder,
# the manual and the setup program, made here as `make dist` makes them.
# A failure here fails those tests too; it is counted once more so that it
# cannot pass unnoticed.
make_dist() {
    local dir=$1
    echo "==> making the program folder, the manual and the setup program (tools/dist.sh)"
    if ! tools/dist.sh >"$dir/dist.log" 2>&1; then
        tail -20 "$dir/dist.log"
        echo "==> tools/dist.sh FAILED (see $dir/dist.log)"
        failed=$((failed + 1))
        status=1
    fi
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
    if [ "$name" == "$wine_tree" ]; then
        make_dist "$dir"
    fi
    echo "==> $name: running tests"
    local log="$dir/ctest.log"
    local wine="tools/wine-run.sh --prefix $PWD/$dir/wineprefix"
    local xvfb=""
    if [ "$name" == "$wine_tree" ]; then
        start_display
        $wine --start-server
    fi
    (cd "$dir" && ctest --output-on-failure -j "$parallel" --timeout 900) 2>&1 | tee "$log"
    if [ "$name" == "$wine_tree" ]; then
        $wine --stop-server
        stop_display
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
