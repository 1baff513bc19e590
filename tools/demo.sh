#!/usr/bin/env bash
# The main job on the bundled demo data: builds the programs, generates a small
# synthetic field season, runs fieldjoin and casetable for the four answer
# combinations and leaves the eight tables in demo/output.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ci/packages.sh
top=$(pwd)

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
apt_install ${need[@]+"${need[@]}"}

cmake --preset release >/dev/null
cmake --build --preset release -j2 >/dev/null
bin="$top/build/release"

data="$top/demo/data"
out="$top/demo/output"
rm -rf "$data" "$out"
mkdir -p "$data" "$out"
"$bin/generate_field_data" --root "$data" --days 2 --seed 2014

for program in fieldjoin casetable; do
  for fence in 1 0; do
    for seed in 1 0; do
      log="$out/${program}_fence${fence}_seed${seed}.log"
      (cd "$out" && printf '%s\n%s\n' "$fence" "$seed" | DRIVE_MOUNT_ROOT="$data" "$bin/$program" >"$log")
      echo >>"$log"
    done
  done
done

echo
echo "Tables in $out (data rows after the two header rows):"
for table in "$out"/*.txt; do
  printf '  %6d  %s\n' "$(( $(wc -l <"$table") - 2 ))" "$(basename "$table")"
done
echo "Console transcripts: $out/*.log"

# Quick-look figures of the eight tables, written beside them.
echo
echo "Figures in $out:"
(cd "$out" && "$top/tools/plot_tables.sh" -- *.txt)
