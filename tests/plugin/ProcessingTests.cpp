#include "ProcessorHarness.h"
#include "ReferenceChain.h"

#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
constexpr int fadeSamples = 960; // 0.02 s at 48 kHz

// A prepared stereo processor with the given parameters, in their own units.
std::unique_ptr<GuipluginAudioProcessor> makeProcessor (std::initializer_list<std::pair<const char*, float>> parameters = {},
                                                         int numChannels = 2)
{
    auto processor = std::make_unique<GuipluginAudioProcessor>();
    test::setChannels (*processor, numChannels);

    for (const auto& [id, value] : parameters)
        test::setParameter (*processor, id, value);

    processor->prepareToPlay (sampleRate, blockSize);
    return processor;
}

juce::AudioBuffer<float> render (juce::AudioProcessor& processor, juce::AudioBuffer<float> input, int blockLength = blockSize)
{
    test::processInBlocks (processor, input, blockLength);
    return input;
}

// Runs the input through a prepared reference chain in blocks, all with the same settings.
juce::AudioBuffer<float> runReference (test::ReferenceChain& chain, const test::ChainSettings& settings,
                                       juce::AudioBuffer<float> input)
{
    for (auto start = 0; start < input.getNumSamples(); start += blockSize)
    {
        juce::AudioBuffer<float> block (input.getArrayOfWritePointers(), input.getNumChannels(), start,
                                        juce::jmin (blockSize, input.getNumSamples() - start));
        chain.process (block, settings);
    }

    return input;
}

juce::AudioBuffer<float> renderReference (const test::ChainSettings& settings, juce::AudioBuffer<float> input)
{
    test::ReferenceChain chain;
    chain.prepare (sampleRate, blockSize, input.getNumChannels());
    return runReference (chain, settings, std::move (input));
}

juce::AudioBuffer<float> testSignal (int numChannels = 2, int numSamples = 8 * blockSize)
{
    return test::makeSine (numChannels, numSamples, sampleRate, 440.0f, 0.5f);
}
} // namespace

TEST (Processing, PassesAudioThroughBeforePreparation)
{
    GuipluginAudioProcessor processor;
    const auto input = testSignal();
    EXPECT_TRUE (test::bitIdentical (render (processor, input), input));
    EXPECT_EQ (processor.outputLevelLeft.peak.load(), 0.0f);
    EXPECT_EQ (processor.outputLevelRight.rms.load(), 0.0f);
}

TEST (Processing, PassesAudioThroughAfterReleaseResources)
{
    auto processor = makeProcessor ({ { "inputGainKnob", 12.0f }, { "gainlockPower", 0.0f } });
    render (*processor, testSignal());
    processor->releaseResources();

    const auto input = testSignal();
    EXPECT_TRUE (test::bitIdentical (render (*processor, input), input));
}

TEST (Processing, PowerOffReturnsTheInputBitForBitWithTheMetersFrozen)
{
    auto processor = makeProcessor ({ { "inputGainKnob", 6.0f }, { "lpfKnob", 2000.0f }, { "hpfKnob", 200.0f } });
    render (*processor, testSignal());
    const auto peakLeft = processor->outputLevelLeft.peak.load();
    const auto rmsRight = processor->outputLevelRight.rms.load();
    ASSERT_GT (peakLeft, 0.0f);

    test::setParameter (*processor, "powerPower", 0.0f);
    const auto input = test::makeSine (2, 6 * blockSize, sampleRate, 3000.0f, 0.9f);
    EXPECT_TRUE (test::bitIdentical (render (*processor, input), input));
    EXPECT_EQ (processor->outputLevelLeft.peak.load(), peakLeft);
    EXPECT_EQ (processor->outputLevelRight.rms.load(), rmsRight);
}

