#!/usr/bin/env bash
# Installs the build into a temporary prefix, or unpacks the Debian package given after it, and
# checks that the installed program has every file it needs and starts from another working
# directory without a warning: in English by default, in Russian where the user's locale is
# Russian, and with a working directory's own files first.
set -euo pipefail

build=$1
package=${2:-}
tree=$(mktemp -d /tmp/tolvaren-install.XXXXXX)
elsewhere=$(mktemp -d /tmp/tolvaren-elsewhere.XXXXXX)
runtime=$(mktemp -d /tmp/tolvaren-runtime.XXXXXX)
trap 'rm -rf "$tree" "$elsewhere" "$runtime"' EXIT

if [ -n "$package" ]; then
    dpkg -x "$package" "$tree"
    prefix=$tree/usr
else
    cmake --install "$build" --prefix "$tree" >/dev/null
    prefix=$tree
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for file in bin/tolvaren bin/tolvaren-sim \
        share/tolvaren/help.html share/tolvaren/about.html share/tolvaren/tolvaren_ru.qm \
        share/tolvaren/ru/help.html share/tolvaren/ru/about.html \
        share/tolvaren/sample-transfer.txt share/applications/tolvaren.desktop \
        share/icons/hicolor/128x128/apps/tolvaren.png; do
    [ -s "$prefix/$file" ] || fail "the installed tree lacks $file"
done
entry=$prefix/share/applications/tolvaren.desktop
grep -q '^Exec=tolvaren %f$' "$entry" || fail "the desktop entry does not start tolvaren on a file"
# A file of changes opens from the file manager; software centres learn it from the metainfo.
grep -q '^MimeType=\(.*;\)\?text/csv;' "$entry" || fail "the desktop entry does not open text/csv"
for metainfo in "$prefix"/share/metainfo/*.metainfo.xml; do
    [ ! -f "$metainfo" ] || grep -q '<mediatype>text/csv</mediatype>' "$metainfo" \
        || fail "the metainfo does not say that the program opens text/csv"
done

# Runs the installed program for a moment on a virtual display and prints the window title it
# shows and every message of warning level or worse. Interrupted as from a terminal, the program
# ends by itself while the display is still there.
run_installed() {
    (cd "$elsewhere" && env "$@" QT_MESSAGE_PATTERN='%{type}: %{message}' \
        XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=xcb \
        xvfb-run -a timeout -s INT 4 "$prefix/bin/tolvaren" 2>&1 >/dev/null) \
        | grep -E '^(warning|critical|fatal): ' || true
}

messages=$(run_installed LANG=C.UTF-8 LANGUAGE= LC_ALL=)
[ -z "$messages" ] || fail "the installed program warned: $messages"

# The title comes from the translation in use; ask the program for it through --help's text.
russian_help=$(cd "$elsewhere" && LANG=ru_RU.UTF-8 LC_ALL= LANGUAGE= QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/tolvaren" --help 2>&1 || true)
english_help=$(cd "$elsewhere" && LANG=C.UTF-8 LC_ALL= LANGUAGE= QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/tolvaren" --help 2>&1 || true)
grep -q 'Принимает' <<<"$russian_help" || fail "the installed Russian translation is not used: $russian_help"
grep -q 'Receives' <<<"$english_help" || fail "an English locale does not get English: $english_help"

# A working directory's own translation wins over the installed one.
cp "$build/tolvaren.qm" "$elsewhere/tolvaren.qm"
chosen_help=$(cd "$elsewhere" && LANG=C.UTF-8 LC_ALL= LANGUAGE= QT_QPA_PLATFORM=offscreen \
    "$prefix/bin/tolvaren" --help 2>&1 || true)
grep -q 'Принимает' <<<"$chosen_help" || fail "the working directory's tolvaren.qm is not used"

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "installed tree: all checks passed"
