#!/usr/bin/env bash
# Stage: the plain code paths (preset "portable", build/portable: no SSE2 line-end
# search, prefix test or four-series spike screening) built and tested, and their
# tables compared with build/ci's, which takes the fast paths.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/ci/packages.sh

need=()
need_build_tools
apt_install ${need[@]+"${need[@]}"}

cmake --preset portable >/dev/null
cmake --build --preset portable -j2
ctest --preset portable -j2 -L 'unit|end-to-end'
tools/ci/compare_builds.sh build/ci build/portable
