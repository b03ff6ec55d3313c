#!/usr/bin/env bash
# Times merivane-cli ics --weeks over ranges of growing length and shows its peak memory, which
# stays flat because the export is streamed. Usage: bench/cli/ics_bench.sh [path/to/merivane-cli]
set -euo pipefail
cli=${1:-build/bin/merivane-cli}
[ -x "$cli" ] || { echo "no merivane-cli at $cli (build it first)" >&2; exit 1; }
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

printf '%-12s %-7s %9s %12s %9s %8s %14s\n' range target events bytes seconds cpu_s peak_rss_KiB
for range in "2026 2026" "2017 2026" "1927 2026" "8000 8999" "1920 9999"; do
  for target in file stdout; do
    if [ "$target" = file ]; then
      /usr/bin/time -f '%e %U %M' -o "$folder/time" "$cli" ics $range --weeks \
        --output "$folder/export.ics" >/dev/null
      events=$(grep -c '^BEGIN:VEVENT' "$folder/export.ics")
      bytes=$(stat -c %s "$folder/export.ics")
      rm -f "$folder/export.ics"
    else
      /usr/bin/time -f '%e %U %M' -o "$folder/time" "$cli" ics $range --weeks >/dev/null
      events=-; bytes=-
    fi
    read -r seconds cpu peak <"$folder/time"
    printf '%-12s %-7s %9s %12s %9s %8s %14s\n' "${range/ /-}" "$target" "$events" "$bytes" \
      "$seconds" "$cpu" "$peak"
  done
done
