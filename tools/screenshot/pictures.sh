#!/usr/bin/env bash
# Renders the README's pictures from the generated data: one per level, the game-over frame and
# the won frame. Usage: tools/screenshot/pictures.sh [BUILD_DIR] (default build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cd "$build/run"
for scene in level1 level2 level3 level4 gameover won; do
    xvfb-run -a -s "-screen 0 1920x1080x24" "$build/tools/screenshot/velmora_screenshot" \
        "$root/docs/pictures/$scene.png" --scene "$scene" --size 960x540
done
