#!/usr/bin/env bash
# Fails when a reader of src/ (a file that reads bytes: a ByteReader, a cFile or
# the little-endian loaders) shows a box itself. Bad data goes through
# ReportDataError, which names the file and the offset on stderr and keeps the
# fault as the last one; its box shows the game's own words.
# Usage: check_data_boxes.sh [source root] [allow list]
# Lines of the allow list ("file: text") let through a box call whose line, in
# that file, holds the text: boxes about anything but bad data.
set -eu
root=${1:-"$(dirname "$0")/../src"}
allow=${2:-"$(dirname "$0")/data-boxes-allow.txt"}
# A fault's report shows a box unless it is told on stderr alone (kNoBox).
box='\b(ErrorBox|DDErrorBox|DSErrorBox|MaintenanceBox|MessageBoxA|ReportFault)[[:space:]]*\('
reads='ByteReader|\bcFile\b|\bLoad[UI](8|16|32)[[:space:]]*\('

bad=0
while IFS= read -r -d '' file; do
  grep -qE "$reads" "$file" || continue
  rel=${file#"$root"/}
  while IFS=: read -r line text; do
    # A box named in a comment shows nothing.
    grep -qE "$box" <<<"${text%%//*}" || continue
    case ${text%%//*} in *ReportFault*kNoBox*) continue ;; esac
    let_through=0
    if [ -f "$allow" ]; then
      while IFS= read -r entry; do
        case $entry in "" | "#"*) continue ;; esac
        [ "${entry%%: *}" = "$rel" ] || continue
        case $text in *"${entry#*: }"*) let_through=1 ;; esac
      done <"$allow"
    fi
    [ $let_through = 1 ] && continue
    echo "$rel:$line shows a box itself; bad data goes through ReportDataError"
    bad=1
  done < <(grep -nE "$box" "$file" || true)
done < <(find "$root" -name '*.h' -print0 -o -name '*.cpp' -print0)
exit $bad
