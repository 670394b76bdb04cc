#!/usr/bin/env bash
# Builds the Debian package in build-release/ (Release, CPack's DEB generator) and checks it:
# the control file's Depends holds the linked libraries' packages (dpkg-shlibdeps) and the
# run-time plugin packages, and the package holds the installed layout. Run on demand (it
# builds a Release tree, a few minutes on two cores): scripts/check-deb.sh [--play] [BUILD_DIR]
# --play (as root, on a machine without Vistrel, e.g. in ../shared/tools/fresh-root.sh):
# then installs the package with apt, starts the installed program on a demo file under Xvfb
# with the test sound server, and checks that its sound stream plays.
set -euo pipefail
cd "$(dirname "$0")/.."
play=0
[[ "${1:-}" == --play ]] && { play=1; shift; }
build=${1:-build-release}

scripts/deps.sh build run
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVISTREL_TESTS=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/vistrel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/vistrel_*.deb)
[[ -f ${debs[0]} ]] || { echo "check-deb: cpack made no package" >&2; exit 1; }
deb=${debs[0]}

depends=$(dpkg-deb -f "$deb" Depends)
echo "$deb"
echo "Depends: $depends"
names=$(tr ',|' '\n\n' <<<"$depends" | awk '{print $1}')
status=0
# Linked (from dpkg-shlibdeps), then loaded at run time (listed in cmake/Packaging.cmake).
for pkg in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6dbus6 libmpv2 libgstreamer1.0-0 \
           libxcb1 gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad \
           gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-x gstreamer1.0-gl timgm6mb-soundfont \
           qt6-qpa-plugins; do
  if ! grep -Fxq "$pkg" <<<"$names"; then
    echo "check-deb: Depends lacks $pkg" >&2
    status=1
  fi
done
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/vistrel ./usr/bin/vistrel-info ./usr/share/applications/vistrel.desktop \
            ./usr/share/icons/hicolor/scalable/apps/vistrel.svg ./usr/share/icons/hicolor/48x48/apps/vistrel.png \
            ./usr/share/metainfo/org.vistrel.Vistrel.metainfo.xml; do
  if ! grep -q " $file\$" <<<"$contents"; then
    echo "check-deb: the package lacks $file" >&2
    status=1
  fi
done
[[ $status -eq 0 ]] && echo "check-deb: ok"
[[ $status -eq 0 && $play -eq 1 ]] || exit $status

scripts/deps.sh test
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" >/dev/null
source scripts/services.sh
start_test_services
xvfb-run -a -s '-screen 0 1280x800x24 -nolisten tcp' timeout 30 /usr/bin/vistrel "$PWD/demo/a_major_chord.mp3" &
player=$!
trap 'kill $player 2>/dev/null; wait $player 2>/dev/null || true; stop_test_services' EXIT
for _ in $(seq 100); do
  if pactl list sink-inputs 2>/dev/null | grep -q 'application.name = "Vistrel"'; then
    echo "check-deb: the installed program plays"
    exit 0
  fi
  sleep 0.2
done
echo "check-deb: the installed program played no sound stream" >&2
exit 1
