#!/usr/bin/env bash
# The README's commands, run as a user would run them on the demo's data: the demo first
# (tools/demo.sh with the built programs), then every fenced block marked "sh test", in a
# scratch folder with the programs and fieldplot on PATH; a plain block right after one of them
# is what it prints, and must stay so. Every other "sh" block must be one
# of the two commands CI runs by itself; anything else fails, so the README cannot gain a
# command no test runs. Needs gnuplot for the figures (skipped, status 77, without it).
#   readme_commands_test.sh SOURCE_DIR BUILD_DIR SCRATCH_DIR
set -euo pipefail
src=$1 build=$2 work=$3
command -v gnuplot >/dev/null || { echo "readme: gnuplot not found: skipped"; exit 77; }
fail() { echo "readme: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/bin"
for program in fieldjoin casetable generate_field_data; do ln -s "$build/$program" "$work/bin/$program"; done
printf '#!/bin/sh\nFIELD_PLOT_NAME=fieldplot exec "%s/tools/plot_tables.sh" "$@"\n' "$src" >"$work/bin/fieldplot"
chmod +x "$work/bin/fieldplot"
export PATH="$work/bin:$PATH"

# The demo, on the programs of this build, into the scratch folder.
FIELD_DEMO_BIN="$build" FIELD_DEMO_DIR="$work/demo" "$src/tools/demo.sh" >"$work/demo.log" 2>&1 ||
  fail "tools/demo.sh failed: $(tail -5 "$work/demo.log")"
[ "$(ls "$work/demo/output"/*.txt | wc -l)" -eq 20 ] || fail "the demo did not leave 8 tables, 8 quality tables and 4 sampler tables"

# The blocks, found first: "sh test" ones run in order, each with bash -e in the scratch folder.
awk -v shown="$work/shown" '
  /^```/ && !inblock {
    inblock = 1; kind = substr($0, 4); start = NR; body = ""
    # A plain block two lines after a tested one shows its output.
    output = (kind == "" && lastTested && NR == lastEnd + 2) ? lastStart : 0
    next
  }
  /^```/ && inblock {
    inblock = 0
    lastTested = (kind == "sh test"); lastEnd = NR; lastStart = start
    if (output) { printf "%s", body > (shown output ".txt"); close(shown output ".txt") }
    if (kind == "sh test") printf "%d\n%s%c", start, body, 0
    else if (kind == "sh" && body != "./tools/demo.sh\n" && body != "./tools/run_tests.sh\n")
      printf "unmarked sh block at line %d\n", start > "/dev/stderr"
    next
  }
  inblock { body = body $0 "\n" }' "$src/README.md" >"$work/blocks.bin" 2>"$work/unmarked.txt"
blocks=0
while IFS= read -r -d '' block; do
  line=${block%%$'\n'*}
  body=${block#*$'\n'}
  blocks=$((blocks + 1))
  (cd "$work" && bash -euo pipefail -c "$body") >"$work/block$blocks.log" 2>&1 ||
    fail "the block at README line $line failed: $(tail -5 "$work/block$blocks.log")"
  # A plain block right after it (a blank line between) is what it prints: it must still be so.
  if [ -f "$work/shown$line.txt" ]; then
    diff -u "$work/shown$line.txt" "$work/block$blocks.log" >"$work/shown$line.diff" ||
      fail "the output shown under the block at README line $line is no longer what it prints: $(cat "$work/shown$line.diff")"
    echo "readme: the block at line $line ran and printed what the README shows"
  else
    echo "readme: the block at line $line ran"
  fi
done <"$work/blocks.bin"
[ ! -s "$work/unmarked.txt" ] || fail "$(cat "$work/unmarked.txt") (mark it \"sh test\" or make it an output block)"
[ "$blocks" -ge 5 ] || fail "only $blocks blocks marked \"sh test\""
# What the blocks leave: the batch's and the campaign's tables, the generator's tree, the figure.
[ "$(ls "$work/out"/*.txt | wc -l)" -ge 20 ] || fail "the batch example wrote no tables to out/"
[ -f "$work/demo/output/2014 TN Seed Whole Data_fence_source_interval.png" ] || fail "fieldplot drew no interval figure"
[ -d "$work/field/c/Vantrel" ] || fail "the generator example wrote no tree"
echo "readme: the demo and $blocks blocks ran"
