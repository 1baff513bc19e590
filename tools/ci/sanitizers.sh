#!/usr/bin/env bash
# Stage: the whole test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (preset "asan", build/asan; g++). Any sanitizer
# report fails the test that caused it, and so the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/ci/packages.sh

need=()
need_build_tools
apt_install ${need[@]+"${need[@]}"}

# Leaks count as failures; use-after-return is checked too. Child processes of
# the tests (the built fieldjoin) inherit these settings.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

cmake --preset asan >/dev/null
cmake --build --preset asan -j2
ctest --preset asan -j2

# The tables of the sanitizer build (-O0) and of the release build must be the same,
# windows without samples (not-a-number statistics) included.
tools/ci/compare_builds.sh build/ci build/asan
