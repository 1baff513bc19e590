#!/usr/bin/env bash
# The direction of the stages: a file includes only its own stage and the stages
# below it (platform, text, input, wind, quality, run, then the two programs).
set -euo pipefail
cd "$(dirname "$0")/../.."
rank() {
  case "$1" in
    platform) echo 0 ;; text) echo 1 ;; input) echo 2 ;; wind) echo 3 ;; quality) echo 4 ;; run) echo 5 ;;
    fieldjoin | casetable) echo 6 ;; *) echo -1 ;;
  esac
}
bad=0
for file in $(git ls-files -co --exclude-standard 'platform/*' 'text/*' 'input/*' 'wind/*' 'quality/*' 'run/*' 'fieldjoin/*' 'casetable/*'); do
  own=${file%%/*}
  while read -r included; do
    stage=${included%%/*}
    [ "$(rank "$stage")" -ge 0 ] || continue
    if [ "$(rank "$stage")" -gt "$(rank "$own")" ] || { [ "$stage" != "$own" ] && [ "$(rank "$stage")" -eq "$(rank "$own")" ]; }; then
      echo "$file includes $included: against the direction of the stages"
      bad=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done
[ $bad -eq 0 ] && echo "layers: every include follows the direction of the stages"
exit $bad
