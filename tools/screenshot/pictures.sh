#!/usr/bin/env bash
# Renders the README's pictures from the generated data: one per level, the game-over frame and
# the won frame; then, with the torch brightened (UP pressed five times), the board at the start
# and solved from its camera, the goal print behind it, a door that never opens and the exit door
# of level 1. Usage: tools/screenshot/pictures.sh [BUILD_DIR] (default build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cd "$build/run"
shot() {
    xvfb-run -a -s "-screen 0 1920x1080x24" "$build/tools/screenshot/velmora_screenshot" \
        "$root/docs/pictures/$1.png" --size 960x540 "${@:2}"
}
for scene in level1 level2 level3 level4 gameover won; do
    shot "$scene" --scene "$scene"
done
shot board-start --scene level2 --visibility 6
# Every frame of a solved board lowers the selected tile once more: one frame shows it as solved.
shot board-solved --scene solved --visibility 6 --frames 1
shot board-goal --level 2 --eye -5.0,9.25,-1.0 --look -6.75,9.1,-1.0 --visibility 6
shot door-boarded --level 1 --eye -1.5,8.0,-4.6 --look -0.125,7.75,-4.92 --visibility 6
shot door-exit --level 1 --eye -3.3,8.0,-1.2 --look -4.66,7.75,-1.06 --visibility 6
