#!/usr/bin/env bash
# The documents say what the program does: every encoding it reads, the themes, fine
# typesetting and the encoding menu; the manual's answer about garbled books no longer
# says Big5 and UTF-16 books show as garbage; --help is Chinese throughout, Qt's own
# lines included.
# Regression: the manual, README, man page, metainfo and --help listed only GBK, GB18030
# and UTF-8, and --help printed Qt's lines in English.
# Usage: docs_test.sh SOURCE_DIR TIBBOREAD
set -u
src=$1
reader=$2
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
manual=$src/resources/manual/readme.txt
for doc in "$manual" "$src/README.md" "$src/resources/packaging/tibboread.1" \
    "$src/resources/packaging/io.github.tibboread.TibboRead.metainfo.xml" "$src/CMakeLists.txt"; do
    for encoding in GB18030 UTF-8 UTF-16 Big5; do
        # The man page writes a hyphen as "\-".
        tr -d '\\' <"$doc" | grep -q "$encoding" || fail "$(basename "$doc") does not name $encoding"
    done
done
for words in 主题 夜间 护眼 精排 编码 自动识别; do
    grep -q "$words" "$manual" || fail "the manual does not say $words"
done
grep -q "显示成乱码" "$manual" && fail "the manual still says some encodings show as garbage"
help=$("$reader" --help 2>&1)
status=$?
[ "$status" = 0 ] || fail "--help ended with $status"
for english in Usage Options Arguments Displays; do
    printf '%s\n' "$help" | grep -q "$english" && fail "--help has Qt's English line: $english"
done
printf '%s\n' "$help" | grep -q -- "--version" || fail "--help lost its options"
[ "$failures" = 0 ] && echo "the documents name what the program does"
exit "$failures"
