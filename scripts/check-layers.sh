#!/usr/bin/env bash
# Includes point one way: a folder may include its own layer and the layers below it, never one
# above. Prints every include that breaks this and fails; silent and quick when all is well.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Lowest first: each folder is its own layer.
layers=(
    "platform"
    "engine"
    "process"
    "gpu"
    "games"
    "tweaks"
    "overlays"
    "runs"
    "cli"
    "app"
)

declare -A layer_of
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do
        layer_of[$folder]=$i
    done
done

status=0
for folder in "${!layer_of[@]}"; do
    own=${layer_of[$folder]}
    # file:line:#include "top/..." for every project include in the folder's sources.
    while IFS= read -r hit; do
        target=${hit#*\"}
        target=${target%%/*}
        [[ -n ${layer_of[$target]+set} ]] || continue
        if ((layer_of[$target] > own)); then
            echo "layer: ${hit%%:#*} includes ${target}/, a layer above ${folder}/" >&2
            status=1
        fi
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[a-z_]+/' "$folder" \
        --include='*.h' --include='*.cpp' || true)
    # Only the window's own folder draws: nothing below it includes the GUI library.
    if ((own < ${layer_of[app]})); then
        while IFS= read -r hit; do
            echo "layer: ${hit%%:#*} includes the GUI library" >&2
            status=1
        done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+[<"](imgui|backends/imgui)' "$folder" \
            --include='*.h' --include='*.cpp' || true)
    fi
done
if ((status == 0)); then
    echo "== layers: every include points down"
fi
exit $status
