#!/usr/bin/env bash
# Sets the machine up for the project and then runs the program or the tests.
#   bash scripts/zu.sh run     install what is missing, build, start the program
#   bash scripts/zu.sh test    install what is missing, build, run every test
# Safe to run again: packages already present are not touched, and the build
# only recompiles what changed.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${ZU_BUILD_DIR:-$here/build}"
mode="${1:-run}"

install_missing_packages() {
  local wanted missing=()
  wanted=$(grep -v -E '^\s*(#|$)' "$here/scripts/debian-packages.txt")
  for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "zu: installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {
  local launcher=()
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$here" CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${ZU_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" ${ZU_CMAKE_ARGS:-}
  fi
  cmake --build "$build" -j"$(nproc)"
}

# Chromium inside Qt WebEngine refuses to start as root unless its sandbox is off.
[ "$(id -u)" -ne 0 ] || export QTWEBENGINE_DISABLE_SANDBOX=1

install_missing_packages
configure_and_build

case "$mode" in
  run)
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      echo "zu: no display found; starting the program under a virtual X server (xvfb-run)"
      exec xvfb-run -a -s "-screen 0 1280x800x24" "$build/bin/ZuZIvi"
    fi
    exec "$build/bin/ZuZIvi"
    ;;
  test)
    export QT_QPA_PLATFORM=offscreen
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" ${ZU_CTEST_ARGS:-}
    ;;
  *)
    echo "usage: bash scripts/zu.sh run|test" >&2
    exit 2
    ;;
esac
