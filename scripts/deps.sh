#!/usr/bin/env bash
# Installs the Debian 12 packages Vistrel needs, only those missing.
# Usage: scripts/deps.sh build|run|test|fuzz ...   (several groups may be named)
set -euo pipefail

BUILD_PKGS=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libxcb1-dev
            libmpv-dev libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev libpulse-dev libxcb-xfixes0-dev
            librsvg2-bin dpkg-dev file)
RUN_PKGS=(libmpv2 gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
          gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x gstreamer1.0-gl
          libgl1-mesa-dri fonts-dejavu-core ffmpeg qt6-qpa-plugins)
TEST_PKGS=(gstreamer1.0-tools mpv xvfb xauth x11-utils x11-xserver-utils xdotool xclip pulseaudio pulseaudio-utils
           dbus-daemon mediainfo desktop-file-utils appstream)
FUZZ_PKGS=(clang libclang-rt-14-dev)

wanted=()
for group in "$@"; do
  case "$group" in
    build) wanted+=("${BUILD_PKGS[@]}") ;;
    run)   wanted+=("${RUN_PKGS[@]}") ;;
    test)  wanted+=("${TEST_PKGS[@]}") ;;
    fuzz)  wanted+=("${FUZZ_PKGS[@]}") ;;
    *) echo "deps.sh: unknown group '$group' (build, run, test, fuzz)" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
SUDO=()
[[ $(id -u) -eq 0 ]] || SUDO=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
