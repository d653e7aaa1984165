#pragma once

#include "plugin/PluginProcessor.h"

#include <memory>

// The product's processor, its preset store kept in a throwaway folder of its own: building a
// processor makes the store create its preset folder and write the default preset, and the tool
// never writes into the user's preset folder. The folder goes when this object does.
class ToolProcessor
{
public:
    ToolProcessor();
    ~ToolProcessor();

    GuipluginAudioProcessor& get() noexcept { return *processor; }

    // Sets the main buses to mono or stereo and prepares for the rate and block size.
    void prepare (int numChannels, double sampleRate, int blockSize);

private:
    juce::File defaultPresetFile() const;

    juce::File presetRoot;
    std::unique_ptr<GuipluginAudioProcessor> processor;
};
