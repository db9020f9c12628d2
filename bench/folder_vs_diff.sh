#!/usr/bin/env bash
# Times a batch folder comparison (to CSV) beside `diff -rq` on two generated folders of N
# entries each (warm cache), for the content modes FFile=0, 1 and 2, and prints the ratios and
# Corvane's peak memory.
#   bench/folder_vs_diff.sh [entries]      (default 100,000 a side)
# CORVANE may name several programs (blank-separated, e.g. before and after a change): each is
# timed on the same folders, and the outputs of the later ones are compared with the first's.
# DATA names a folder that keeps the generated folders for later runs (made when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
N=${1:-100000}
read -r -a PROGRAMS <<< "${CORVANE:-build/corvane}"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
DATA=${DATA:-$WORK}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$WORK} # quiets Qt in a bare session

# Files of 100 to 4,000 bytes and ten empty sub-folders on both sides, all of one date. On the
# right, every 50th file has other bytes of the same size (only a content check tells), every
# 50th is shorter, every 100th has another date, every 100th is missing, and N/100 files are
# the right folder's own.
if [ ! -d "$DATA/L" ]; then
  mkdir "$DATA/L" "$DATA/R"
  awk -v n="$N" -v dir="$DATA" 'BEGIN {
    srand(7);
    line = "0123456789 the quick brown fox jumps over the lazy dog 0123456789\n";
    block = ""; for (k = 0; k < 64; k++) block = block line;
    for (i = 0; i < n - 10; i++) {
      name = sprintf("f%07d.txt", i);
      text = i " " substr(block, 1, 100 + int(rand() * 3900));
      printf "%s", text > (dir "/L/" name); close(dir "/L/" name);
      if (i % 100 == 30) continue;
      if (i % 50 == 25) gsub(/o/, "0", text);
      if (i % 50 == 0) text = i " X";
      printf "%s", text > (dir "/R/" name); close(dir "/R/" name);
    }
    for (i = 1; i <= n / 100; i++) {
      name = sprintf("%s/R/r%07d.txt", dir, i);
      print "own " i > name; close(name);
    }
  }'
  for i in $(seq 1 10); do mkdir "$DATA/L/sub$i" "$DATA/R/sub$i"; done
  find "$DATA/L" "$DATA/R" -mindepth 1 -print0 | xargs -0 touch -d '2024-05-06 07:08:09'
  ls "$DATA/R" | awk '/^f/ && substr($0, 2, 7) % 100 == 40 { print dir "/" $0 }' dir="$DATA/R" |
    xargs touch -d '2024-05-07 07:08:09'
fi

diff -rq "$DATA/L" "$DATA/R" > /dev/null || true # warms the cache
diff_s=$( { /usr/bin/time -f "%e %M" diff -rq "$DATA/L" "$DATA/R" > /dev/null || true; } 2>&1 | tail -n 1)
read -r diff_t diff_rss <<< "$diff_s"
printf 'entries %d + %d   diff -rq %6.2f s  peak %6.1f MB\n' \
  "$(ls -A "$DATA/L" | wc -l)" "$(ls -A "$DATA/R" | wc -l)" "$diff_t" "$(echo "$diff_rss / 1024" | bc -l)"

for p in "${!PROGRAMS[@]}"; do
  # A copy in a folder of its own, so that its setting.ini is this script's.
  mkdir "$WORK/bin$p"
  cp "${PROGRAMS[$p]}" "$WORK/bin$p/corvane"
  echo "${PROGRAMS[$p]}"
  for mode in 0 1 2; do
    printf '[Corvane]\r\nFFile=%d\r\n' "$mode" > "$WORK/bin$p/setting.ini"
    out="$WORK/out$p-$mode.csv"
    "$WORK/bin$p/corvane" "$DATA/L" "$DATA/R" /o "$out" > /dev/null || true # warm-up
    /usr/bin/time -f "%e %M" -o "$WORK/time" "$WORK/bin$p/corvane" "$DATA/L" "$DATA/R" /o "$out" \
      > "$WORK/status" || true
    read -r t rss < <(tail -n 1 "$WORK/time")
    same=""
    if [ "$p" -gt 0 ]; then
      cmp -s "$out" "$WORK/out0-$mode.csv" && same="  same output" || same="  OUTPUT DIFFERS"
    fi
    printf '  FFile=%d  corvane %6.2f s  ratio %5.2f  peak %6.1f MB  %s%s\n' "$mode" "$t" \
      "$(echo "$t / $diff_t" | bc -l)" "$(echo "$rss / 1024" | bc -l)" "$(head -c 120 "$WORK/status")" "$same"
  done
done
