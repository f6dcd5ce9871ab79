#!/bin/sh
# The engine must not depend on wxWidgets: no file under src/engine includes <wx/...>.
top=${1:-.}
if grep -rn -E '#\s*include\s*[<"]wx/' "$top/src/engine"; then
    echo "engine files include wxWidgets headers (above)" >&2
    exit 1
fi
echo "engine is free of wxWidgets"
