#!/usr/bin/env bash
# End-to-end benchmark: generates 10 Hz data sets of 1, 5 and 20 days (both
# fields, page cache warm after the first pass) of two kinds, four cases a day
# (about a fifth of each day in windows) and six cases a day holding about a
# third of it, and times all eight program, field and material runs against a
# memchr line count and cat of the same logger files.
#   tools/benchmark.sh [DATA_DIR] [DAYS...]     (default: build/benchdata, 1 5 20)
#   BENCH_WINDOW_SHARE=50 tools/benchmark.sh ...   the second kind with another share (0: none)
# Needs about 4.2 GB of disk per 20 days. Also runs the micro-benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
data=${1:-build/benchdata}
shift || true
days=("$@")
[ ${#days[@]} -gt 0 ] || days=(1 5 20)

cmake --preset bench >/dev/null
cmake --build --preset bench -j2 >/dev/null
bin=build/bench

share=${BENCH_WINDOW_SHARE:-33}
for d in "${days[@]}"; do
  for kind in plain share; do
    if [ "$kind" = share ]; then
      [ "$share" != 0 ] || continue
      root="$data/days${d}_share$share"
      cases=(--cases-per-day 6 --window-share "$share")
    else
      root="$data/days$d"
      cases=(--cases-per-day 4)
    fi
    if [ ! -d "$root/c" ]; then
      "$bin/generate_field_data" --root "$root" --days "$d" --rate 10 --seed 42 "${cases[@]}" >/dev/null
    fi
    echo "== $d day(s) of 10 Hz data, ${cases[*]}"
    "$bin/bench/end_to_end_bench" --root "$root" --bin "$bin" --repeat 5
    echo
  done
done
"$bin/bench/micro_bench" --benchmark_min_time=0.2
