#!/usr/bin/env bash
# Runs CTest in the build folder given, then reports how many tests ran and fails when
# any was skipped or disabled: a skipped test is a test that did not run.
# Usage: run-ctest.sh BUILD_DIR
set -uo pipefail
cd "$1" || exit 1
rm -f ctest-results.xml
status=0
ctest --output-on-failure -j"$(nproc)" --output-junit ctest-results.xml || status=$?
summary=$(tr '\n\t' '  ' <ctest-results.xml 2>/dev/null | grep -o '<testsuite [^>]*>' | head -n 1)
count() { printf '%s' "$summary" | sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p"; }
tests=$(count tests) failed=$(count failures) skipped=$(count skipped) disabled=$(count disabled)
echo "tests: ${tests:-?} run, ${failed:-?} failed, ${skipped:-?} skipped, ${disabled:-?} disabled"
if [ -z "$tests" ] || [ "${skipped:-1}" != 0 ] || [ "${disabled:-1}" != 0 ]; then
    grep -B1 -A2 '<skipped' ctest-results.xml || true
    echo "FAIL: every test must run; none may be skipped" >&2
    [ "$status" != 0 ] || status=1
fi
exit "$status"
