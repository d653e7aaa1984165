#include "dsp/TapeProcessor.h"

#include "dsp/ArcTangent.h"

#include <algorithm>

namespace
{
constexpr double dcCutoffHz = 10.0;
constexpr int fadeChannels = 2;
constexpr float biasDrivePerUnit = 10.0f; // the knob's 0 to 0.5 drives the waveshaper 1 to 6 times
constexpr float pi = 3.1415927f;
constexpr float twoOverPi = 0.63661975f;
} // namespace

TapeProcessor::TapeProcessor() = default;

void TapeProcessor::setType (TapeType type, TapeSpeed speed) noexcept
{
    if (TapeSlots::isValid (type, speed))
        currentSlot = TapeSlots::slotOf (type, speed);
}

void TapeProcessor::prepare (double sampleRate, int samplesPerBlock)
{
    for (auto* chain : processors)
        chain->prepare (sampleRate, samplesPerBlock);

    previousSlot = currentSlot;

    if (fadeBuffer.getNumChannels() != fadeChannels || fadeBuffer.getNumSamples() != samplesPerBlock)
        fadeBuffer.setSize (fadeChannels, samplesPerBlock);

    *dcFilter.state = *Coefficients::makeHighPass (sampleRate, static_cast<float> (dcCutoffHz));
    dcFilter.prepare ({ sampleRate, static_cast<juce::uint32> (samplesPerBlock), static_cast<juce::uint32> (fadeChannels) });
}

void TapeProcessor::process (juce::AudioBuffer<float>& buffer) noexcept
{
    if (currentSlot == previousSlot)
        processors[static_cast<size_t> (currentSlot)]->process (buffer);
    else
        runSwitchingBlock (buffer);

    juce::dsp::AudioBlock<float> block (buffer);
    dcFilter.process (juce::dsp::ProcessContextReplacing<float> (block));
}

// Both chains run on the same input; the new one fades in over the block while the old one fades out.
void TapeProcessor::runSwitchingBlock (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto numSamples = buffer.getNumSamples();
    fadeBuffer.makeCopyOf (buffer, true);

    processors[static_cast<size_t> (currentSlot)]->process (buffer);
    processors[static_cast<size_t> (previousSlot)]->process (fadeBuffer);

    if (numSamples > 0)
    {
        buffer.applyGainRamp (0, numSamples, 0.0f, 1.0f);
        fadeBuffer.applyGainRamp (0, numSamples, 1.0f, 0.0f);

        for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
            buffer.addFrom (channel, 0, fadeBuffer, channel, 0, numSamples);
    }

    previousSlot = currentSlot;
}

TapeTypeProcessor& TapeProcessor::currentTypeProcessor() noexcept
{
    return *processors[static_cast<size_t> (currentSlot)];
}

bool TapeProcessor::hasAllResponses() const noexcept
{
    return std::all_of (processors.begin(), processors.end(), [] (const auto* chain) { return chain->hasResponse(); });
}

void TapeProcessor::applyBiasSaturation (juce::AudioBuffer<float>& buffer, int numChannels, float biasKnob,
                                         bool invertPolarity) noexcept
{
    const auto numSamples = buffer.getNumSamples();
    const auto channels = std::min (numChannels, buffer.getNumChannels());

    if (channels <= 0 || numSamples == 0)
        return;

    const auto drive = 1.0f + biasDrivePerUnit * biasKnob;
    const auto sign = invertPolarity ? -1.0f : 1.0f;

    if (drive > 1.0f)
    {
        // atan (s d x) x 2/pi x pi/(2d) = atan (s d x) / d: unity for small signals, at most pi/(2d).
        const auto limit = pi / (drive + drive);

        for (auto channel = 0; channel < channels; ++channel)
            ArcTangent::shape (buffer.getWritePointer (channel), numSamples, sign * drive, twoOverPi, limit);
    }
    else if (invertPolarity)
    {
        for (auto channel = 0; channel < channels; ++channel)
            juce::FloatVectorOperations::negate (buffer.getWritePointer (channel), buffer.getReadPointer (channel),
                                                 numSamples);
    }
}
