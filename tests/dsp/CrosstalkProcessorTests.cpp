#include "dsp/CrosstalkProcessor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr int blockSize = 256;

juce::AudioBuffer<float> stereoSignal (int numSamples = blockSize)
{
    juce::AudioBuffer<float> buffer (2, numSamples);
    for (auto i = 0; i < numSamples; ++i)
    {
        buffer.setSample (0, i, 0.6f * std::sin (0.05f * static_cast<float> (i)));
        buffer.setSample (1, i, 0.3f * std::cos (0.11f * static_cast<float> (i)) - 0.1f);
    }
    return buffer;
}

// A prepared stage that has settled at the amount: the ramp towards it is spent.
CrosstalkProcessor settledAt (float amount)
{
    CrosstalkProcessor crosstalk;
    crosstalk.prepare (48000.0, blockSize);
    crosstalk.setCross (amount);
    auto warmUp = stereoSignal();
    crosstalk.process (warmUp);
    return crosstalk;
}
} // namespace

TEST (Crosstalk, BlendsEachChannelWithTheMidSignal)
{
    const auto input = stereoSignal();

    for (const auto amount : { 0.0f, 0.25f, 0.5f, 1.0f })
    {
        SCOPED_TRACE (amount);
        auto crosstalk = settledAt (amount);
        auto output = input;
        crosstalk.process (output);

        for (auto i = 0; i < blockSize; ++i)
        {
            const auto l = input.getSample (0, i), r = input.getSample (1, i);
            const auto mid = (l + r) / 2.0f;
            const auto dry = std::sqrt (1.0f - amount), wet = std::sqrt (amount);
            ASSERT_NEAR (output.getSample (0, i), dry * l + wet * mid, 1e-6f) << i;
            ASSERT_NEAR (output.getSample (1, i), dry * r + wet * mid, 1e-6f) << i;
        }
    }

    // At 0 the signal is untouched; at 1 both channels are the mid signal exactly.
    auto untouched = input;
    settledAt (0.0f).process (untouched);
    auto mono = input;
    settledAt (1.0f).process (mono);
    for (auto i = 0; i < blockSize; ++i)
    {
        ASSERT_EQ (untouched.getSample (0, i), input.getSample (0, i));
        ASSERT_EQ (untouched.getSample (1, i), input.getSample (1, i));
        ASSERT_EQ (mono.getSample (0, i), mono.getSample (1, i));
    }
}

TEST (Crosstalk, IdenticalChannelsAndMonoBuffers)
{
    juce::AudioBuffer<float> same (2, blockSize);
    juce::AudioBuffer<float> single (1, blockSize);
    for (auto i = 0; i < blockSize; ++i)
    {
        const auto x = 0.4f * std::sin (0.07f * static_cast<float> (i));
        same.setSample (0, i, x);
        same.setSample (1, i, x);
        single.setSample (0, i, x);
    }

    // Identical channels: the dry and mid gains add up, sqrt 0.5 + sqrt 0.5 at 0.5 and 1 at 1.
    for (const auto& [amount, gain] : { std::pair { 0.5f, 2.0f * std::sqrt (0.5f) }, std::pair { 1.0f, 1.0f } })
    {
        SCOPED_TRACE (amount);
        auto stereo = same;
        settledAt (amount).process (stereo);
        for (auto i = 0; i < blockSize; ++i)
        {
            ASSERT_NEAR (stereo.getSample (0, i), gain * same.getSample (0, i), 1e-6f);
            ASSERT_EQ (stereo.getSample (1, i), stereo.getSample (0, i));
        }
    }

    // A mono buffer's mid signal is half the channel: at 1 the output is x / 2.
    auto crosstalk = settledAt (1.0f);
    auto mono = single;
    crosstalk.process (mono);
    for (auto i = 0; i < blockSize; ++i)
        ASSERT_FLOAT_EQ (mono.getSample (0, i), single.getSample (0, i) / 2.0f);
}

TEST (Crosstalk, RampsAChangeOverOneBlockOnly)
{
    CrosstalkProcessor crosstalk;
    crosstalk.prepare (48000.0, blockSize);
    const auto input = stereoSignal (3 * blockSize);
    auto output = input;
    juce::AudioBuffer<float> first (output.getArrayOfWritePointers(), 2, 0, blockSize);
    juce::AudioBuffer<float> second (output.getArrayOfWritePointers(), 2, blockSize, blockSize);
    juce::AudioBuffer<float> third (output.getArrayOfWritePointers(), 2, 2 * blockSize, blockSize);

    crosstalk.process (first);
    crosstalk.setCross (1.0f);
    crosstalk.process (second);
    crosstalk.process (third);

    // Before the change: untouched. In the block after it the dry gain falls from 1 and the mid gain
    // rises from 0, both by 1/n per sample (added up in single precision); then full mono.
    auto dry = 1.0f, wet = 0.0f;
    const auto step = 1.0f / blockSize;
    for (auto i = 0; i < blockSize; ++i)
    {
        ASSERT_EQ (output.getSample (0, i), input.getSample (0, i));

        const auto j = blockSize + i;
        const auto mid = 0.5f * input.getSample (0, j) + 0.5f * input.getSample (1, j);
        ASSERT_NEAR (output.getSample (0, j), input.getSample (0, j) * dry + wet * mid, 1e-6f) << i;
        ASSERT_NEAR (output.getSample (1, j), input.getSample (1, j) * dry + wet * mid, 1e-6f) << i;
        dry -= step;
        wet += step;

        const auto k = 2 * blockSize + i;
        ASSERT_NEAR (output.getSample (0, k), 0.5f * (input.getSample (0, k) + input.getSample (1, k)), 1e-6f);
        ASSERT_EQ (output.getSample (0, k), output.getSample (1, k));
    }
}

TEST (Crosstalk, AnUnchangedAmountIsNotRamped)
{
    // Setting the same amount again between blocks leaves every block on the settled law.
    auto crosstalk = settledAt (0.5f);
    const auto input = stereoSignal();
    auto once = input;
    crosstalk.process (once);

    crosstalk.setCross (0.5f);
    auto again = input;
    crosstalk.process (again);

    for (auto i = 0; i < blockSize; ++i)
        ASSERT_EQ (again.getSample (0, i), once.getSample (0, i));

    // Preparing again keeps the amount, so no ramp follows it either.
    crosstalk.prepare (96000.0, blockSize);
    auto afterPrepare = input;
    crosstalk.process (afterPrepare);
    for (auto i = 0; i < blockSize; ++i)
        ASSERT_EQ (afterPrepare.getSample (1, i), once.getSample (1, i));
}
