#!/bin/sh
# The engine must not depend on wxWidgets: no file under src/engine includes <wx/...>. And every
# include points down: app, settings, list and log at the bottom, then ftp, discovery, transfer (the
# passes and what they use) and run (the run's life) on top.
top=${1:-.}
if grep -rn -E '#\s*include\s*[<"]wx/' "$top/src/engine"; then
    echo "engine files include wxWidgets headers (above)" >&2
    exit 1
fi
level() {
    case $1 in
    app | settings | list | log) echo 0 ;;
    ftp) echo 1 ;;
    discovery) echo 2 ;;
    transfer) echo 3 ;;
    run) echo 4 ;;
    *) echo 9 ;;
    esac
}
bad=0
for file in "$top"/src/engine/*/*.h "$top"/src/engine/*/*.cpp; do
    folder=$(basename "$(dirname "$file")")
    own=$(level "$folder")
    for included in $(sed -n 's/^#include "\([a-z]*\)\/.*/\1/p' "$file" | sort -u); do
        if [ "$(level "$included")" -gt "$own" ]; then
            echo "$file includes $included/, a layer above $folder/" >&2
            bad=1
        fi
    done
done
[ $bad -eq 0 ] || exit 1
echo "engine is free of wxWidgets and its includes point down"
