#!/usr/bin/env bash
# Builds everything and runs every test, on a fresh machine too: installs the
# compiler, CMake, GoogleTest and gnuplot from the distribution's packages when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/ci/packages.sh

need=()
need_build_tools
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
apt_install ${need[@]+"${need[@]}"}

# Stages: the layout check and the native build with its tests first, then the other stages.
tools/ci/format.sh
tools/ci/layers.sh
cmake --preset ci >/dev/null
cmake --build --preset ci -j2
ctest --preset ci -j2

# The plain code paths: built, tested and their tables compared with the fast paths'.
tools/ci/portable.sh

# Packages: the Debian package of build/ci, unpacked into a scratch folder and checked.
tools/ci/package.sh

# Windows: the cross build, its tests under Wine, its tables against build/ci's.
FIELD_LINUX_BIN=build/ci tools/ci/windows.sh

# Sanitizers: the whole test suite again under ASan + UBSan (build/asan).
tools/ci/sanitizers.sh

# Fuzzing: each parser's libFuzzer target for a bounded time (clang, build/fuzz).
tools/ci/fuzz.sh
