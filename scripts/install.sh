#!/usr/bin/env bash
# The main job on a fresh Debian machine: installs what is missing, builds everything in Release and
# installs the VST3, the LV2 and the Standalone application for the current user.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
scripts/build.sh

artefacts=build/TavorinProV3_artefacts/Release

install_bundle() {
    local source=$1 destination_folder=$2
    local destination="$destination_folder/$(basename "$source")"
    mkdir -p "$destination_folder"
    rm -rf "$destination"
    cp -R "$source" "$destination"
    echo "  $destination"
}

echo "Installed:"
install_bundle "$artefacts/VST3/TavorinProV3.vst3" "$HOME/.vst3"
install_bundle "$artefacts/LV2/TavorinProV3.lv2" "$HOME/.lv2"
install_bundle "$artefacts/Standalone/TavorinProV3" "$HOME/.local/bin"
