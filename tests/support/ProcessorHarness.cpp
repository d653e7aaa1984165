#include "ProcessorHarness.h"

#include <cmath>
#include <cstring>

namespace test
{
void setParameter (juce::AudioProcessor& processor, const juce::String& id, float value)
{
    for (auto* parameter : processor.getParameters())
    {
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter); ranged != nullptr && ranged->paramID == id)
        {
            ranged->setValueNotifyingHost (ranged->convertTo0to1 (value));
            return;
        }
    }

    jassertfalse;
}

float rawParameter (GuipluginAudioProcessor& processor, const juce::String& id)
{
    return processor.getState().getRawParameterValue (id)->load();
}

juce::AudioBuffer<float> makeSine (int numChannels, int numSamples, double sampleRate, float frequency,
                                   float amplitude)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);

    for (auto channel = 0; channel < numChannels; ++channel)
    {
        const auto omega = juce::MathConstants<double>::twoPi * frequency * (1.0 + channel / 4.0) / sampleRate;

        for (auto i = 0; i < numSamples; ++i)
            buffer.setSample (channel, i, amplitude * static_cast<float> (std::sin (omega * i)));
    }

    return buffer;
}

void processInBlocks (juce::AudioProcessor& processor, juce::AudioBuffer<float>& buffer, int blockSize,
                      const std::function<void (int)>& beforeEachBlock)
{
    juce::MidiBuffer midi;
    auto blockIndex = 0;

    for (auto start = 0; start < buffer.getNumSamples(); start += blockSize, ++blockIndex)
    {
        if (beforeEachBlock)
            beforeEachBlock (blockIndex);

        const auto length = juce::jmin (blockSize, buffer.getNumSamples() - start);
        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, length);
        processor.processBlock (block, midi);
    }
}

bool allFinite (const juce::AudioBuffer<float>& buffer)
{
    for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
        for (auto i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (channel, i)))
                return false;

    return true;
}

bool setChannels (juce::AudioProcessor& processor, int numChannels)
{
    const auto set = juce::AudioChannelSet::canonicalChannelSet (numChannels);
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (set);
    layout.outputBuses.add (set);
    return processor.setBusesLayout (layout);
}

bool bitIdentical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return false;

    for (auto channel = 0; channel < a.getNumChannels(); ++channel)
        if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel),
                         sizeof (float) * static_cast<size_t> (a.getNumSamples()))
            != 0)
            return false;

    return true;
}
} // namespace test
