# Sourced by the build and test scripts.
# apt_install PKG...: installs the given Debian packages (the caller has
# checked that they are missing), without recommends (Wine's would bring fonts,
# sound and graphics stacks that console programs never use); nothing when none given.
apt_install() {
  [ $# -gt 0 ] || return 0
  echo "installing: $*"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

# need_build_tools: adds to the caller's `need` array what a native build with
# tests lacks (CMake, g++, GoogleTest, the CLI11, toml++ and nlohmann-json headers, python3 for the sampler
# table's reading test).
need_build_tools() {
  command -v cmake >/dev/null || need+=(cmake)
  command -v g++ >/dev/null || need+=(g++)
  [ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
  [ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
  [ -f /usr/include/toml++/toml.h ] || need+=(libtomlplusplus-dev)
  [ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
  command -v python3 >/dev/null || need+=(python3-minimal)
}
