#!/usr/bin/env bash
# The main job on a fresh Debian machine: installs what is missing, builds everything in Release,
# installs the VST3, the LV2 and the Standalone application for the current user, then renders a
# generated demo through a few of the tape machines and measures all twelve into ./out/.
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

# The product at work without a host or a display: a generated demo through characteristic
# settings, and the measurement of every machine.
tools=build/tools
out=out
mkdir -p "$out"

echo "Demo and measurements:"
"$tools/tavorin-demo" "$out/demo-source.wav" >/dev/null
echo "  $PWD/$out/demo-source.wav   the generated demo, unprocessed"

render() {
    local name=$1 description=$2
    shift 2
    "$tools/tavorin-render" "$out/demo-source.wav" "$out/$name.wav" --tail 1 "$@" >/dev/null
    echo "  $PWD/$out/$name.wav   $description"
}
render demo-A-fast "type A at fast speed, the plug-in's defaults"
render demo-C-slow-bias "type C at slow speed, bias saturation 0.3" --type C --speed slow --set biasKnob=0.3
render demo-F-slow-driven "type F at slow speed driven 12 dB harder, compressed" \
    --type F --speed slow --set inputGainKnob=12 --set compKnob=4
render demo-D-fast-narrow "type D at fast speed, 80 Hz to 6 kHz, crosstalk 0.5" \
    --type D --speed fast --set hpfKnob=80 --set lpfKnob=6000 --set crosstalkKnob=0.5

"$tools/tavorin-render" --analyze "$out/tape-analysis.png" --csv "$out/tape-analysis.csv" >"$out/tape-analysis.txt"
echo "  $PWD/$out/tape-analysis.png   responses and distortion of the six types at both speeds"
echo "  $PWD/$out/tape-analysis.txt   the same figures as a table (and as CSV in tape-analysis.csv)"
