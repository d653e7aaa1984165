#!/usr/bin/env bash
# Installs the Debian packages that building (and, with --test, testing) TavorinProV3 needs.
# Uses apt-get as root, or through sudo; otherwise names the missing packages and stops.
set -euo pipefail

# fonts-manrope: the editor's embedded font, read from the installed package at build time.
packages=(build-essential cmake ninja-build pkg-config juce-modules-source libfftw3-dev
          libgtest-dev libbenchmark-dev fonts-manrope)
if [[ "${1:-}" == "--test" ]]; then
    packages+=(xvfb xauth fonts-dejavu-core)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

echo "Installing Debian packages: ${missing[*]}"
install=(env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}")
update=(apt-get update -q)

if [[ "$(id -u)" -eq 0 ]]; then
    "${update[@]}" && "${install[@]}"
elif command -v sudo >/dev/null 2>&1 && { sudo -n true 2>/dev/null || [[ -t 0 ]]; }; then
    sudo "${update[@]}" && sudo "${install[@]}"
else
    echo "Cannot install packages: not root and sudo is not available." >&2
    echo "Please install these Debian packages, then run this command again:" >&2
    echo "    apt-get install ${missing[*]}" >&2
    exit 1
fi
