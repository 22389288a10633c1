#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer (clang), with
# the libFuzzer harnesses of the core's parsers, into build-sanitize/, and runs them all:
# the suite as ./scripts/test.sh runs it, and each harness for TIBBO_FUZZ_SECONDS
# (default 15) from its kept seed corpus. Any report stops its test and fails the run.
# With the argument "thread": ThreadSanitizer instead, into build-tsan/, without the
# harnesses.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
if [ "${1:-}" = thread ]; then
    build=$root/build-tsan
    sanitizers=thread
    fuzz=OFF
else
    build=$root/build-sanitize
    sanitizers=address,undefined
    fuzz=ON
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      "-DCMAKE_CXX_FLAGS=-O1 -fsanitize=$sanitizers -fno-sanitize-recover=all -fno-omit-frame-pointer" \
      "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=$sanitizers" \
      -DTIBBO_FUZZ=$fuzz -DTIBBO_FUZZ_SECONDS="${TIBBO_FUZZ_SECONDS:-15}" -DTIBBO_BENCH=OFF \
      ${TIBBO_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
# libspeechd reads the voice list (thousands of lines) with strstr over the whole reply;
# the checked strstr of the sanitizers makes that take minutes instead of a second or two,
# so reading aloud would not start in the script test. The check is for the reader's own
# strstr calls, and it has none.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:intercept_strstr=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
# Qt's own libraries are not built with ThreadSanitizer: what they do is not watched.
export TSAN_OPTIONS=halt_on_error=1:ignore_noninstrumented_modules=1:intercept_strstr=0
# The script tests that end the reader at given moments wait this much longer.
export TIBBO_TEST_TIME_SCALE=3
"$root/scripts/run-ctest.sh" "$build"
