#!/usr/bin/env bash
# Quick-look figures of whole-data and test-case tables, written as PNG files beside each table:
#   whole-data table:  <table>_series.png   SourceStrength, UStar, L, WindSpeed, WindDirection per case
#                      <table>_windrose.png wind directions of the cases weighted by wind speed
#                      <table>_source_ustar.png  SourceStrength against UStar
#   with a quality table: <table>_qc_reasons.png what raised the flags
#                      <table>_source_interval.png  SourceStrength with its interval, and the
#                      inputs' shares of it as stacked bars
#   test-case table:   <table>_series.png   the same series per sub-window, coloured by test case
# <table> is the table's file name without .txt. The kind of table is told by its first header row.
# Values that are not numbers (NaN, inf, empty) or are -999 are left out; the count left out of each
# quantity is printed. When the table's quality table stands beside it ("<table> QC.txt", a QcFlag
# column, one row per data row), the windows of quality flag 2 are drawn with hollow markers; a
# quality table given as TABLE is passed over. Needs gnuplot (Debian: gnuplot-nox).
set -euo pipefail

name=${FIELD_PLOT_NAME:-$(basename "$0")}
usage_text() {
  echo "usage: $name [--] TABLE..."
  echo "  TABLE: a whole-data table (fieldjoin) or a test-case table (casetable)"
}
usage() {
  usage_text >&2
  exit 2
}
case "${1:-}" in
  -h | --help)
    usage_text
    cat <<'EOF'

Draws PNG figures beside each table, named after it without .txt:
  <table>_series.png           SourceStrength, UStar, L, WindSpeed and WindDirection per row
  <table>_windrose.png         the cases' wind directions weighted by wind speed (whole-data)
  <table>_source_ustar.png     SourceStrength against UStar (whole-data)
  <table>_qc_reasons.png       what raised the quality flag (with the quality table beside it)
  <table>_source_interval.png  SourceStrength with its interval and what drives it (the same)
Values that are not numbers or are -999 are left out and counted. With the quality table
("<table> QC.txt") beside a table, rows of flag 2 are hollow and rows of flag 1 crossed.
Needs gnuplot (Debian: gnuplot-nox). Exit status 0 when every table was drawn, 1 when one
could not be, 2 for a bad command line.
EOF
    exit 0
    ;;
  --) shift ;;
esac
[ $# -gt 0 ] || usage

if ! command -v gnuplot >/dev/null; then
  echo "$(basename "$0"): gnuplot not found (Debian package gnuplot-nox)" >&2
  exit 1
fi

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A gnuplot single-quoted string: only the quote itself needs doubling.
gp_string() {
  local s=${1//\'/\'\'}
  printf "'%s'" "$s"
}

status=0
for table in "$@"; do
  if [ ! -f "$table" ] || [ ! -r "$table" ]; then
    echo "$table: cannot read the table" >&2
    status=1
    continue
  fi
  dir=$(dirname "$table")
  name=$(basename "$table")
  case "$name" in
    *" QC.txt")
      echo "$table: quality table, marks the figures of ${name% QC.txt}.txt"
      continue
      ;;
    *" Samplers.txt")
      echo "$table: sampler table, not drawn"
      continue
      ;;
  esac
  stem=${name%.txt}
  [ "$dir" = . ] || stem="$dir/$stem"
  quality=
  case "$table" in
    *.txt) [ ! -f "${table%.txt} QC.txt" ] || quality="${table%.txt} QC.txt" ;;
  esac
  rm -rf "${work:?}"/*
  if ! summary=$(awk -v dir="$work" -v name="$name" -v path="$table" -v qcpath="$quality" \
      -f "$here/plot_tables.awk" "$table"); then
    status=1
    continue
  fi
  { read -r kind rows qc flagged; IFS= read -r left_line; } <<<"$summary"

  outputs=("${stem}_series.png")
  [ "$qc" != used ] || outputs+=("${stem}_qc_reasons.png" "${stem}_source_interval.png")
  if [ "$kind" = whole ]; then
    outputs+=("${stem}_windrose.png" "${stem}_source_ustar.png")
    echo "$table: whole-data table, $rows case$([ "$rows" -eq 1 ] || echo s)"
  else
    echo "$table: test-case table, $rows sub-window$([ "$rows" -eq 1 ] || echo s)"
  fi
  echo "$left_line"
  case "$qc" in
    used) echo "  quality table: $(basename "$quality"), $flagged window$([ "$flagged" -eq 1 ] || echo s) of flag 2 (hollow markers), flag 1 crossed, their reasons counted" ;;
    unusable) status=1 ;;
  esac

  if ! gnuplot -e "workdir = $(gp_string "$work")" \
      -e "out_series = $(gp_string "${stem}_series.png")" \
      -e "out_rose = $(gp_string "${stem}_windrose.png")" \
      -e "out_scatter = $(gp_string "${stem}_source_ustar.png")" \
      -e "out_reasons = $(gp_string "${stem}_qc_reasons.png")" \
      -e "out_interval = $(gp_string "${stem}_source_interval.png")" \
      "$here/plot_tables.gp"; then
    echo "$table: gnuplot failed" >&2
    status=1
    continue
  fi
  for png in "${outputs[@]}"; do echo "  wrote $png"; done
done
exit $status
