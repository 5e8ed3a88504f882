# Shared by the command-line test scripts (sourced, not run): a scratch
# folder that goes away, a runner for Windows programs, and checks that
# count failures and report them at the end.
set -u
runner=${RUNNER:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

run() { $runner "$@"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_eq() { [ "$1" == "$2" ] || fail "$3: expected [$2], got [$1]"; }
# Column N of tab-separated output as one line (Windows line ends dropped).
column() { tr -d '\r' | cut -f"$1" | tr '\n' ' '; }

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "$1"
}
