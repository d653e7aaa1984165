#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// The CROSSTALK stage: every channel blended with the mid signal (the half-sum of all channels) by
// square-root gains, from untouched stereo at 0 to full mono at 1. A change is ramped over one block.
class CrosstalkProcessor
{
public:
    // The amount for the next block, 0 to 1. Allocation-free.
    void setCross (float amount) noexcept;

    // Sizes the mid buffer; the amounts are kept. The sample rate is not used.
    void prepare (double sampleRate, int samplesPerBlock);

    // All channels in place, at most samplesPerBlock samples.
    void process (juce::AudioBuffer<float>& buffer) noexcept;

private:
    float cross = 0.0f;        // requested by the last setCross
    float currentCross = 0.0f; // in force at the end of the last block
    juce::AudioBuffer<float> monoBuffer;
};
