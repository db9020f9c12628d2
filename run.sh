#!/usr/bin/env bash
# Installs what is missing, builds if needed, then starts build/corvane with the given arguments.
# Without arguments it compares the two example files shipped in examples/: in the window when
# a display is available, otherwise into build/example.html.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja >/dev/null
fi
if ! cmake --build build >build/build.log 2>&1; then
  cat build/build.log >&2
  exit 2
fi
if [ $# -eq 0 ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/corvane "$PWD/examples/left_sjis.txt" "$PWD/examples/right_utf8.txt"
fi
if [ $# -eq 0 ]; then
  # No display: the same comparison as an HTML page.
  out="$PWD/build/example.html"
  set +e
  build/corvane "$PWD/examples/left_sjis.txt" "$PWD/examples/right_utf8.txt" /o "$out"
  status=$?
  set -e
  if [ $status -le 1 ]; then
    echo "比較結果: $out"
    exit 0
  fi
  exit $status
fi
exec build/corvane "$@"
