#!/usr/bin/env bash
# Stage: builds the libFuzzer targets (preset "fuzz", clang with ASan and UBSan)
# and runs each one for a bounded time on its seed corpus; fails on any crash,
# sanitizer report, broken property, leak or time-out.
#
#   FUZZ_SECONDS   run time per target (default 20)
#   FUZZ_JOBS      targets run side by side (default 2)
#   FUZZ_TARGETS   names to run (default: all, e.g. "numbers logger")
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/ci/packages.sh

seconds=${FUZZ_SECONDS:-20}
jobs=${FUZZ_JOBS:-2}
targets=${FUZZ_TARGETS:-"numbers wildcard line_reader measurement logger station campaign"}

# clang with libFuzzer and the sanitizer runtimes (compiler-rt), and CMake.
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v clang++-14 >/dev/null || need+=(clang-14)
compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' >/dev/null || need+=(libclang-rt-14-dev)
apt_install ${need[@]+"${need[@]}"}
compiler=()
command -v clang++ >/dev/null || compiler=(-DCMAKE_CXX_COMPILER=clang++-14)

build=build/fuzz
cmake --preset fuzz "${compiler[@]}" >/dev/null
cmake --build --preset fuzz -j2

# Each run writes the inputs it finds into a scratch corpus (the committed seeds
# stay as they are) and a crashing input into build/fuzz/artifacts/.
mkdir -p "$build/artifacts" "$build/logs" "$build/tmp"
run_target() {
  local name=$1
  local work="$build/corpus/$name"
  mkdir -p "$work"
  if TMPDIR="$PWD/$build/tmp" "$build/fuzz/fuzz_$name" "$work" "fuzz/corpus/$name" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" >"$build/logs/$name.log" 2>&1; then
    local execs
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/logs/$name.log")
    printf 'fuzz %-12s ok: %s runs in %ss\n' "$name" "${execs:-?}" "$seconds"
  else
    printf 'fuzz %-12s FAILED (log: %s)\n' "$name" "$build/logs/$name.log"
    grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$build/logs/$name.log" | head -20 || true
    return 1
  fi
}

failed=0
pids=()
for name in $targets; do
  run_target "$name" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
if [ $failed -ne 0 ]; then
  echo "fuzz: a target failed; reproduce with $build/fuzz/fuzz_<name> <artifact>"
  exit 1
fi
echo "fuzz: all targets passed"
