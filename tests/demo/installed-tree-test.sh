#!/usr/bin/env bash
# installed-tree-test.sh CMAKE BUILD_DIR: installs the build tree into a temporary prefix and
# checks that the programs, the tutorial, the desktop entry and the icon land where a desktop
# looks for them, and that the installed sitegauge-cli runs.
set -euo pipefail
cmake_program=$1
build_dir=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake_program" --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "installed-tree-test: $*" >&2; exit 1; }
for file in bin/sitegauge-cli share/applications/sitegauge.desktop \
        share/icons/hicolor/scalable/apps/sitegauge.svg \
        share/doc/sitegauge/tutorial/index.html share/doc/sitegauge/tutorial/help.html; do
    [[ -f "$prefix/$file" ]] || fail "missing $file"
done
[[ -x "$prefix/bin/sitegauge-cli" ]] || fail "bin/sitegauge-cli is not executable"
if [[ -f "$build_dir/src/ui/sitegauge" ]]; then
    [[ -x "$prefix/bin/sitegauge" ]] || fail "the desktop program was built but not installed"
fi

version=$("$prefix/bin/sitegauge-cli" --version)
[[ "$version" == "Sitegauge Version 6.0" ]] || fail "--version printed '$version'"

desktop="$prefix/share/applications/sitegauge.desktop"
grep -qx 'Type=Application' "$desktop" || fail "no Type=Application in the desktop entry"
grep -qx 'Exec=sitegauge' "$desktop" || fail "the desktop entry does not start sitegauge"
grep -qx 'Icon=sitegauge' "$desktop" || fail "the desktop entry names another icon"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/sitegauge.svg" || fail "the icon is no SVG"
# The installed tutorial is the one the program writes into a working folder.
workdir="$prefix/work"
mkdir "$workdir"
"$prefix/bin/sitegauge-cli" --workdir "$workdir" profile show /nonexistent.swp >/dev/null 2>&1 || true
cmp -s "$workdir/tutorial/index.html" "$prefix/share/doc/sitegauge/tutorial/index.html" ||
    fail "the installed tutorial differs from the one in the program"
echo "installed-tree-test: ok"
