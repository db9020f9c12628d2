#!/usr/bin/env bash
# Builds the fuzz targets into build-fuzz/ with clang and runs each one for FUZZ_SECONDS
# (default 45) from a fresh copy of its seed corpus in fuzz/corpus/<target>/, FUZZ_JOBS targets
# at a time (default: the number of cores). Prints each target's executions and coverage.
# Exits non-zero when a target crashes, hangs or runs out of memory; the input that did it is
# kept in build-fuzz/findings/<target>/ and the log in build-fuzz/work/<target>.log.
#
#   fuzz/run_all.sh                    # every target
#   FUZZ_SECONDS=600 fuzz/run_all.sh xlsx docx   # some targets, longer
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-45}
jobs=${FUZZ_JOBS:-$(nproc)}
build=build-fuzz

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCORVANE_FUZZ=ON -DCORVANE_LTO=OFF \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
cmake --build "$build" --target fuzzers >"$build/fuzz-build.log" 2>&1 || {
  cat "$build/fuzz-build.log" >&2
  exit 2
}

targets=()
if [ $# -gt 0 ]; then
  for t in "$@"; do targets+=("${t#fuzz_}"); done
else
  for d in fuzz/corpus/*/; do targets+=("$(basename "$d")"); done
fi

# Full stacks for allocations: libgsf allocates through glib, which is built without frame
# pointers, and the fast unwinder stops there, so the suppression of libgsf's known leak in
# scripts/lsan.supp could not see the libgsf frame.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1:fast_unwind_on_malloc=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}

run_one() {
  local name=$1 work="$build/work/$1" findings="$build/findings/$1"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$findings"
  cp -r "fuzz/corpus/$name/." "$work/corpus/"
  local extra=()
  [ -f "fuzz/corpus/$name.options" ] && read -r -a extra <"fuzz/corpus/$name.options"
  # -timeout: one input running this long is a hang; -rss_limit_mb: a memory blow-up.
  # A fixed seed (FUZZ_SEED) makes a run repeatable enough to reproduce what CI saw.
  "$build/fuzz_$name" "$work/corpus" -seed="${FUZZ_SEED:-1}" -max_total_time="$seconds" -timeout=20 \
    -rss_limit_mb=3072 -print_final_stats=1 -artifact_prefix="$findings/" "${extra[@]}" \
    >"$work.log" 2>&1
  echo $? >"$work.status"
}

mkdir -p "$build/work"
for name in "${targets[@]}"; do
  [ -x "$build/fuzz_$name" ] || { echo "fuzz: no target fuzz_$name" >&2; exit 2; }
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run_one "$name" &
done
wait

failed=0
printf '%-18s %12s %8s  %s\n' target executions cov: result
for name in "${targets[@]}"; do
  log="$build/work/$name.log"
  status=$(cat "$build/work/$name.status" 2>/dev/null || echo 99)
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  if [ "$status" = 0 ]; then
    result=ok
  else
    result="FAILED (status $status, see $log)"
    failed=1
  fi
  printf '%-18s %12s %8s  %s\n' "$name" "${execs:-?}" "${cov:-?}" "$result"
done
if [ $failed -ne 0 ]; then
  for name in "${targets[@]}"; do
    [ "$(cat "$build/work/$name.status")" = 0 ] && continue
    echo "---- $name" >&2
    grep -m1 -B2 -A25 -E '^==[0-9]+==ERROR|runtime error|deadly signal|Timeout|out-of-memory' \
      "$build/work/$name.log" >&2 || tail -30 "$build/work/$name.log" >&2
  done
fi
exit $failed
