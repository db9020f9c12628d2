#!/usr/bin/env bash
# Fails, listing each file, when clang-format (with the committed .clang-format) would change a
# C++ file under src/, tests/, bench/ or fuzz/. Fix one with: clang-format -i --style=file FILE
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "check-format: clang-format is missing" >&2; exit 1; }

bad=0
while IFS= read -r -d '' file; do
    if ! clang-format --style=file "$file" | cmp -s - "$file"; then
        echo "$file"
        bad=1
    fi
done < <(find src tests bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)

if [ "$bad" = 1 ]; then
    echo "check-format: clang-format would change the files above" >&2
fi
exit "$bad"
