#!/usr/bin/env bash
# Installs the Debian packages the builds and tests need, and nothing when they are all there
# (no network then). Safe to run again and again; `make` runs it before every top-level target.
#
# Runs apt-get as root (CI) or through sudo when that is available. Never touches the system's
# apt sources.
set -euo pipefail

PACKAGES=(
    cmake g++ make dpkg-dev      # native build (dpkg-dev unpacks Dear ImGui's source package)
    libgtest-dev googletest      # GoogleTest: native library, and sources for the Windows runner
    nlohmann-json3-dev           # JSON for profiles and status --json (header-only, both builds)
    g++-mingw-w64-x86-64-posix   # Windows cross build with std::thread
    wine wine64                  # runs the Windows binaries (wine: the `wine` launcher itself)
    xvfb xauth                   # a display for Wine without a screen
    xdotool imagemagick          # drive and photograph windows under Xvfb
    tesseract-ocr                # read the window's texts back from its screenshots
    fonts-inter                  # the window's typeface: its three faces embedded in the .exe
    clang libclang-rt-14-dev     # libFuzzer for the game configuration text target (scripts/fuzz.sh)
)

missing=()
for package in "${PACKAGES[@]}"; do
    status="$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)"
    [[ "$status" == "installed" ]] || missing+=("$package")
done
((${#missing[@]} == 0)) && exit 0

if [[ "$(id -u)" -eq 0 ]]; then
    as_root=()
elif command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
    as_root=(sudo -n)
else
    echo "bootstrap: missing packages: ${missing[*]}" >&2
    echo "bootstrap: run as root (or with password-less sudo) to install them" >&2
    exit 1
fi

echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq >/dev/null
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
