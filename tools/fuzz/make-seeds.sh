#!/usr/bin/env bash
# Makes the fuzzer's seed inputs from the generated world data (see AssetFuzzing.h for the
# format): every model with its material library and the first image the library names, and every
# image both as a texture and as a sky image. Models larger than 200 KB are left out: they slow
# every run down and add no kind of line the smaller ones lack.
#   make-seeds.sh RUN_DIR OUT_DIR
set -euo pipefail
run=$1
out=$2
mkdir -p "$out"
separator=$'\n--velmora-part--\n'
for obj in "$run"/Meshes/*.obj; do
  [ "$(stat -c %s "$obj")" -le 204800 ] || continue
  name=$(basename "${obj%.obj}")
  mtl="${obj%.obj}.mtl"
  image=""
  if [ -f "$mtl" ]; then
    image=$(awk '/^map_Kd/ { print $2; exit }' "$mtl")
  fi
  {
    printf '\x00'
    sed 's/^mtllib .*/mtllib model.mtl/' "$obj"
    printf '%s' "$separator"
    if [ -f "$mtl" ]; then sed 's#^map_Kd .*#map_Kd Textures/image.png#' "$mtl"; fi
    printf '%s' "$separator"
    if [ -n "$image" ] && [ -f "$run/$image" ]; then cat "$run/$image"; fi
  } > "$out/model-$name"
done
for image in "$run"/Textures/*; do
  name=$(basename "$image")
  { printf '\x01'; cat "$image"; } > "$out/texture-$name"
  { printf '\x02'; cat "$image"; } > "$out/sky-$name"
done
echo "fuzz: $(ls "$out" | wc -l) seeds in $out"
