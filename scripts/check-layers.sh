#!/usr/bin/env bash
# Includes point one way: a folder may include its own layer and the layers below it, never one
# above, and no file may reach itself through includes (a header and its source are one file).
# Prints every include that breaks this, and every circle, and fails; quick when all is well.
# Given a build folder, it also reads each layer's library (libtavrine_<folder>.a): a symbol a
# layer needs may be defined only in its own layer or below, so a call that points up without
# an include (a declaration written by hand) is caught too.
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

# Inside platform/, each backend has a room (win32/, fake/, recording/, journal/): a room includes the
# interface beside it, never another room, and the interface includes no room.
rooms=0
while IFS= read -r hit; do
    file=${hit%%:*}
    from=${file#platform/}
    [[ $from == */* ]] && from=${from%%/*} || from=""
    to=${hit#*\"platform/}
    to=${to%%/*}
    if [[ $from != "$to" ]]; then
        echo "room: ${hit%%:#*} includes platform/$to/${from:+ from platform/$from/}" >&2
        rooms=1
    fi
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"platform/(win32|fake|recording|journal)/' platform \
    --include='*.h' --include='*.cpp' || true)
if ((rooms == 0)); then
    echo "== layers: each platform backend keeps to its room"
else
    status=1
fi

# No circle between files either: a header and its source are one node, and only quoted includes
# that name a product file count (as the compiler looks: beside the file first, then the root).
circles=0
while IFS= read -r hit; do
    file=${hit%%:*}
    rest=${hit#*:}
    line=${rest%%:*}
    target=${rest#*\"}
    target=${target%%\"*}
    if [[ -f ${file%/*}/$target ]]; then
        target=${file%/*}/$target
    elif [[ ! -f $target ]]; then
        continue
    fi
    [[ -n ${layer_of[${target%%/*}]+set} ]] || continue
    echo "${file%.*} ${target%.*} $file:$line includes $target"
done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^"]+"' "${!layer_of[@]}" \
    --include='*.h' --include='*.cpp' || true) | sort | awk -f scripts/include-circles.awk >&2 || circles=1
if ((circles == 0)); then
    echo "== layers: no circle between files"
else
    status=1
fi

if (($# > 0)); then
    build=$1
    declare -A defined_in # symbol -> the lowest layer defining it
    archives=()
    for i in "${!layers[@]}"; do
        for folder in ${layers[$i]}; do
            archive="$build/libtavrine_$folder.a"
            [[ -f $archive ]] || continue
            archives+=("$i:$folder:$archive")
            while read -r symbol; do
                [[ -n ${defined_in[$symbol]+set} ]] || defined_in[$symbol]=$i
            done < <(nm --defined-only --format=posix "$archive" 2>/dev/null | awk 'NF >= 2 && $2 != "U" {print $1}')
        done
    done
    linked=0
    for entry in "${archives[@]}"; do
        own=${entry%%:*}
        rest=${entry#*:}
        folder=${rest%%:*}
        while read -r symbol; do
            if [[ -n ${defined_in[$symbol]+set} ]] && ((defined_in[$symbol] > own)); then
                echo "layer: libtavrine_$folder.a needs $(c++filt "$symbol"), defined in a layer above" >&2
                linked=1
            fi
        done < <(nm --undefined-only --format=posix "${rest#*:}" 2>/dev/null | awk 'NF >= 2 {print $1}' | sort -u)
    done
    if ((${#archives[@]} == 0)); then
        echo "layer: no layer library in $build" >&2
        linked=1
    fi
    ((linked == 0)) && echo "== layers: every layer's library needs only its own layer and those below"
    ((linked == 0)) || status=1
fi
exit $status
