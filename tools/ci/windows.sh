#!/usr/bin/env bash
# Windows stage: cross-builds both programs, the generator and the test suite
# for x86-64 Windows with MinGW-w64 (preset "windows", build/windows), runs
# the Windows test executables under Wine, then runs both Windows programs on
# a generated data tree for all four answers and checks that every table and
# console transcript equals the Linux build's, the line ends (CR LF) aside.
#
# Linux programs: $FIELD_LINUX_BIN when set (tools/run_tests.sh passes
# build/ci), else build/ci when it holds them, else a release build made here
# in build/winhost. Parallel build jobs: $FIELD_JOBS (default 2).
# Installs what is missing with apt-get; needs no display.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/ci/packages.sh
top=$(pwd)
jobs=${FIELD_JOBS:-2}

say() { printf '== windows [%4ss]: %s\n' "$SECONDS" "$*"; }
fail() { printf 'windows stage FAILED: %s\n' "$*" >&2; exit 1; }

# --- packages -----------------------------------------------------------------
find_wine() {
  if command -v wine64 >/dev/null; then command -v wine64
  elif [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64
  fi
}
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ -f /usr/include/toml++/toml.h ] || need+=(libtomlplusplus-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
[ -n "$(find_wine)" ] || need+=(wine64)
apt_install ${need[@]+"${need[@]}"}
wine=$(find_wine)
[ -n "$wine" ] || fail "no wine64 after installing it"

# --- cross build --------------------------------------------------------------
say "cross build (build/windows)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$jobs"
win="$top/build/windows"
for exe in fieldjoin casetable generate_field_data tests/unit_tests tests/end_to_end_tests; do
  [ -f "$win/$exe.exe" ] || fail "$exe.exe was not built"
done
# The zip users unpack: the programs and the same documents as the Debian package.
rm -f "$win"/fielddata-*-win64.zip
(cd "$win" && cpack -G ZIP >/dev/null)
zip=$(ls "$win"/fielddata-*-win64.zip)
listing=$(cmake -E tar tf "$zip")
for f in bin/fieldjoin.exe bin/casetable.exe bin/generate_field_data.exe share/doc/fielddata/README.md \
    share/doc/fielddata/copyright share/fielddata/plot_tables.sh; do
  printf '%s\n' "$listing" | grep -q "/$f\$" || fail "$(basename "$zip") lacks $f"
done
say "$(basename "$zip"): the programs, the README and the copyright file"

# --- Wine, headless -------------------------------------------------------------
# A fresh prefix each run; no display, no debug chatter, and no Mono or Gecko
# installer dialogs (mscoree and mshtml disabled).
export WINEPREFIX="$win/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
rm -rf "$WINEPREFIX"
say "preparing the Wine prefix"
"$wine" wineboot -i </dev/null >/dev/null 2>&1 || fail "wineboot -i failed (is Wine usable on this machine?)"
wineserver_bin=$(dirname "$wine")/wineserver
[ -x "$wineserver_bin" ] || wineserver_bin=$(command -v wineserver || true)
[ -n "$wineserver_bin" ] || fail "no wineserver"
"$wineserver_bin" -w
# One server for the whole stage: a server that exits 3 s after its last
# client can drop the next program starting at that moment ("wine client
# error ... Connection reset by peer").
"$wineserver_bin" -p
trap '"$wineserver_bin" -k 2>/dev/null || true' EXIT

passed=0
skipped=0
# Runs one GoogleTest executable under Wine and adds up its counts.
run_gtest() {
  local exe=$1 log
  log="$win/$(basename "$exe" .exe).wine.log"
  say "running $(basename "$exe") under Wine"
  if ! (cd "$(dirname "$exe")" && "$wine" "$exe" --gtest_brief=1) </dev/null >"$log" 2>&1; then
    cat "$log"
    fail "$(basename "$exe") failed under Wine (log: $log)"
  fi
  tr -d '\r' <"$log" | grep -E '^\[(==========|  PASSED  |  SKIPPED )\]' || true
  local p s
  p=$(tr -d '\r' <"$log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p')
  s=$(tr -d '\r' <"$log" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?[.,].*/\1/p')
  [ -n "$p" ] && [ "$p" -gt 0 ] || fail "$(basename "$exe") ran no test"
  passed=$((passed + p))
  skipped=$((skipped + ${s:-0}))
}
run_gtest "$win/tests/unit_tests.exe"
run_gtest "$win/tests/end_to_end_tests.exe"

# --- both programs on generated data, Linux against Windows ------------------
linux_bin=${FIELD_LINUX_BIN:-}
if [ -z "$linux_bin" ]; then
  linux_bin="$top/build/ci"
  for p in fieldjoin casetable generate_field_data; do
    [ -x "$linux_bin/$p" ] || linux_bin=""
  done
  if [ -z "$linux_bin" ]; then
    say "building the Linux programs (build/winhost)"
    cmake -S . -B build/winhost -DCMAKE_BUILD_TYPE=Release -DFIELD_BUILD_TESTS=OFF >/dev/null
    cmake --build build/winhost -j"$jobs" --target fieldjoin casetable generate_field_data
    linux_bin="$top/build/winhost"
  fi
fi
case "$linux_bin" in /*) ;; *) linux_bin="$top/$linux_bin" ;; esac

e2e="$win/e2e"
rm -rf "$e2e"
mkdir -p "$e2e/linux" "$e2e/windows"
say "generating one day of field data"
"$linux_bin/generate_field_data" --root "$e2e/data" --days 1 --cases-per-day 8 --seed 2014 >/dev/null
# The programs read C:\Vantrel\...: put the tree on Wine's drive C.
ln -s "$e2e/data/c/Vantrel" "$WINEPREFIX/drive_c/Vantrel"

say "running both programs for the four answers, Linux and Windows"
compared=0
for program in fieldjoin casetable; do
  for fence in 1 0; do
    for seed in 1 0; do
      run="${program}_${fence}${seed}"
      mkdir -p "$e2e/linux/$run" "$e2e/windows/$run"
      linux_status=0
      (cd "$e2e/linux/$run" && printf '%s\n%s\n' "$fence" "$seed" |
        DRIVE_MOUNT_ROOT="$e2e/data" "$linux_bin/$program" >console.txt 2>diagnostics.err) || linux_status=$?
      windows_status=0
      (cd "$e2e/windows/$run" && printf '%s\n%s\n' "$fence" "$seed" |
        "$wine" "$win/$program.exe" >console.txt 2>wine.stderr) || windows_status=$?
      [ "$linux_status" -eq "$windows_status" ] ||
        fail "$run: exit status $windows_status on Windows, $linux_status on Linux ($e2e/windows/$run/wine.stderr)"
      # Windows writes standard output in text mode too: compare the text only.
      cmp -s <(tr -d '\r' <"$e2e/windows/$run/console.txt") "$e2e/linux/$run/console.txt" ||
        fail "$run: console transcripts differ ($e2e/{linux,windows}/$run/console.txt)"
      # The table and its quality table beside it, and fieldjoin's sampler table.
      tables=$(cd "$e2e/linux/$run" && ls -- *.txt | grep -v '^console.txt$' || true)
      expected=2
      [ "$program" = casetable ] || expected=3
      [ "$(printf '%s\n' "$tables" | grep -c ' QC\.txt$')" -eq 1 ] &&
        [ "$(printf '%s\n' "$tables" | wc -l)" -eq "$expected" ] ||
        fail "$run: expected a table, its quality table and (fieldjoin) its sampler table from Linux, found: '$tables'"
      while IFS= read -r table; do
        rows=$(wc -l <"$e2e/linux/$run/$table")
        [ "$rows" -gt 2 ] || fail "$run: the Linux table '$table' has no data rows"
        [ -f "$e2e/windows/$run/$table" ] || fail "$run: Windows wrote no '$table'"
        # Same bytes once every LF of the Linux table is written as CR LF.
        cmp -s <(sed 's/$/\r/' "$e2e/linux/$run/$table") "$e2e/windows/$run/$table" ||
          fail "$run: '$table' differs beyond the line ends ($e2e/{linux,windows}/$run)"
        printf '  %-14s %-45s %5d rows  same bytes but CR LF\n' "$run" "$table" "$((rows - 2))"
      done <<<"$tables"
      compared=$((compared + 1))
    done
  done
done
[ "$compared" -eq 8 ] || fail "compared $compared tables, not 8"

# A data root and an output folder named outside the ANSI code page (Greek and CJK
# letters): the programs take their arguments and paths as UTF-8 and hand the system
# its wide-character calls.
say "a data root and an output folder with names outside the ANSI code page"
wide_root="$e2e/Feld δ 野外"
mkdir -p "$wide_root" "$e2e/windows/Ausgabe ω 出力"
ln -s "$e2e/data/c/Vantrel" "$wide_root/Vantrel"
to_wine() { printf 'Z:%s' "${1//\//\\}"; }
for program in fieldjoin casetable; do
  (cd "$e2e/windows" && LC_ALL=C.UTF-8 "$wine" "$win/$program.exe" --field fence --material seed \
    --data-root "$(to_wine "$wide_root/Vantrel")" --output-dir "$(to_wine "$e2e/windows/Ausgabe ω 出力")" \
    </dev/null >"$program.wide.console" 2>"$program.wide.stderr") ||
    fail "$program with a wide-character data root failed ($e2e/windows/$program.wide.stderr)"
  table=$(cd "$e2e/linux/${program}_11" && ls -- *.txt | grep -v -e '^console.txt$' -e ' QC\.txt$' -e ' Samplers\.txt$')
  cmp -s <(sed 's/$/\r/' "$e2e/linux/${program}_11/$table") "$e2e/windows/Ausgabe ω 出力/$table" ||
    fail "$program: '$table' below the wide-character folders differs from Linux's"
  printf '  %-14s %-45s same bytes but CR LF\n' "$program wide" "$table"
  compared=$((compared + 1))
done

"$wineserver_bin" -k 2>/dev/null || true  # leaves no Wine process behind
"$wineserver_bin" -w
say "Windows tests and table comparison done"
echo "windows: $((passed + compared)) passed, 0 failed, $skipped skipped"
