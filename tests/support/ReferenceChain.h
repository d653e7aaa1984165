#pragma once

#include <juce_dsp/juce_dsp.h>

// The processor's signal chain built by hand from the same DSP parts, in the documented order, so a
// test can check the wiring (stage order, the filters' end values, the gain lock) sample for sample.
namespace test
{
struct ChainSettings
{
    float inputGainDb = 0.0f;
    float outputGainDb = 0.0f;
    float lowPassHz = 20000.0f;
    float highPassHz = 20.0f;
    bool gainLock = true;
};

class ReferenceChain
{
public:
    void prepare (double sampleRate, int maximumBlockSize, int numChannels);

    // Processes one block with the settings a processor block would read at its start.
    void process (juce::AudioBuffer<float>& buffer, const ChainSettings& settings);

private:
    juce::dsp::Gain<float> inputGain, outputGain;
    juce::dsp::LadderFilter<float> lowPass, highPass;
};
} // namespace test
