#!/usr/bin/env bash
# compare_builds.sh BUILD_A BUILD_B: the eight console runs of both programs from two
# builds of the same source on one generated data set, whose measurement-result files
# end with their first case once more (out of time order: a window without samples,
# whose statistics are not numbers); every table, quality table and console transcript
# must be the same byte for byte.
set -euo pipefail
cd "$(dirname "$0")/../.."
a=$(cd "$1" && pwd)
b=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$a/generate_field_data" --root "$work/data" --days 1 --rate 2 --seed 5 >/dev/null
while IFS= read -r -d '' file; do
  case "$file" in *_fence.txt) block=14 ;; *) block=36 ;; esac
  sed -n "3,$((2 + block))p" "$file" >"$work/first"
  cat "$work/first" >>"$file"
done < <(find "$work/data" -path '*Measurement Result*' -name '*.txt' -print0)
for build in "$a" "$b"; do
  out="$work/out-$(basename "$build")"
  for program in fieldjoin casetable; do
    for fence in 1 0; do
      for seed in 1 0; do
        run="$out/${program}_${fence}${seed}"
        mkdir -p "$run"
        (cd "$run" && printf '%s\n%s\n' "$fence" "$seed" |
          DRIVE_MOUNT_ROOT="$work/data" "$build/$program" >console.log 2>/dev/null || echo "status $?" >>console.log)
      done
    done
  done
done
if ! diff -r "$work/out-$(basename "$a")" "$work/out-$(basename "$b")"; then
  echo "compare: $a and $b write different tables" >&2
  exit 1
fi
if ! grep -rq nan "$work/out-$(basename "$a")"; then
  echo "compare: no window without samples in the data: nothing compared" >&2
  exit 1
fi
echo "compare: $a and $b write the same $(find "$work/out-$(basename "$a")" -type f | wc -l) files"
