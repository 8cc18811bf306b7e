#!/usr/bin/env bash
# Fails when a module includes a header it must not depend on.
set -u
root=$1
status=0
check() {  # folder, forbidden include pattern, reason
    local hits
    hits=$(grep -n -E "#include [<\"]($2)" "$root/$1"/*.h "$root/$1"/*.cpp 2>/dev/null)
    if [ -n "$hits" ]; then
        echo "$1/ must not include $3:"
        echo "$hits"
        status=1
    fi
}
check camera 'GL/|GLFW/|render/|scene/|game/|app/' 'OpenGL, window or higher-level headers'
check game 'GL/|GLFW/|render/|scene/|app/' 'OpenGL, window, render, scene or app headers'
check render 'scene/|game/|app/' 'scene, game or app headers'
check scene 'app/' 'app headers'
exit $status
