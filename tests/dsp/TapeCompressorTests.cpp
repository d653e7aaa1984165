#include "dsp/TapeCompressor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
constexpr double sampleRate = 48000.0;

juce::AudioBuffer<float> constant (int numChannels, int numSamples, float value)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    for (auto channel = 0; channel < numChannels; ++channel)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (channel), value, numSamples);
    return buffer;
}

// 10^(dB / 20) in double precision: the expected values are worked out independently of the code.
double gainOf (double db) { return std::pow (10.0, db / 20.0); }

double makeupFor (double comp) { return gainOf (0.26 * 3.6 * comp); }

// A prepared compressor that has run a constant input for one second, long enough to settle.
TapeCompressor settledOn (float value, float comp, juce::AudioBuffer<float>& lastBlock)
{
    TapeCompressor compressor;
    compressor.prepare (sampleRate);

    for (auto block = 0; block < 100; ++block)
    {
        lastBlock = constant (1, 480, value);
        compressor.process (lastBlock, 1, comp);
    }

    return compressor;
}
} // namespace

TEST (TapeCompressor, IsOffUpToCompZeroPointZeroOneAndAppliesMakeUpFromZeroPointZeroTwo)
{
    TapeCompressor compressor;
    compressor.prepare (sampleRate);

    const auto input = constant (2, 256, 0.01f); // -40 dBFS, far below the knee
    auto off = input;
    compressor.process (off, 2, 0.01f);
    for (auto channel = 0; channel < 2; ++channel)
        EXPECT_EQ (std::memcmp (off.getReadPointer (channel), input.getReadPointer (channel), 256 * sizeof (float)), 0);
    EXPECT_EQ (compressor.getEnvelope (0), 0.0f); // the detector did not run either

    auto on = input;
    compressor.process (on, 2, 0.02f);
    for (auto i = 0; i < 256; ++i)
        ASSERT_NEAR (on.getSample (1, i), 0.01 * makeupFor (0.02), 1e-9) << i;
    EXPECT_GT (on.getSample (0, 0), 0.01f);
}

TEST (TapeCompressor, SettlesOnTheStaticCurve)
{
    struct Case
    {
        float input, comp;
        double gainChangeDb; // the curve at w = level + 3.6 x comp, soft-limited below -1 dB
    };

    const Case cases[] = {
        { 0.1f, 1.0f, 0.0 },                                   // w = -16.4: below the knee, make-up only
        { 1.0f, 10.0f, -1.0 - 11.0 * std::tanh (30.5 / 11.0) }, // w = 36
        { 0.1f, 10.0f, -1.0 - 11.0 * std::tanh (13.0 / 11.0) }, // w = 16, slightly below the input
        { 0.1f, 5.6f, -0.875 * 3.16 * 3.16 / 12.0 },            // w = 0.16, inside the knee
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.input) + " at COMP " + juce::String (c.comp));
        juce::AudioBuffer<float> last;
        const auto compressor = settledOn (c.input, c.comp, last);
        const auto expected = c.input * gainOf (c.gainChangeDb) * makeupFor (c.comp);

        EXPECT_NEAR (last.getSample (0, 479), expected, 2e-6 * expected);
        EXPECT_NEAR (compressor.getGainReductionDb (0), -c.gainChangeDb, 1e-4);
    }

    // At w = 16 the 9.36 dB of make-up does not win back the 10.1 dB of reduction.
    juce::AudioBuffer<float> last;
    settledOn (0.1f, 10.0f, last);
    EXPECT_LT (last.getSample (0, 479), 0.1f);
}

TEST (TapeCompressor, NeverReducesByTwelveDecibels)
{
    // Up to +60 dBFS into COMP 10 (w up to 96 dB): the soft limit keeps the reduction below 12 dB.
    // (Beyond about +78 dBFS single-precision tanh rounds to exactly 1 and the reduction to 12.0.)
    for (const auto level : { 1.0f, 10.0f, 100.0f, 1000.0f })
    {
        SCOPED_TRACE (level);
        juce::AudioBuffer<float> last;
        const auto compressor = settledOn (level, 10.0f, last);
        EXPECT_LT (compressor.getGainReductionDb (0), 12.0f);
        EXPECT_GT (compressor.getGainReductionDb (0), 11.9f);
    }
}

