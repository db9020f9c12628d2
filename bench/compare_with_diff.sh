#!/usr/bin/env bash
# Times a batch comparison (to CSV, and to HTML) beside `diff --side-by-side` and
# `git diff --no-index` on the same generated pairs and prints the ratios, the CPU times and
# Corvane's peak memory against the inputs' size; then the same pair in Shift_JIS, EUC-JP and
# UTF-16 against its UTF-8 time. On a busy machine compare the ratios and CPU times of one run.
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

# seconds PROGRAM ARGS...: "wall cpu peak-KB" of a run (its exit status is ignored): the mean
# wall and CPU seconds of $RUNS runs, less what starting /usr/bin/time itself takes, and the
# largest peak. Before each run what the one before wrote is deleted and the rest put on disk:
# Corvane syncs its output before it renames it into place, and would otherwise also wait for
# the peer's output still in the page cache, or free the blocks of an earlier output of the same
# name in its rename (a peer writing to a redirected stdout has the shell truncate it before
# the clock starts).
RUNS=1
seconds() {
  local total=0 i start end
  : > "$WORK/time"
  for ((i = 0; i < RUNS; i++)); do
    rm -f "$WORK"/out.*
    sync
    start=${EPOCHREALTIME/./}
    /usr/bin/time -a -f "%U %S %M" -o "$WORK/time" "$@" > "$WORK/out.txt" 2> /dev/null || true
    end=${EPOCHREALTIME/./}
    total=$(( total + end - start ))
  done
  awk -v us="$total" -v runs="$RUNS" -v base="${START_US:-0}" \
    '/^[0-9.]+ [0-9.]+ [0-9]+$/ { cpu += $1 + $2; if ($3 + 0 > peak) peak = $3 + 0 }
     END { printf "%.4f %.3f %d\n", (us / runs - base) / 1e6, cpu / runs, peak }' "$WORK/time"
}

# What a run of /usr/bin/time on a program that does nothing takes, in microseconds.
START_US=0
START_US=$(RUNS=20 seconds true | awk '{ printf "%d", $1 * 1e6 }')

ratio() { echo "$1 / $2" | bc -l; }

measure() { # measure NAME LEFT RIGHT
  local name=$1 left=$2 right=$3
  local size=$(( $(stat -c %s "$left") + $(stat -c %s "$right") ))
  local diff_s diff_cpu git_s git_cpu csv_s csv_cpu rss html_s html_cpu html_rss
  read -r diff_s diff_cpu _ < <(seconds diff --side-by-side --width=200 "$left" "$right")
  read -r git_s git_cpu _ < <(seconds git diff --no-index --no-color "$left" "$right")
  read -r csv_s csv_cpu rss < <(seconds "$CORVANE" "$left" "$right" /o "$WORK/out.csv")
  read -r html_s html_cpu html_rss < <(seconds "$CORVANE" "$left" "$right" /o "$WORK/out.html")
  printf '%s: inputs %.1f MB\n' "$name" "$(echo "$size / 1048576" | bc -l)"
  printf '  diff -y %6.3f s (cpu %5.2f)   git diff %6.3f s (cpu %5.2f)\n' \
    "$diff_s" "$diff_cpu" "$git_s" "$git_cpu"
  printf '  corvane CSV  %6.3f s (cpu %5.2f)  ratio to diff -y %5.2f, to git diff %5.2f  peak %7.1f MB (%.2fx inputs)\n' \
    "$csv_s" "$csv_cpu" "$(ratio "$csv_s" "$diff_s")" "$(ratio "$csv_s" "$git_s")" \
    "$(echo "$rss / 1024" | bc -l)" "$(echo "$rss * 1024 / $size" | bc -l)"
  printf '  corvane HTML %6.3f s (cpu %5.2f)  ratio to diff -y %5.2f, to git diff %5.2f  peak %7.1f MB\n' \
    "$html_s" "$html_cpu" "$(ratio "$html_s" "$diff_s")" "$(ratio "$html_s" "$git_s")" \
    "$(echo "$html_rss / 1024" | bc -l)"
}

# encodings LEFT RIGHT: the CSV time of the pair converted to each encoding against UTF-8's.
encodings() {
  local utf8_s utf8_cpu s cpu
  read -r utf8_s utf8_cpu _ < <(seconds "$CORVANE" "$1" "$2" /o "$WORK/out.csv")
  printf 'encodings (CSV): UTF-8 %.3f s (cpu %.2f)\n' "$utf8_s" "$utf8_cpu"
  for enc in SHIFT_JIS EUC-JP UTF-16; do
    iconv -f UTF-8 -t "$enc" < "$1" > "$WORK/l.$enc"
    iconv -f UTF-8 -t "$enc" < "$2" > "$WORK/r.$enc"
    read -r s cpu _ < <(seconds "$CORVANE" "$WORK/l.$enc" "$WORK/r.$enc" /o "$WORK/out.csv")
    printf '  %-9s %6.3f s (cpu %5.2f)  ratio to UTF-8 %5.2f (cpu %5.2f)\n' "$enc" "$s" "$cpu" \
      "$(ratio "$s" "$utf8_s")" "$(ratio "$cpu" "$utf8_cpu")"
    rm -f "$WORK/l.$enc" "$WORK/r.$enc"
  done
}

# Japanese text (the generated pairs are ASCII, which every encoding spells alike).
japanese() { # japanese SEED LINES
  awk -v seed="$1" -v n="$2" 'BEGIN {
    srand(seed);
    split("設定 比較 ファイル 結果 行 テキスト 差分 ａｂｃ 文字 表示", w, " ");
    for (i = 1; i <= n; i++) {
      if (rand() < 0.1) { print ""; continue }
      line = "    ";
      for (k = 0; k < 5; k++) line = line w[int(rand() * 10) + 1];
      print line " " i;
    }
  }'
}

gen 1 "$LINES" > "$WORK/a.txt"
edit 2 < "$WORK/a.txt" > "$WORK/b.txt"
RUNS=3 measure "$LINES lines, ~1% edits" "$WORK/a.txt" "$WORK/b.txt"

gen 3 50000 > "$WORK/c.txt"
gen 4 50000 | sed 's/value_/other_/; s/record/entry/' > "$WORK/d.txt"
RUNS=20 measure "50000 lines, all different" "$WORK/c.txt" "$WORK/d.txt"

japanese 5 "$(( LINES / 5 ))" > "$WORK/e.txt"
edit 6 < "$WORK/e.txt" > "$WORK/f.txt"
RUNS=3 encodings "$WORK/e.txt" "$WORK/f.txt"