TEST (Processing, ANewInstanceFadesInOverTwentyMilliseconds)
{
    const auto input = test::makeSine (2, 16 * blockSize, sampleRate, 1000.0f, 0.25f);
    auto processor = makeProcessor();
    const auto output = render (*processor, input);
    EXPECT_TRUE (test::bitIdentical (output, renderReference ({}, input)));

    // The same chain with its gains already at their targets: the output without the fade.
    test::ReferenceChain settled;
    settled.prepare (sampleRate, blockSize, 2);
    settled.settleGains ({});
    const auto unfaded = runReference (settled, {}, input);

    // Both gains ramp from silence over 0.02 s, so the level of each 1 kHz cycle against the
    // unfaded output rises as the square of the ramp, and then the two meet.
    constexpr int cycle = 48;
    const auto levelOfCycle = [&] (const juce::AudioBuffer<float>& b, int k) {
        return b.getMagnitude (0, k * cycle, cycle);
    };
    for (auto k = 0; k < fadeSamples / cycle; ++k)
    {
        const auto rampAt = [] (int i) { return static_cast<float> (i) / fadeSamples; };
        const auto ratio = levelOfCycle (output, k) / levelOfCycle (unfaded, k);
        EXPECT_GE (ratio, std::pow (rampAt (k * cycle + 1), 2.0f) - 0.01f) << k;
        EXPECT_LE (ratio, std::pow (rampAt ((k + 1) * cycle), 2.0f) + 0.01f) << k;
    }

    // After the fade the two differ only by the tape stages' slowly fading memory of the quieter
    // start (the 10 Hz high-pass, the low shelf, the head bump): a small fraction of the level. A
    // fade still going on, or a gain off its target by a tenth of a dB, would be ten times more.
    const auto level = unfaded.getMagnitude (0, fadeSamples, unfaded.getNumSamples() - fadeSamples);
    for (auto i = 2 * blockSize; i < output.getNumSamples(); ++i)
        ASSERT_NEAR (output.getSample (0, i), unfaded.getSample (0, i), 2e-3f * level) << i;
}

TEST (Processing, APreparedInstanceKeepsItsGainAcrossPreparation)
{
    // Prepared again after it ran, the processor starts with its gains at their targets: its output
    // is the chain's with no fade at all.
    auto processor = makeProcessor();
    render (*processor, testSignal());
    processor->prepareToPlay (sampleRate, blockSize);

    const auto input = testSignal();
    test::ReferenceChain settled;
    settled.prepare (sampleRate, blockSize, 2);
    settled.settleGains ({});
    settled.settleTapeSelection ({});
    EXPECT_TRUE (test::bitIdentical (render (*processor, input), runReference (settled, {}, input)));
}

TEST (Processing, GainLockTiesTheOutputToTheInput)
{
    // Lock on, INPUT +6, OUTPUT 0 runs exactly like lock off with OUTPUT -6.
    const auto input = testSignal();
    auto locked = makeProcessor ({ { "inputGainKnob", 6.0f }, { "outputGainKnob", 0.0f }, { "gainlockPower", 1.0f } });
    auto unlockedMinusSix = makeProcessor ({ { "inputGainKnob", 6.0f }, { "outputGainKnob", -6.0f }, { "gainlockPower", 0.0f } });
    auto unlocked = makeProcessor ({ { "inputGainKnob", 6.0f }, { "outputGainKnob", 0.0f }, { "gainlockPower", 0.0f } });

    const auto lockedOut = render (*locked, input);
    EXPECT_TRUE (test::bitIdentical (lockedOut, render (*unlockedMinusSix, input)));
    EXPECT_TRUE (test::bitIdentical (lockedOut, renderReference ({ 6.0f, 0.0f, 20000.0f, 20.0f, true }, input)));

    // Lock off: the output gain stays at 0 dB, 6 dB above the locked one once both ramps are done.
    const auto unlockedOut = render (*unlocked, input);
    EXPECT_TRUE (test::bitIdentical (unlockedOut, renderReference ({ 6.0f, 0.0f, 20000.0f, 20.0f, false }, input)));
    const auto i = 6 * blockSize + 17;
    EXPECT_NEAR (unlockedOut.getSample (0, i) / lockedOut.getSample (0, i), juce::Decibels::decibelsToGain (6.0f), 1e-4f);
}

TEST (Processing, FiltersAreSkippedExactlyAtTheirEndValues)
{
    struct Case
    {
        float lowPassHz, highPassHz;
        bool changesTheSignal;
    };

    const Case cases[] = {
        { 20000.0f, 20.0f, false },
        { 19999.99f, 20.0f, true },
        { 20000.0f, 20.01f, true },
        { 1200.0f, 300.0f, true },
    };

    const auto input = test::makeSine (2, 8 * blockSize, sampleRate, 9000.0f, 0.5f);
    const auto bypassed = renderReference ({}, input);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.lowPassHz) + " / " + juce::String (c.highPassHz));
        auto processor = makeProcessor ({ { "lpfKnob", c.lowPassHz }, { "hpfKnob", c.highPassHz } });
        const test::ChainSettings settings { 0.0f, 0.0f, test::rawParameter (*processor, "lpfKnob"),
                                             test::rawParameter (*processor, "hpfKnob"), true };
        EXPECT_EQ (settings.lowPassHz < 20000.0f || settings.highPassHz > 20.0f, c.changesTheSignal);

        const auto output = render (*processor, input);
        EXPECT_TRUE (test::bitIdentical (output, renderReference (settings, input)));
        EXPECT_EQ (! test::bitIdentical (output, bypassed), c.changesTheSignal);
    }
}

