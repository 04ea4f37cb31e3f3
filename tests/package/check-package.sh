#!/usr/bin/env bash
# Builds the Debian package from a built tree's install rules (cpack, no second
# compile) in a temporary folder and checks what an operator's machine gets:
# the file list, the desktop entry, the file types, the manual and its pictures,
# and a program that runs.
#
#   check-package.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
fi
deb="$work/out/tallvane_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }
root="$work/root"
dpkg-deb -x "$deb" "$root"

# Every file has its place, and nothing else is shipped (no test or tool programs).
expected=(
    usr/bin/tallvane usr/bin/tallvane-station
    usr/share/doc/tallvane/index.html usr/share/doc/tallvane/copyright
    usr/share/doc/tallvane/changelog.gz
    usr/share/man/man1/tallvane.1.gz usr/share/man/man1/tallvane-station.1.gz
    usr/share/applications/tallvane.desktop usr/share/mime/packages/tallvane.xml
    usr/share/icons/hicolor/scalable/apps/tallvane.svg
    'lib/systemd/system/tallvane@.service'
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/tallvane.png")
    file -b "$root/usr/share/icons/hicolor/${size}x${size}/apps/tallvane.png" |
        grep -q "PNG image data, $size x $size" || fail "icon of $size pixels"
done
for path in "${expected[@]}"; do
    [ -f "$root/$path" ] || fail "missing /$path"
done
for program in tallvane tallvane-station; do
    [ -x "$root/usr/bin/$program" ] || fail "/usr/bin/$program is not executable"
done
# Beside the manual (checked on its own below), only the files listed.
while read -r path; do
    [[ "$path" == usr/share/doc/tallvane/* || " ${expected[*]} " == *" $path "* ]] ||
        fail "unexpected file /$path"
done < <(cd "$root" && find . -type f -printf '%P\n')

# The licence and the maintainer, as the package states them.
grep -q '^License: GPL-3+$' "$root/usr/share/doc/tallvane/copyright" ||
    fail "the copyright file does not name GPL-3.0-or-later"
case "$(dpkg-deb -f "$deb" Maintainer)" in
"Tallvane developers <"*) ;;
*) fail "the maintainer is not Tallvane developers" ;;
esac

# The manual is whole: every page of docs/, and every picture and page they show.
for page in "$source"/docs/*.html; do
    name=$(basename "$page")
    [ -f "$root/usr/share/doc/tallvane/$name" ] || fail "manual page $name not installed"
    for target in $(grep -oE '(src|href)="[^":#]+"' "$page" | sed -E 's/^[a-z]+="//; s/"$//'); do
        [ -f "$root/usr/share/doc/tallvane/$target" ] || fail "$name shows $target, not installed"
    done
done
zcat "$root/usr/share/man/man1/tallvane.1.gz" | grep -q '^\.SH EXIT STATUS' ||
    fail "tallvane(1) has no EXIT STATUS section"
for page in tallvane tallvane-station; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
        "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null) || fail "man $page failed"
    [ -z "$warnings" ] || fail "$page(1): $warnings"
done

# Dependencies come from the binaries, plus the SQLite driver no binary names.
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libqt6core6 libqt6widgets6 libqt6sql6-sqlite; do
    [[ "$depends" == *"$dependency"* ]] || fail "Depends lacks $dependency: $depends"
done

# The desktop entry, and the file types it opens.
desktop="$root/usr/share/applications/tallvane.desktop"
report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate: $report"
grep -qx 'Exec=tallvane %f' "$desktop" || fail "desktop entry does not run tallvane %f"
mime="$root/usr/share/mime/packages/tallvane.xml"
xmllint --noout "$mime" || fail "MIME XML is not well formed"
mkdir -p "$work/mime/packages"
cp "$mime" "$work/mime/packages/"
XDG_DATA_DIRS="$work" update-mime-database "$work/mime" || fail "update-mime-database refused the MIME XML"
for type in x-tallvane-meet x-rostrel-transfer; do
    [ -f "$work/mime/application/$type.xml" ] || fail "MIME type application/$type not known"
    grep -q "application/$type" "$desktop" || fail "desktop entry does not open application/$type"
done
grep -q ':application/x-tallvane-meet:\*\.tallvane' "$work/mime/globs2" || fail "*.tallvane glob"
grep -q ':application/x-rostrel-transfer:\*\.rxt' "$work/mime/globs2" || fail "*.rxt glob"

# The service runs the installed program.
grep -q '^ExecStart=/usr/bin/tallvane serve ' "$root/lib/systemd/system/tallvane@.service" ||
    fail "the service does not run /usr/bin/tallvane serve"

# The installed program runs.
output=$("$root/usr/bin/tallvane" --version) || fail "tallvane --version failed"
[ "${output%%$'\n'*}" = "tallvane $version" ] || fail "tallvane --version said: $output"
grep -q 'GPL-3.0-or-later' <<<"$output" || fail "tallvane --version names no licence: $output"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): $(cd "$root" && find . -type f | wc -l) files, all checks passed"
