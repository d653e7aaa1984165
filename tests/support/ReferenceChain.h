#pragma once

#include "dsp/CrosstalkProcessor.h"
#include "dsp/TapeCompressor.h"
#include "dsp/TapeProcessor.h"
#include "dsp/TapeType.h"

#include <juce_dsp/juce_dsp.h>

// The processor's signal chain built by hand from the same DSP parts, stage by stage in its order, so a
// test can check the wiring (stage order, the filters' end values, the gain lock, the tape stages
// and their selection) sample for sample.
namespace test
{
struct ChainSettings
{
    float inputGainDb = 0.0f;
    float outputGainDb = 0.0f;
    float lowPassHz = 20000.0f;
    float highPassHz = 20.0f;
    bool gainLock = true;
    float bias = 0.0f;
    float comp = 0.0f;
    float crosstalk = 0.0f;
    // The slot the tape machine should run and the polarity of the bias stage: a test states what
    // the processor should make of its buttons.
    TapeType type = TapeType::TypeA;
    TapeSpeed speed = TapeSpeed::Fast;
    bool invertPolarity = false;
};

class ReferenceChain
{
public:
    void prepare (double sampleRate, int maximumBlockSize, int numChannels);

    // A new processor fades its gains in from silence and crossfades from the tape machine's first
    // slot to the selected one in its first block; one prepared again after it ran does neither.
    // These start the chain with the gains at the settings' targets, or with their slot selected.
    void settleGains (const ChainSettings& settings);
    void settleTapeSelection (const ChainSettings& settings);

    // Processes one block with the settings a processor block would read at its start.
    void process (juce::AudioBuffer<float>& buffer, const ChainSettings& settings);

private:
    void applyTargets (const ChainSettings& settings);

    int channels = 2;
    double rate = 44100.0;
    int blockSize = 0;
    juce::dsp::Gain<float> inputGain, outputGain;
    juce::dsp::LadderFilter<float> lowPass, highPass;
    TapeCompressor compressor;
    TapeProcessor tape;
    CrosstalkProcessor crosstalk;
};
} // namespace test
