#!/usr/bin/env bash
# The rules of the code's layout that a compiler does not check, checked on the sources:
# source_rules_test.sh SRC (the repository's src folder). Each broken rule prints the
# lines that break it; the test fails when any does.
set -uo pipefail
src=${1:?usage: source_rules_test.sh SRC}
failed=0

# Prints the matches and marks the test failed when there are any.
breaks() {
    local rule=$1 matches=$2
    if [ -n "$matches" ]; then
        printf 'RULE BROKEN: %s\n%s\n\n' "$rule" "$matches"
        failed=1
    fi
}

# Lines of C++ without the comments that take a whole line.
code() { grep -rnE "$@" | grep -vE '^[^:]+:[0-9]+:\s*//'; }

# 1. The core folders depend one way: each includes only its own folder and those below.
layers=(state pages text script chapters bookmarks navigation reading settings)
for i in "${!layers[@]}"; do
    above=("${layers[@]:$((i + 1))}")
    [ ${#above[@]} -eq 0 ] || [ ! -d "$src/core/${layers[$i]}" ] && continue
    pattern="#include \"($(IFS='|'; echo "${above[*]}"))/"
    breaks "core/${layers[$i]} includes a core folder above it" \
        "$(code "$pattern" "$src/core/${layers[$i]}")"
done

# 2. options.ini has one owner: QSettings appears in the options store alone.
breaks "QSettings outside the options store" \
    "$(code '\bQSettings\b' "$src" | grep -v '/controllers/optionsstore\.\(h\|cpp\):')"

# 3. Every key is a row of the key table: no Qt key names or QShortcuts elsewhere.
breaks "keys outside the key table (controllers/keymap.cpp)" \
    "$(code 'Qt::Key_|QShortcut' "$src" | grep -v '/controllers/keymap\.cpp:')"

# 4. No part or controller reaches back into the window that composes it.
breaks "a part or controller includes readerwindow.h" \
    "$(code '#include "readerwindow.h"' "$src/window/parts" "$src/window/controllers")"

# 5. Captions and widget texts are written from state, never read back to decide: no
#    comparison with a caption, and no getter that hands one out.
breaks "a caption or widget text compared to decide something" \
    "$(code '(aption|text)\([^()]*\)\s*(==|!=)|(==|!=)\s*[A-Za-z_>.-]*(aption|text)\([^()]*\)' "$src/window" |
        grep -v 'm_text\.text()')"
breaks "a getter of a caption of the menus" \
    "$(code '(QString|std::string) \w+Caption\(.*\) const' "$src/window/parts" "$src/window/controllers")"

# 6. What only the tests use lives under tests/.
breaks "a test-only function in src" \
    "$(code '\b(readBook|buildPlainBook|decodeBook|detectBookEncoding|writeSettingsFile|slideCacheBytes|matchSlideCache|bookmarkOnLeftPage|encodingNameOf|scrollTextOf|encodingCaption|shrinkToFit)\(' "$src")"
breaks "a state field nothing reads" \
    "$(code '\b(bool cancelLoad|highlightedLine)\b' "$src")"

exit $failed
