#!/usr/bin/env bash
# Builds the Debian package: a release build of the program in build-deb/ (BUILD_DIR), then
# cpack with the install rules of cmake/Install.cmake. The .deb lands in build-deb/.
#   sudo apt install ./build-deb/corvane_*.deb     # installs it with its libraries
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${BUILD_DIR:-build-deb}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target corvane
(cd "$build" && cpack -G DEB --config CPackConfig.cmake)
ls "$build"/corvane_*.deb
