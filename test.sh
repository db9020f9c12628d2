#!/usr/bin/env bash
# Installs what is missing, builds and runs every test three ways:
#   1. the normal build in build/ (BUILD_DIR), the include-layer and format checks
#      (scripts/check-layers.sh, scripts/check-format.sh), then its tests;
#   2. the whole suite again built with AddressSanitizer + UndefinedBehaviorSanitizer in
#      build-asan/ (leak reports of the libraries below us are filtered by scripts/lsan.supp);
#   3. every fuzz target for FUZZ_SECONDS (30) seconds (fuzz/run_all.sh, build-fuzz/).
# SKIP_ASAN=1 or SKIP_FUZZ=1 leave out stage 2 or 3.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
build=${BUILD_DIR:-build}
# Each stage line gives the clock time and the CPU seconds (user + system) of all that ran so far.
cpu_seconds() {
  local f
  read -r -a f </proc/$$/stat
  echo $(((f[15] + f[16]) / $(getconf CLK_TCK)))
}
stage() { echo "== $1 ($(date +%T), CPU so far $(cpu_seconds) s)"; }

stage "build $build"
cmake -S . -B "$build" -G Ninja -DCORVANE_WERROR=ON >/dev/null
cmake --build "$build"
stage "checks"
./scripts/check-layers.sh
./scripts/check-format.sh
stage "tests $build"
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600)

if [ "${SKIP_ASAN:-0}" != 1 ]; then
  stage "build build-asan"
  cmake -S . -B build-asan -G Ninja -DCORVANE_SANITIZE=ON -DCORVANE_LTO=OFF -DCORVANE_WERROR=ON \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-asan
  stage "tests build-asan"
  (cd build-asan &&
    QT_QPA_PLATFORM=offscreen \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ASAN_OPTIONS=detect_leaks=1 \
    LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0" \
    ctest --output-on-failure -j "$(nproc)" --timeout 900)
fi

if [ "${SKIP_FUZZ:-0}" != 1 ]; then
  stage "fuzz"
  FUZZ_SECONDS=${FUZZ_SECONDS:-30} fuzz/run_all.sh
fi
stage "done"
