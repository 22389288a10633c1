#!/usr/bin/env bash
# Builds the reader and runs every test (core and headless window tests).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
# The house format (.clang-format) holds for every C++ file.
(cd "$root" && find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror)
cd "$root/build"
rm -f ctest-results.xml
status=0
ctest --output-on-failure -j"$(nproc)" --output-junit ctest-results.xml || status=$?
# A skipped test is a test that did not run: the count is reported and a skip fails the run.
summary=$(tr '\n\t' '  ' <ctest-results.xml | grep -o '<testsuite [^>]*>' | head -n 1)
count() { printf '%s' "$summary" | sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p"; }
tests=$(count tests) failed=$(count failures) skipped=$(count skipped) disabled=$(count disabled)
echo "tests: ${tests:-?} run, ${failed:-?} failed, ${skipped:-?} skipped, ${disabled:-?} disabled"
if [ -z "$tests" ] || [ "${skipped:-1}" != 0 ] || [ "${disabled:-1}" != 0 ]; then
    grep -B1 -A2 '<skipped' ctest-results.xml || true
    echo "FAIL: every test must run; none may be skipped" >&2
    [ "$status" != 0 ] || status=1
fi
exit "$status"