TEST (TapeCompressor, DetectsEachChannelOnItsOwn)
{
    TapeCompressor compressor;
    compressor.prepare (sampleRate);

    // Loud left, quiet right: the right channel only gets its make-up.
    juce::AudioBuffer<float> buffer (2, 4800);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 0.9f, 4800);
    juce::FloatVectorOperations::fill (buffer.getWritePointer (1), 0.001f, 4800);
    compressor.process (buffer, 2, 8.0f);

    EXPECT_GT (compressor.getGainReductionDb (0), 6.0f);
    EXPECT_EQ (compressor.getGainReductionDb (1), 0.0f);
    EXPECT_NEAR (buffer.getSample (1, 4799), 0.001 * makeupFor (8.0), 1e-9);
}

TEST (TapeCompressor, AMonoCallTouchesChannelZeroOnly)
{
    TapeCompressor compressor;
    compressor.prepare (sampleRate);

    auto buffer = constant (2, 1000, 0.5f);
    compressor.process (buffer, 1, 6.0f);
    EXPECT_LT (buffer.getSample (0, 999), 0.5f);
    for (auto i = 0; i < 1000; ++i)
        ASSERT_EQ (buffer.getSample (1, i), 0.5f);
    EXPECT_EQ (compressor.getEnvelope (1), 0.0f);
    EXPECT_EQ (compressor.getGainReductionDb (1), 0.0f);

    // Channel 1 starts from rest when stereo follows: as a fresh compressor would.
    TapeCompressor fresh;
    fresh.prepare (sampleRate);
    auto stereo = constant (2, 100, 0.5f);
    auto freshStereo = stereo;
    compressor.process (stereo, 2, 6.0f);
    fresh.process (freshStereo, 2, 6.0f);
    for (auto i = 0; i < 100; ++i)
        ASSERT_EQ (stereo.getSample (1, i), freshStereo.getSample (1, i));
}

TEST (TapeCompressor, ReleasesMoreSlowlyTheMoreItReduces)
{
    const auto releaseCoeff = 1.0 - std::exp (-1.0 / (0.05 * sampleRate));

    // A level that settles at 10 dB of reduction at COMP 10: -1 - 11 tanh ((-1 - g) / 11) = -10,
    // g = -0.875 w, w = L + 36.
    const auto w = (1.0 + 11.0 * std::atanh (9.0 / 11.0)) / 0.875;
    const auto level = static_cast<float> (gainOf (w - 36.0));

    juce::AudioBuffer<float> last;
    auto compressor = settledOn (level, 10.0f, last);
    const auto reduction = compressor.getGainReductionDb (0);
    ASSERT_NEAR (reduction, 10.0f, 1e-3f);

    // One sample of silence: the envelope falls by the slowed coefficient, 2.5 times slower.
    const auto before = compressor.getEnvelope (0);
    auto silence = constant (1, 1, 0.0f);
    compressor.process (silence, 1, 10.0f);
    const auto k = 1.0 - compressor.getEnvelope (0) / before;

    EXPECT_NEAR (k, releaseCoeff / (1.0 + 0.15 * reduction), 2e-3 * releaseCoeff);
    EXPECT_NEAR (k, releaseCoeff / 2.5, 2e-3 * releaseCoeff);

    // Without reduction the same fall runs at the plain 50 ms coefficient.
    TapeCompressor quiet;
    quiet.prepare (sampleRate);
    auto small = constant (1, 48000, 0.001f);
    quiet.process (small, 1, 1.0f);
    ASSERT_EQ (quiet.getGainReductionDb (0), 0.0f);
    const auto quietBefore = quiet.getEnvelope (0);
    auto nothing = constant (1, 1, 0.0f);
    quiet.process (nothing, 1, 1.0f);
    EXPECT_NEAR (1.0 - quiet.getEnvelope (0) / quietBefore, releaseCoeff, 2e-3 * releaseCoeff);
}

TEST (TapeCompressor, PreparationResetsTheDetectors)
{
    juce::AudioBuffer<float> last;
    auto compressor = settledOn (1.0f, 10.0f, last);
    ASSERT_GT (compressor.getGainReductionDb (0), 11.0f);

    compressor.prepare (96000.0);
    EXPECT_EQ (compressor.getEnvelope (0), 0.0f);
    EXPECT_EQ (compressor.getGainReductionDb (0), 0.0f);
}
