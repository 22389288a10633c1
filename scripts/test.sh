#!/usr/bin/env bash
# Builds the reader and runs every test (core and headless window tests).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
# The house format (.clang-format) holds for every C++ file.
(cd "$root" && find src tests bench -name '*.cpp' -o -name '*.h' | xargs clang-format --dry-run --Werror)
"$root/scripts/run-ctest.sh" "$root/build"
