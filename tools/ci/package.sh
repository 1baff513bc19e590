#!/usr/bin/env bash
# Stage: the Debian package of the ci build (cpack -G DEB in build/ci), unpacked
# into a scratch folder (nothing is installed on the system) and checked: its
# control fields, its files, and that the unpacked fieldjoin prints the version
# CMake gave the build.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tools/ci/packages.sh

need=()
need_build_tools
# cpack's DEB generator: dpkg-shlibdeps works out the Depends line, file finds the executables.
command -v dpkg-shlibdeps >/dev/null || need+=(dpkg-dev)
command -v file >/dev/null || need+=(file)
command -v lintian >/dev/null || need+=(lintian)
apt_install ${need[@]+"${need[@]}"}

cmake --preset ci >/dev/null
cmake --build --preset ci -j2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/ci/CMakeCache.txt)
[ -n "$version" ] || { echo "package: no project version in build/ci/CMakeCache.txt" >&2; exit 1; }

rm -f build/ci/fielddata_*.deb
(cd build/ci && cpack -G DEB >/dev/null)
deb=$(ls build/ci/fielddata_"$version"_*.deb)
echo "package: $deb"

fail() { echo "package: $*" >&2; exit 1; }

# Control fields.
for field in Package Version Maintainer Description Depends; do
  value=$(dpkg-deb --field "$deb" "$field")
  [ -n "$value" ] || fail "no $field field"
done
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "Version is not $version"

# The files, unpacked below a scratch root.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for f in usr/bin/fieldjoin usr/bin/casetable usr/bin/generate_field_data usr/bin/fieldplot \
    usr/share/fielddata/plot_tables.sh; do
  [ -x "$root/$f" ] || fail "$f missing or not executable"
done
for f in usr/share/fielddata/plot_tables.awk usr/share/fielddata/plot_tables.gp usr/share/doc/fielddata/README.md \
    usr/share/bash-completion/completions/fieldjoin usr/share/bash-completion/completions/casetable; do
  [ -f "$root/$f" ] || fail "$f missing"
done
# The manual pages, made from --help: each names its program and lists the options.
for program in fieldjoin casetable generate_field_data fieldplot; do
  page="$root/usr/share/man/man1/$program.1.gz"
  [ -f "$page" ] || fail "no manual page of $program"
  zcat "$page" | grep -q "^\.TH $(echo "$program" | tr a-z A-Z) 1" || fail "$program.1.gz is no manual page of $program"
  zcat "$page" | grep -q -e "--root\|--field\|TABLE" || fail "$program.1.gz lists no options"
done
# fieldplot finds its scripts from the unpacked tree: with no table it prints its usage.
if "$root/usr/bin/fieldplot" >/dev/null 2>"$root/fieldplot.err"; then fail "fieldplot without a table exited 0"; fi
grep -q "usage: fieldplot" "$root/fieldplot.err" || fail "fieldplot did not reach plot_tables.sh: $(cat "$root/fieldplot.err")"
# The completion offers the campaign's names.
bash -c ". '$root/usr/share/bash-completion/completions/fieldjoin'; COMP_WORDS=('$root/usr/bin/fieldjoin' --field ''); COMP_CWORD=2; _fielddata; echo \"\${COMPREPLY[*]}\"" |
  grep -qx "fence hill" || fail "completion of --field does not offer fence and hill"

# The unpacked program's version. Run in an empty folder with no input, so a
# program that took the option for a run could only write an empty table there.
work="$root/work"
mkdir "$work"
output=$(cd "$work" && timeout 30 "$root/usr/bin/fieldjoin" --version </dev/null 2>&1) || true
case "$output" in
  *"$version"*) echo "package: fieldjoin --version: $output" ;;
  *) fail "fieldjoin --version does not print $version: $output" ;;
esac
# Debian's package checker: no error, no warning (root runs it too, as CI does).
lint=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v "running with root privileges" || true)
echo "package: lintian: ${lint:-no tags}"
if printf '%s\n' "$lint" | grep -q '^[EW]: '; then fail "lintian reports errors or warnings"; fi
echo "package: $deb checked"
