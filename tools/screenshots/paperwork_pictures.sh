#!/bin/sh
# Pictures of the printed paperwork for the manual: a generated meet with
# scores is imported, each document printed as PDF, and its first page
# rendered to PNG (pdftoppm from poppler-utils).
#   tools/screenshots/paperwork_pictures.sh BUILD_DIR IMAGES_DIR
set -eu
build=$1
images=$2
tallvane=$(ls "$build/tallvane" "$build/src/app/tallvane" 2>/dev/null | head -n 1)
meetgen=$build/tools/meetgen/tallvane-meetgen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TALLVANE_DATA_DIR="$work"
export QT_QPA_PLATFORM=offscreen

"$meetgen" --gymnasts 120 --seed 7 --scores "$work/meet.rxt"
"$tallvane" import "$work/meet.rxt" "$work/meet.tallvane" >/dev/null
"$tallvane" startlist "$work/meet.tallvane" --session 1 --pdf "$work/start-list.pdf"
"$tallvane" awards "$work/meet.tallvane" --session 1 --pdf "$work/awards-list.pdf"
"$tallvane" judgesheets "$work/meet.tallvane" --session 1 --event Beam --pdf "$work/judge-sheet.pdf"
for document in start-list awards-list judge-sheet; do
    pdftoppm -png -r 60 -singlefile "$work/$document.pdf" "$images/printed-$document"
done
