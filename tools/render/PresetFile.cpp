#include "PresetFile.h"

#include "ToolError.h"

#include "plugin/StateBlob.h"
#include "presets/BoundedFileReader.h"
#include "presets/ProcessorPresetManager.h"

namespace
{
const juce::String presetExtension = ".tvx";

juce::File findPreset (const juce::String& nameOrPath)
{
    const auto asGiven = juce::File::getCurrentWorkingDirectory().getChildFile (nameOrPath);

    if (asGiven.exists() || juce::File::isAbsolutePath (nameOrPath))
        return asGiven;

    const auto root = GuipluginAudioProcessor::getPresetRootDirectory();

    for (const auto& candidate : { root.getChildFile (nameOrPath), root.getChildFile (nameOrPath + presetExtension) })
        if (candidate.existsAsFile())
            return candidate;

    failWith ("preset not found: " + nameOrPath + " (neither a file nor a preset in " + root.getFullPathName() + ")");
}

// The same two forms the store takes, judged by the store's and the processor's own rules. Unlike
// the store, a tree of another type is refused: on the command line it is surely the wrong file.
bool isPreset (const juce::MemoryBlock& bytes)
{
    if (const auto tree = ProcessorPresetManager::parsePresetXml (bytes); tree.isValid())
        return tree.hasType (GuipluginAudioProcessor::stateType);

    return StateBlob::decode (bytes.getData(), bytes.getSize(), GuipluginAudioProcessor::stateType).isValid();
}
} // namespace

void loadPresetFile (GuipluginAudioProcessor& processor, const juce::String& nameOrPath)
{
    const auto file = findPreset (nameOrPath);
    const auto path = file.getFullPathName();

    if (! file.exists())
        failWith ("preset not found: " + path);

    if (file.isDirectory())
        failWith ("preset is a folder, not a file: " + path);

    juce::MemoryBlock bytes;

    if (! BoundedFileReader::read (file, ProcessorPresetManager::maxPresetFileBytes, bytes))
        failWith ("cannot read preset " + path + " (no permission, or not a regular file of at most "
                  + juce::String (ProcessorPresetManager::maxPresetFileBytes / (1024 * 1024)) + " MiB)");

    if (! isPreset (bytes))
        failWith ("not a TavorinProV3 preset: " + path);

    processor.getPresetManager().applyPresetData (bytes);
}
