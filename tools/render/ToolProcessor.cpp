#include "ToolProcessor.h"

#include "InterruptCleanup.h"
#include "ToolError.h"

#include "presets/ProcessorPresetManager.h"

#include <cstdlib>

namespace
{
// mkdtemp: a name of its own even when several runs start at once.
juce::File makeScratchFolder()
{
    const auto parent = juce::File::getSpecialLocation (juce::File::tempDirectory);
    auto path = parent.getChildFile ("tavorin-render-presets-XXXXXX").getFullPathName().toStdString();

    if (::mkdtemp (path.data()) == nullptr)
        failWith ("cannot create a temporary folder in " + parent.getFullPathName());

    return juce::File (path);
}
} // namespace

ToolProcessor::ToolProcessor() : presetRoot (makeScratchFolder())
{
    InterruptCleanup::removeOnInterrupt (presetRoot);
    processor = std::make_unique<GuipluginAudioProcessor> (presetRoot);
    InterruptCleanup::removeOnInterrupt (defaultPresetFile());
}

juce::File ToolProcessor::defaultPresetFile() const
{
    const auto& store = processor->getPresetManager();
    return presetRoot.getChildFile (juce::String (ProcessorPresetManager::defaultPresetName) + store.getPresetExtension());
}

ToolProcessor::~ToolProcessor()
{
    const auto defaultPreset = defaultPresetFile();
    processor.reset();
    presetRoot.deleteRecursively();

    InterruptCleanup::forget (defaultPreset);
    InterruptCleanup::forget (presetRoot);
}

void ToolProcessor::prepare (int numChannels, double sampleRate, int blockSize)
{
    const auto set = juce::AudioChannelSet::canonicalChannelSet (numChannels);
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);

    if (! processor->setBusesLayout (layout))
        failWith ("the processor does not take " + juce::String (numChannels) + " channels");

    processor->setNonRealtime (true);
    processor->setRateAndBufferSizeDetails (sampleRate, blockSize);
    processor->prepareToPlay (sampleRate, blockSize);
}
