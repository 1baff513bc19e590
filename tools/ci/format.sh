#!/usr/bin/env bash
# Stage: every C++ source of the repository as .clang-format lays it out
# (hand-aligned tables are fenced with "// clang-format off" / "on").
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/ci/packages.sh

need=()
command -v clang-format >/dev/null || need+=(clang-format)
apt_install ${need[@]+"${need[@]}"}

mapfile -t files < <(git ls-files '*.cpp' '*.hpp')
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "format: the files above differ from .clang-format's layout; run: clang-format -i \$(git ls-files '*.cpp' '*.hpp')" >&2
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format lays them out"
