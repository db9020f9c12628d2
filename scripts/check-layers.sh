#!/usr/bin/env bash
# Fails, listing file:line, when an #include between folders of src/ points up the layer order
#   app > mainwindow > edit > run > folder, sheet, export, settings, oneline, merge > engine >
#   encoding > platform
# A folder may include its own files and any folder of a lower layer; the six folders of the
# middle layer never include each other. A ui/ subfolder counts as part of its folder, but a
# file outside ui/, mainwindow/ and app/ (the headless core) must not include a ui/ header.
set -euo pipefail
cd "$(dirname "$0")/../src"

find . -name '*.cpp' -o -name '*.h' | sed 's|^\./||' | sort | xargs awk '
BEGIN {
    split("platform encoding engine folder sheet export settings oneline merge run edit mainwindow app", names)
    split("1 2 3 4 4 4 4 4 4 5 6 7 8", levels)
    for (i in names) level[names[i]] = levels[i]
}
FNR == 1 {
    split(FILENAME, part, "/")
    from = part[1]
    core = FILENAME !~ /\/ui\// && from != "mainwindow" && from != "app"
}
/^[ \t]*#[ \t]*include[ \t]*"[a-z]+\// {
    split($0, quoted, "\"")
    header = quoted[2]
    split(header, part, "/")
    to = part[1]
    why = ""
    if (!(from in level) || !(to in level))
        why = "unknown folder"
    else if (from != to && level[from] <= level[to])
        why = from " may not include " to
    else if (core && header ~ /\/ui\//)
        why = "the core may not include a ui/ header"
    if (why != "") {
        printf "src/%s:%d: #include \"%s\": %s\n", FILENAME, FNR, header, why
        bad = 1
    }
}
END { exit bad }
' || { echo "check-layers: includes above point up the layer order" >&2; exit 1; }