TEST (Processing, ASkippedFilterKeepsItsState)
{
    // Engaged, skipped for a while, engaged again: the filter resumes where it stopped.
    const auto input = testSignal (2, 12 * blockSize);
    auto processor = makeProcessor ({ { "lpfKnob", 1000.0f } });
    test::ReferenceChain reference;
    reference.prepare (sampleRate, blockSize, 2);

    auto output = input;
    auto expected = input;
    test::processInBlocks (*processor, output, blockSize, [&] (int block) {
        test::setParameter (*processor, "lpfKnob", block >= 4 && block < 8 ? 20000.0f : 1000.0f);
    });

    for (auto block = 0; block < 12; ++block)
    {
        juce::AudioBuffer<float> part (expected.getArrayOfWritePointers(), 2, block * blockSize, blockSize);
        reference.process (part, { 0.0f, 0.0f, block >= 4 && block < 8 ? 20000.0f : 1000.0f, 20.0f, true });
    }

    EXPECT_TRUE (test::bitIdentical (output, expected));
}

TEST (Processing, BlocksLongerThanPreparedRunInPreparedParts)
{
    const auto input = testSignal (2, 4 * blockSize);
    const std::initializer_list<std::pair<const char*, float>> busy = { { "lpfKnob", 5000.0f }, { "hpfKnob", 80.0f },
                                                                         { "inputGainKnob", 3.0f } };
    auto inOneGo = makeProcessor (busy);
    auto inParts = makeProcessor (busy);

    EXPECT_TRUE (test::bitIdentical (render (*inOneGo, input, 4 * blockSize), render (*inParts, input, blockSize)));
    EXPECT_EQ (inOneGo->outputLevelLeft.peak.load(), inParts->outputLevelLeft.peak.load());
}

TEST (Meters, FollowTheFinalOutput)
{
    auto processor = makeProcessor ({ { "outputGainKnob", -6.0f }, { "gainlockPower", 0.0f } });
    const auto output = render (*processor, testSignal (2, 30 * blockSize));

    // Peak: the detector fed with every output sample / 1.5; RMS: the window over the last blocks.
    PeakLevelDetector peakLeft (static_cast<float> (sampleRate));
    PeakLevelDetector peakRight (static_cast<float> (sampleRate));
    RMSLevelDetector rmsLeft;
    rmsLeft.initialize (static_cast<float> (sampleRate), blockSize, 300);
    auto lastPeakLeft = 0.0f, lastPeakRight = 0.0f;

    for (auto i = 0; i < output.getNumSamples(); ++i)
    {
        lastPeakLeft = peakLeft.tick (output.getSample (0, i) / 1.5f);
        lastPeakRight = peakRight.tick (output.getSample (1, i) / 1.5f);
    }

    for (auto start = 0; start < output.getNumSamples(); start += blockSize)
        rmsLeft.addBlockRMS (output.getRMSLevel (0, start, blockSize));

    EXPECT_EQ (processor->outputLevelLeft.peak.load(), lastPeakLeft);
    EXPECT_EQ (processor->outputLevelRight.peak.load(), lastPeakRight);
    EXPECT_FLOAT_EQ (processor->outputLevelLeft.rms.load(), rmsLeft.getRMSLevel());
    EXPECT_NE (processor->outputLevelLeft.rms.load(), processor->outputLevelRight.rms.load());
}

TEST (Meters, MonoFeedsBothRecordsFromTheOneChannel)
{
    auto processor = makeProcessor ({}, 1);
    ASSERT_EQ (processor->getTotalNumOutputChannels(), 1);
    render (*processor, testSignal (1, 20 * blockSize));

    EXPECT_GT (processor->outputLevelLeft.rms.load(), 0.0f);
    EXPECT_EQ (processor->outputLevelRight.peak.load(), processor->outputLevelLeft.peak.load());
    EXPECT_EQ (processor->outputLevelRight.rms.load(), processor->outputLevelLeft.rms.load());
}

TEST (Meters, AnEmptyBlockFeedsAZeroRmsAndLeavesThePeak)
{
    auto processor = makeProcessor();
    render (*processor, testSignal (2, 30 * blockSize));
    const auto peak = processor->outputLevelLeft.peak.load();
    const auto rms = processor->outputLevelLeft.rms.load();

    juce::AudioBuffer<float> empty (2, 0);
    juce::MidiBuffer midi;
    processor->processBlock (empty, midi);

    EXPECT_EQ (processor->outputLevelLeft.peak.load(), peak);
    EXPECT_LT (processor->outputLevelLeft.rms.load(), rms);
}
