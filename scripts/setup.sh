#!/usr/bin/env bash
# Installs what the build and the tests need, and creates the project's Wine
# prefixes. cairo and AGG are the rasteriser's peers in `make bench` only,
# never linked into the product. stb (libstb-dev, header only) decodes the
# images inside movies in both builds; the host tools draw device text with
# DejaVu Sans (fonts-dejavu-core). liblzma (liblzma-dev, host only) is the
# reference the engine's own LZMA decoder is tested and fuzzed against. ffmpeg
# makes the test videos at test time and decodes them as the reference
# pictures and speeds for the engine's video decoders (never linked). Free Pascal (fp-compiler, and fp-units-rtl for its classes unit) runs
# the form-stream compatibility tests. Xvfb, xsetroot (x11-xserver-utils) and
# xcompmgr give the layered-window screenshot test its X display
# (scripts/xdisplay-run.sh), which runs in a second prefix with Wine's X11
# driver. Safe to run again: each step is skipped when its result is present.
set -euo pipefail

packages=(cmake ninja-build make g++ g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
          wine64 libwine-dev googletest libbenchmark-dev clang libclang-rt-14-dev zlib1g-dev libpng-dev
          fp-compiler fp-units-rtl xvfb x11-xserver-utils xcompmgr libcairo2-dev libagg-dev pkg-config
          libstb-dev fonts-dejavu-core liblzma-dev ffmpeg)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The posix thread model gives std::thread and std::mutex; the plain compiler
# name points at the win32 model.
x86_64-w64-mingw32-g++-posix --version >/dev/null

here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh"
"$here/wine-prefix.sh" x11
