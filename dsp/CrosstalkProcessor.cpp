#include "dsp/CrosstalkProcessor.h"

#include <cmath>

namespace
{
constexpr float midWeight = 0.5f; // m = (L + R) / 2, or L / 2 for mono
}

void CrosstalkProcessor::setCross (float amount) noexcept
{
    if (amount != cross)
        cross = amount;
}

void CrosstalkProcessor::prepare (double, int samplesPerBlock)
{
    if (monoBuffer.getNumChannels() != 1 || monoBuffer.getNumSamples() != samplesPerBlock)
        monoBuffer.setSize (1, samplesPerBlock);
}

void CrosstalkProcessor::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto numSamples = buffer.getNumSamples();
    const auto numChannels = buffer.getNumChannels();
    const auto c = cross;
    const auto p = currentCross;

    // At a settled 0 the mid signal is never used: the block passes untouched.
    if (c == 0.0f && p == 0.0f)
        return;

    monoBuffer.clear();

    if (! buffer.hasBeenCleared() && numSamples > 0)
        for (auto channel = 0; channel < numChannels; ++channel)
            monoBuffer.addFrom (0, 0, buffer, channel, 0, numSamples, midWeight);

    const auto* mid = monoBuffer.getReadPointer (0);

    if (c == p)
    {
        buffer.applyGain (std::sqrt (1.0f - c));

        if (! monoBuffer.hasBeenCleared())
            for (auto channel = 0; channel < numChannels; ++channel)
                buffer.addFrom (channel, 0, mid, numSamples, std::sqrt (c));
    }
    else
    {
        buffer.applyGainRamp (0, numSamples, std::sqrt (1.0f - p), std::sqrt (1.0f - c));

        for (auto channel = 0; channel < numChannels; ++channel)
            buffer.addFromWithRamp (channel, 0, mid, numSamples, std::sqrt (p), std::sqrt (c));

        currentCross = c;
    }
}
