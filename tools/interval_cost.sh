#!/usr/bin/env bash
# What the source strength's interval costs a run: paired whole-process runs of each program and
# field (seed), the interval off (--qc interval_draws=0) then on, the median wall times and ratio.
#   tools/interval_cost.sh BUILD_DIR DATA_ROOT [PAIRS]
# DATA_ROOT is a --data-root (e.g. a generator tree's c/Vantrel); the first pair warms the cache.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $(basename "$0") BUILD_DIR DATA_ROOT [PAIRS]" >&2; exit 2; }
bin=$1 root=$2 pairs=${3:-7}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
ms() { local s e; s=$(date +%s%N); "$@" >/dev/null 2>&1 || true; e=$(date +%s%N); echo $(((e - s) / 1000000)); }
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
for program in fieldjoin casetable; do
  for field in fence hill; do
    offs=() ons=() ratios=()
    for i in $(seq 1 "$pairs"); do
      run=("$bin/$program" --field "$field" --material seed --data-root "$root" --output-dir "$out")
      off=$(ms "${run[@]}" --qc interval_draws=0)
      on=$(ms "${run[@]}")
      [ "$i" -gt 1 ] || continue
      offs+=("$off") ons+=("$on") ratios+=("$(awk -v a="$on" -v b="$off" 'BEGIN {printf "%.3f", a / b}')")
    done
    echo "$program $field: off $(median "${offs[@]}") ms, on $(median "${ons[@]}") ms, median ratio $(median "${ratios[@]}")"
  done
done
