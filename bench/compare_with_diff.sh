#!/usr/bin/env bash
# Times a batch comparison (to CSV) beside `diff --side-by-side` on the same generated pairs and
# prints the ratios and Corvane's peak memory against the inputs' size.
#   bench/compare_with_diff.sh [lines]      (default 1,000,000 lines for the edited pair)
set -euo pipefail
cd "$(dirname "$0")/.."
LINES=${1:-1000000}
CORVANE=${CORVANE:-build/corvane}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Source-code-like lines: mostly unique, with the blank lines and braces real files repeat.
gen() { # gen SEED LINES
  awk -v seed="$1" -v n="$2" 'BEGIN {
    srand(seed);
    for (i = 1; i <= n; i++) {
      r = rand();
      if (r < 0.10) print "";
      else if (r < 0.15) print "    }";
      else if (r < 0.17) print "        return result;";
      else printf "    value_%d = compute(%d, \"record %d of the generated text\");\n", i, i * 7, i;
    }
  }'
}

# About 1% of the lines changed, deleted or inserted, scattered.
edit() { # edit SEED < in > out
  awk -v seed="$1" 'BEGIN { srand(seed) } {
    r = rand();
    if (r < 0.004) { print $0 " // changed"; next }
    if (r < 0.007) next;
    if (r < 0.010) print "    inserted_line(" NR ");";
    print
  }'
}

measure() { # measure NAME LEFT RIGHT
  local name=$1 left=$2 right=$3
  local size=$(( $(stat -c %s "$left") + $(stat -c %s "$right") ))
  local t0 t1 diff_s corvane_s rss
  t0=$(date +%s.%N)
  diff --side-by-side --width=200 "$left" "$right" > "$WORK/diff.out" || true
  t1=$(date +%s.%N)
  diff_s=$(echo "$t1 - $t0" | bc -l)
  /usr/bin/time -f "%e %M" -o "$WORK/time" "$CORVANE" "$left" "$right" /o "$WORK/out.csv" > /dev/null || true
  read -r corvane_s rss < <(tail -n 1 "$WORK/time")
  printf '%-28s inputs %7.1f MB  diff -y %6.2f s  corvane %6.2f s  ratio %5.2f  peak %7.1f MB (%.2fx inputs)\n' \
    "$name" "$(echo "$size / 1048576" | bc -l)" "$diff_s" "$corvane_s" \
    "$(echo "$corvane_s / $diff_s" | bc -l)" "$(echo "$rss / 1024" | bc -l)" \
    "$(echo "$rss * 1024 / $size" | bc -l)"
}

gen 1 "$LINES" > "$WORK/a.txt"
edit 2 < "$WORK/a.txt" > "$WORK/b.txt"
measure "$LINES lines, ~1% edits" "$WORK/a.txt" "$WORK/b.txt"

gen 3 50000 > "$WORK/c.txt"
gen 4 50000 | sed 's/value_/other_/; s/record/entry/' > "$WORK/d.txt"
measure "50000 lines, all different" "$WORK/c.txt" "$WORK/d.txt"
