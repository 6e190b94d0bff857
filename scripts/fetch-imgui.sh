#!/usr/bin/env bash
# Fetches Dear ImGui's source from Debian's `imgui` source package (trixie) into third_party/imgui,
# from the Debian mirror the machine's apt configuration already uses.
#
# The system's apt configuration is never touched: a private sources list, state, cache and
# download directory under build/apt-imgui are passed to apt-get through -o options. dpkg-source
# checks every file against the .dsc checksums before it unpacks.
#
# Idempotent: does nothing when third_party/imgui already holds the wanted version.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
WANT="${TAVRINE_IMGUI_VERSION:-1.90.1}"
DEST="$ROOT/third_party/imgui"
STAMP="$DEST/.tavrine-version"

if [[ -f "$STAMP" && "$(cat "$STAMP")" == "$WANT"* && -f "$DEST/imgui.cpp" ]]; then
    exit 0
fi

# Two configures at once (native and Windows) must not unpack over each other.
mkdir -p "$ROOT/build"
exec 9>"$ROOT/build/.fetch-imgui.lock"
flock 9
if [[ -f "$STAMP" && "$(cat "$STAMP")" == "$WANT"* && -f "$DEST/imgui.cpp" ]]; then
    exit 0
fi

WORK="$ROOT/build/apt-imgui"
mkdir -p "$WORK/etc/sources.list.d" "$WORK/lists/partial" "$WORK/cache/archives/partial" "$WORK/src"
# The Debian archive this machine already uses (its own apt configuration names the mirror):
# the one labelled Debian once its lists are fetched, else any whose path is the archive's.
mirror="$(apt-get indextargets --format '$(REPO_URI)' 'Label: Debian' 'Identifier: Packages' 2>/dev/null | head -n1)"
if [[ -z "$mirror" ]]; then
    mirror="$(apt-get indextargets --format '$(REPO_URI)' 'Identifier: Packages' 2>/dev/null |
        grep -E '/debian/$' | head -n1 || true)"
fi
if [[ -z "$mirror" ]]; then
    echo "fetch-imgui: this machine's apt configuration names no Debian archive" >&2
    exit 1
fi
echo "deb-src $mirror trixie main" > "$WORK/etc/sources.list"

APT_OPTS=(
    -o "Dir::Etc::SourceList=$WORK/etc/sources.list"
    -o "Dir::Etc::SourceParts=$WORK/etc/sources.list.d"
    -o "Dir::State::Lists=$WORK/lists"
    -o "Dir::Cache=$WORK/cache"
    -o "Acquire::Languages=none"
)
# As root apt drops to the _apt user, who cannot write into build/: keep root for this download.
if [[ "$(id -u)" -eq 0 ]]; then
    APT_OPTS+=(-o "APT::Sandbox::User=root")
fi

command -v dpkg-source >/dev/null || {
    echo "fetch-imgui: dpkg-source is missing (apt-get install dpkg-dev)" >&2
    exit 1
}

apt-get "${APT_OPTS[@]}" -qq update

# Take the exact version when trixie has it, else the newest 1.90.x it offers.
available="$(apt-cache "${APT_OPTS[@]}" showsrc imgui | sed -n 's/^Version: //p' | sort -uV)"
pick="$(grep -E "^${WANT//./\\.}([+~-]|$)" <<<"$available" | tail -n1 || true)"
if [[ -z "$pick" ]]; then
    pick="$(grep -E '^1\.90\.' <<<"$available" | tail -n1 || true)"
    [[ -n "$pick" ]] && echo "fetch-imgui: $WANT not offered; using $pick" >&2
fi
if [[ -z "$pick" ]]; then
    echo "fetch-imgui: no 1.90.x imgui source in trixie (found: $(tr '\n' ' ' <<<"$available"))" >&2
    exit 1
fi

rm -rf "$WORK/src"
mkdir -p "$WORK/src"
(cd "$WORK/src" && apt-get "${APT_OPTS[@]}" -qq source --download-only "imgui=$pick")

dsc="$(ls "$WORK/src"/imgui_*.dsc | head -n1)"
# dpkg-source verifies size and checksums of each listed file against the .dsc before unpacking.
(cd "$WORK/src" && dpkg-source --no-check --no-copy -x "$dsc" unpacked >/dev/null)
# --no-check above skips only the (unavailable) OpenPGP signature check; verify sha256 again
# ourselves so a missing dpkg-source check could never pass silently.
(cd "$WORK/src" && awk '/^Checksums-Sha256:/{f=1;next} /^[^ ]/{f=0} f&&NF==3{print $1"  "$3}' "$dsc" |
    sha256sum --quiet -c -)

rm -rf "$DEST"
mkdir -p "$DEST/backends"
src="$WORK/src/unpacked"
cp "$src"/imgui*.cpp "$src"/imgui*.h "$src"/imconfig.h "$src"/imstb_*.h "$DEST/"
cp "$src"/LICENSE.txt "$DEST/" 2>/dev/null || true
cp "$src"/backends/imgui_impl_win32.* "$src"/backends/imgui_impl_dx11.* "$DEST/backends/"
mkdir -p "$DEST/examples/example_win32_directx11"
cp "$src"/examples/example_win32_directx11/main.cpp "$DEST/examples/example_win32_directx11/"
echo "$pick" > "$STAMP"
echo "fetch-imgui: Dear ImGui $pick in $DEST"
