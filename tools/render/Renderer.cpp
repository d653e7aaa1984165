#include "Renderer.h"

#include "ToolError.h"

#include <cmath>

namespace
{
double toDb (double linear) { return linear > 0.0 ? 20.0 * std::log10 (linear) : -INFINITY; }

juce::int64 countBeyondFullScale (const juce::AudioBuffer<float>& buffer, int numSamples)
{
    juce::int64 count = 0;

    for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        const auto* samples = buffer.getReadPointer (channel);

        for (auto i = 0; i < numSamples; ++i)
            count += std::abs (samples[i]) > 1.0f ? 1 : 0;
    }

    return count;
}
} // namespace

void SignalLevels::add (const juce::AudioBuffer<float>& buffer, int numSamples)
{
    for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        const auto* samples = buffer.getReadPointer (channel);

        for (auto i = 0; i < numSamples; ++i)
        {
            peak = std::max (peak, std::abs (samples[i]));
            sumOfSquares += static_cast<double> (samples[i]) * samples[i];
        }

        numValues += numSamples;
    }
}

double SignalLevels::peakDb() const { return toDb (peak); }

double SignalLevels::rmsDb() const { return numValues > 0 ? toDb (std::sqrt (sumOfSquares / numValues)) : -INFINITY; }

RenderResult renderFile (juce::AudioFormatReader& reader, GuipluginAudioProcessor& processor, OutputWav& output,
                         int blockSize, juce::int64 tailFrames, const std::function<void (double)>& progress)
{
    const auto inputFrames = reader.lengthInSamples;
    const auto totalFrames = inputFrames + tailFrames;
    const auto numChannels = static_cast<int> (reader.numChannels);

    juce::AudioBuffer<float> buffer (numChannels, blockSize);
    juce::MidiBuffer midi;
    RenderResult result;

    for (juce::int64 position = 0; position < totalFrames; position += blockSize)
    {
        const auto length = static_cast<int> (std::min<juce::int64> (blockSize, totalFrames - position));
        const auto fromInput = static_cast<int> (juce::jlimit<juce::int64> (0, length, inputFrames - position));

        buffer.clear();

        if (fromInput > 0 && ! reader.read (&buffer, 0, fromInput, position, true, numChannels > 1))
            failWith ("reading the input failed at sample " + juce::String (position));

        juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), numChannels, 0, length);
        result.input.add (block, fromInput);

        processor.processBlock (block, midi);

        result.output.add (block, length);
        result.clippedSamples += countBeyondFullScale (block, length);
        output.write (block, length);
        result.numFrames += length;

        if (progress)
            progress (static_cast<double> (position + length) / static_cast<double> (totalFrames));
    }

    return result;
}
