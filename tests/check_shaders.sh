#!/usr/bin/env bash
# Validates each of the game's GLSL programs with the reference compiler, which holds a
# "#version 330 core" source to exactly that language version: a feature of a later version, an
# error or a warning fails. The files carry no extension, so the stage comes from the name.
set -u
validator=$1
shaders=$2
status=0

validate() {  # file, stage
    local output
    output=$("$validator" -S "$2" "$1" 2>&1) && ! grep -q -E 'ERROR|WARNING' <<<"$output" && return 0
    echo "$(basename "$1") ($2): rejected"
    echo "$output"
    return 1
}

count=0
for file in "$shaders"/*; do
    case "$(basename "$file")" in
        *Ver | *ver | EMVshader) validate "$file" vert || status=1 ;;
        *Frag | *frag | EMFshader) validate "$file" frag || status=1 ;;
        *) echo "$(basename "$file"): no stage for this name"; status=1; continue ;;
    esac
    count=$((count + 1))
done

echo "$count shaders checked"
exit $status
