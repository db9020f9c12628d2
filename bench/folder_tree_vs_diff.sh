#!/usr/bin/env bash
# Times a batch folder comparison through every level (Recursive=1, FFile=0, to CSV) beside
# `diff -rq` on two generated trees, and prints the ratio and Corvane's peak memory.
#   bench/folder_tree_vs_diff.sh [entries] [folders]     (default 100,000 in 1,000 folders)
# Times are wall clock and CPU (user + system). DATA=dir keeps the trees in dir/L and dir/R
# (for build/folder_tree_window), and reuses them when they are there already.
# The trees are folders three levels deep (d0/d1/d2) holding the files; on the right 1 % of
# the files are shorter, every 200th is missing and every folder holds one file of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
N=${1:-100000}
F=${2:-1000}
PROGRAM=${CORVANE:-build/corvane}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$WORK}
TREES=${DATA:-$WORK}
mkdir -p "$TREES"
if [ ! -d "$TREES/L" ] || [ ! -d "$TREES/R" ]; then
awk -v n="$N" -v f="$F" -v dir="$WORK" 'BEGIN {
  per = int(n / f);
  for (d = 0; d < f; d++) {
    sub_ = sprintf("%d/%d/%d", d % 10, int(d / 10) % 10, d);
    print sub_;
  }
}' > "$WORK/folders"
for side in L R; do
  (cd "$TREES" && mkdir -p "$side" && cd "$side" && xargs mkdir -p < "$WORK/folders")
done
awk -v n="$N" -v f="$F" -v dir="$TREES" -v list="$WORK/folders" 'BEGIN {
  per = int(n / f);
  while ((getline sub_ < list) > 0) {
    for (i = 0; i < per; i++) {
      k++;
      name = sprintf("/%s/f%05d.txt", sub_, i);
      text = "entry " k " of the tree\n";
      printf "%s", text > (dir "/L" name); close(dir "/L" name);
      if (k % 200 == 7) continue;
      if (k % 100 == 3) text = "x\n";
      printf "%s", text > (dir "/R" name); close(dir "/R" name);
    }
    own = dir "/R/" sub_ "/own.txt";
    print "own" > own; close(own);
  }
}'
find "$TREES/L" "$TREES/R" -mindepth 1 -print0 | xargs -0 touch -d '2024-05-06 07:08:09'
fi

diff -rq "$TREES/L" "$TREES/R" > /dev/null || true # warms the cache
read -r diff_t diff_cpu diff_rss < <( { /usr/bin/time -f "%e %U %S %M" diff -rq "$TREES/L" "$TREES/R" > /dev/null || true; } 2>&1 | tail -n 1 | awk '{ print $1, $2 + $3, $4 }')
printf 'entries %d + %d in %d folders   diff -rq %6.2f s (cpu %6.2f s)  peak %6.1f MB\n' \
  "$(find "$TREES/L" -mindepth 1 | wc -l)" "$(find "$TREES/R" -mindepth 1 | wc -l)" "$F" \
  "$diff_t" "$diff_cpu" "$(echo "$diff_rss / 1024" | bc -l)"

mkdir "$WORK/bin"
cp "$PROGRAM" "$WORK/bin/corvane"
printf '[Corvane]\r\nRecursive=1\r\nFFile=0\r\n' > "$WORK/bin/setting.ini"
"$WORK/bin/corvane" "$TREES/L" "$TREES/R" /o "$WORK/out.csv" > /dev/null || true # warm-up
/usr/bin/time -f "%e %U %S %M" -o "$WORK/time" "$WORK/bin/corvane" "$TREES/L" "$TREES/R" /o "$WORK/out.csv" \
  > "$WORK/status" || true
read -r t cpu rss < <(tail -n 1 "$WORK/time" | awk '{ print $1, $2 + $3, $4 }')
printf 'corvane %6.2f s (cpu %6.2f s)  ratio %5.2f (cpu %5.2f)  peak %6.1f MB  %s\n' "$t" "$cpu" \
  "$(echo "$t / $diff_t" | bc -l)" "$(echo "$cpu / $diff_cpu" | bc -l)" \
  "$(echo "$rss / 1024" | bc -l)" "$(head -c 120 "$WORK/status")"
