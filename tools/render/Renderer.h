#pragma once

#include "AudioFiles.h"

#include "plugin/PluginProcessor.h"

#include <functional>

// Peak and RMS over all channels of a signal.
struct SignalLevels
{
    void add (const juce::AudioBuffer<float>& buffer, int numSamples);

    double peakDb() const;
    double rmsDb() const;

    float peak = 0.0f;
    double sumOfSquares = 0.0;
    juce::int64 numValues = 0;
};

struct RenderResult
{
    SignalLevels input, output;
    juce::int64 numFrames = 0;    // written, tail included
    juce::int64 clippedSamples = 0; // beyond full scale, where an integer format clips them
};

// Runs the reader's audio and then tailFrames of silence through the prepared processor, block by
// block, into the output. `progress` hears the fraction done after every block.
RenderResult renderFile (juce::AudioFormatReader& reader, GuipluginAudioProcessor& processor, OutputWav& output,
                         int blockSize, juce::int64 tailFrames, const std::function<void (double)>& progress);
