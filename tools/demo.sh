#!/usr/bin/env bash
# The main job on the bundled demo data: builds the programs, generates a small
# synthetic field season (with its deliberate data problems), runs fieldjoin and
# casetable for the four answer combinations and leaves the eight tables in
# demo/output, with their quality tables ("* QC.txt") and fieldjoin's sampler
# tables ("* Samplers.txt"), each run's console transcript (.log) and standard
# error (.diagnostics.log).
# FIELD_DEMO_BIN=DIR takes the programs built there instead (no packages, no build);
# FIELD_DEMO_DIR=DIR puts data and output below DIR instead of demo/ (the README test uses both).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ci/packages.sh
top=$(pwd)

if [ -z "${FIELD_DEMO_BIN:-}" ]; then
  need=()
  command -v cmake >/dev/null || need+=(cmake)
  command -v g++ >/dev/null || need+=(g++)
  command -v gnuplot >/dev/null || need+=(gnuplot-nox)
  [ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
  [ -f /usr/include/toml++/toml.h ] || need+=(libtomlplusplus-dev)
  [ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
  apt_install ${need[@]+"${need[@]}"}

  cmake --preset release >/dev/null
  cmake --build --preset release -j2 >/dev/null
  bin="$top/build/release"
else
  bin=$FIELD_DEMO_BIN
fi

demo=${FIELD_DEMO_DIR:-$top/demo}
data="$demo/data"
out="$demo/output"
rm -rf "$data" "$out"
mkdir -p "$data" "$out"
"$bin/generate_field_data" --root "$data" --days 2 --seed 2014 --list-problems

# The synthetic site's facts, so that the quality tables show every test (the ITC test needs
# them); for your own site set them in your campaign file or give these options.
site=(--sonic-height-fence 2.2 --sonic-height-hill 3.1 --latitude 35.9)

for program in fieldjoin casetable; do
  for fence in 1 0; do
    for seed in 1 0; do
      run="$out/${program}_fence${fence}_seed${seed}"
      (cd "$out" && printf '%s\n%s\n' "$fence" "$seed" |
        DRIVE_MOUNT_ROOT="$data" "$bin/$program" "${site[@]}" >"$run.log" 2>"$run.diagnostics.log")
      echo >>"$run.log"
    done
  done
done

# The tables, and apart from them the quality tables the programs write beside them.
tables=()
quality=()
samplers=()
for file in "$out"/*.txt; do
  [ -e "$file" ] || continue
  case "$file" in
    *" QC.txt") quality+=("$file") ;;
    *" Samplers.txt") samplers+=("$file") ;;
    *) tables+=("$file") ;;
  esac
done
data_rows() { echo $(( $(wc -l <"$1") - 2 )); }

echo
echo "Tables in $out (data rows after the two header rows):"
for table in "${tables[@]}"; do
  printf '  %6d  %s\n' "$(data_rows "$table")" "$(basename "$table")"
done
if [ ${#quality[@]} -gt 0 ]; then
  echo "Quality tables (one row per data row of their table):"
  for table in "${quality[@]}"; do
    printf '  %6d  %s\n' "$(data_rows "$table")" "$(basename "$table")"
  done
fi
if [ ${#samplers[@]} -gt 0 ]; then
  echo "Sampler tables (one row per case and sampler, header row only):"
  for table in "${samplers[@]}"; do
    printf '  %6d  %s\n' "$(($(wc -l <"$table") - 1))" "$(basename "$table")"
  done
fi
echo "Console transcripts: $out/*.log; standard error of each run: $out/*.diagnostics.log"
for log in "$out"/*.diagnostics.log; do
  if [ -s "$log" ]; then
    lines=$(wc -l <"$log")
    echo "  $(basename "$log"): $lines line$([ "$lines" -eq 1 ] || echo s)"
  fi
done

# Quick-look figures of the eight tables, written beside them; a quality table beside a
# table marks its flag-2 windows.
echo
echo "Figures in $out:"
names=()
for table in "${tables[@]}"; do names+=("$(basename "$table")"); done
(cd "$out" && "$top/tools/plot_tables.sh" -- "${names[@]}")
