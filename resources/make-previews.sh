#!/bin/sh
# Makes the six style previews of the main window from the program's own output, so the
# pictures always show what Generate prints.
#   resources/make-previews.sh path/to/merivane-cli [YEAR]
# Needs pdftoppm and pdfinfo (poppler-utils) and python3.
set -eu
cli=${1:?usage: make-previews.sh path/to/merivane-cli [YEAR]}
year=${2:-2026}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# preview NAME STYLE WIDTH HEIGHT [cli options]: the first page of that style, fitted into a
# picture of exactly WIDTH x HEIGHT pixels, and into NAME@2x.png at twice that for screens
# scaled 1.5 or 2 (the program picks it by that name).
preview() {
    name=$1 style=$2 width=$3 height=$4
    shift 4
    "$cli" pdf --style "$style" --year "$year" "$@" --output "$work/$name.pdf" >/dev/null
    python3 "$here/compose-preview.py" "$work/$name.pdf" "$width" "$height" \
        "$here/previews/$name.png"
    python3 "$here/compose-preview.py" "$work/$name.pdf" "$width" "$height" \
        "$here/previews/$name@2x.png" 2
}

mkdir -p "$here/previews"
preview calmonth month 202 172 --month 1
preview calquarter quarter 120 172 --month 1
preview calyear year 128 172
preview calthreeyr 3years 118 172
preview calstrip strip 226 134
preview calplanner planner 133 172
echo "previews of $year written to $here/previews"
