#include "AllocationCounter.h"
#include "ProcessorHarness.h"

#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

namespace
{
struct RandomSettings
{
    explicit RandomSettings (unsigned seed) : random (seed) {}

    // Moves every parameter to a random legal value.
    void apply (GuipluginAudioProcessor& processor)
    {
        for (auto* parameter : processor.getParameters())
            parameter->setValueNotifyingHost (unit (random));
    }

    std::mt19937 random;
    std::uniform_real_distribution<float> unit { 0.0f, 1.0f };
};

// Block lengths a host may send after preparing for `prepared` samples.
std::vector<int> hostBlockLengths (int prepared)
{
    return { 0, 1, 17, prepared, 4 * prepared, prepared - 1, 3 };
}
} // namespace

TEST (Realtime, ProcessBlockNeverAllocatesAfterPreparation)
{
    for (const auto numChannels : { 2, 1 })
    {
        SCOPED_TRACE (numChannels);
        GuipluginAudioProcessor processor;
        ASSERT_TRUE (test::setChannels (processor, numChannels));

        constexpr int prepared = 256;
        processor.prepareToPlay (44100.0, prepared);

        RandomSettings settings (7);
        juce::AudioBuffer<float> buffer (numChannels, 4 * prepared);
        juce::MidiBuffer midi;
        std::size_t allocations = 0;

        for (auto round = 0; round < 200; ++round)
        {
            if (round % 3 == 0)
                settings.apply (processor);

            // Power toggles every few blocks, on most of the time.
            test::setParameter (processor, "powerPower", round % 7 == 3 ? 0.0f : 1.0f);

            const auto length = hostBlockLengths (prepared)[static_cast<size_t> (round) % hostBlockLengths (prepared).size()];
            auto input = test::makeSine (numChannels, length, 44100.0, 220.0f + round, 0.8f);
            juce::AudioBuffer<float> block (input.getArrayOfWritePointers(), numChannels, 0, length);

            ScopedAllocationCounter counter;
            processor.processBlock (block, midi);
            allocations += counter.count();
        }

        EXPECT_EQ (allocations, 0u);
    }
}

TEST (Realtime, TheCounterSeesAllocations)
{
    if (! TAVORIN_COUNTS_ALLOCATIONS)
        GTEST_SKIP() << "a sanitizer's allocator is in charge";

    volatile int size = 1024;
    ScopedAllocationCounter counter;
    juce::AudioBuffer<float> buffer (2, size);
    std::vector<int> vector (static_cast<size_t> (size));
    EXPECT_GE (counter.count(), 2u);
    EXPECT_EQ (vector.size() + static_cast<size_t> (buffer.getNumSamples()), 2048u);
}

TEST (Realtime, OutputIsFiniteAtEveryHostRateAndBlockSize)
{
    constexpr int prepared = 512;

    for (const auto rate : { 44100.0, 48000.0, 88200.0, 96000.0, 176400.0, 192000.0 })
    {
        for (const auto numChannels : { 1, 2 })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, " + juce::String (numChannels) + " channels");
            GuipluginAudioProcessor processor;
            ASSERT_TRUE (test::setChannels (processor, numChannels));
            RandomSettings settings (static_cast<unsigned> (rate) + static_cast<unsigned> (numChannels));
            processor.prepareToPlay (rate, prepared);

            for (const auto length : hostBlockLengths (prepared))
            {
                settings.apply (processor);
                test::setParameter (processor, "powerPower", 1.0f);

                auto buffer = test::makeSine (numChannels, 4 * prepared, rate, 1000.0f, 1.0f);
                test::processInBlocks (processor, buffer, juce::jmax (1, length));
                ASSERT_TRUE (test::allFinite (buffer)) << "blocks of " << length;

                juce::AudioBuffer<float> empty (numChannels, 0);
                juce::MidiBuffer midi;
                processor.processBlock (empty, midi);
            }

            EXPECT_TRUE (std::isfinite (processor.outputLevelLeft.peak.load()));
            EXPECT_TRUE (std::isfinite (processor.outputLevelRight.rms.load()));
        }
    }
}

TEST (Realtime, ProcessorsPreparedOnManyThreadsAtOnceMatchOnesPreparedAlone)
{
    // Every preparation builds twelve convolution engines, planning FFTs, while the background
    // loaders of the other instances still plan theirs: FFTW's planner must hold up.
    struct Setup
    {
        double rate;
        int blockSize;
        int slot;
    };

    const Setup setups[] = { { 44100.0, 512, 6 }, { 48000.0, 256, 1 }, { 96000.0, 1024, 9 },
                             { 88200.0, 64, 4 },  { 44100.0, 2048, 11 }, { 192000.0, 128, 2 } };
    constexpr int numSetups = 6;

    const auto render = [] (GuipluginAudioProcessor& processor, const Setup& setup) {
        auto buffer = test::makeSine (2, 8 * setup.blockSize, setup.rate, 330.0f, 0.5f);
        test::processInBlocks (processor, buffer, setup.blockSize);
        return buffer;
    };

    const auto select = [] (GuipluginAudioProcessor& processor, int slot) {
        for (auto type = 0; type < 6; ++type)
            test::setParameter (processor, ParameterIds::typeButtons[type], type == slot % 6 ? 1.0f : 0.0f);
        test::setParameter (processor, "speedPower", slot >= 6 ? 1.0f : 0.0f);
        test::setParameter (processor, "biasKnob", 0.2f);
    };

    std::vector<juce::AudioBuffer<float>> alone;
    for (const auto& setup : setups)
    {
        GuipluginAudioProcessor processor;
        select (processor, setup.slot);
        processor.prepareToPlay (setup.rate, setup.blockSize);
        alone.push_back (render (processor, setup));
    }

    for (auto round = 0; round < 3; ++round)
    {
        std::vector<std::unique_ptr<GuipluginAudioProcessor>> processors;
        for (const auto& setup : setups)
        {
            processors.push_back (std::make_unique<GuipluginAudioProcessor>());
            select (*processors.back(), setup.slot);
        }

        std::atomic<int> waiting { numSetups };
        std::vector<juce::AudioBuffer<float>> together (numSetups);
        std::vector<std::thread> threads;
        for (auto i = 0; i < numSetups; ++i)
            threads.emplace_back ([&, i] {
                // All threads start preparing at the same moment.
                waiting.fetch_sub (1);
                while (waiting.load() > 0)
                    std::this_thread::yield();

                processors[(size_t) i]->prepareToPlay (setups[i].rate, setups[i].blockSize);
                together[(size_t) i] = render (*processors[(size_t) i], setups[i]);
            });

        for (auto& thread : threads)
            thread.join();

        for (auto i = 0; i < numSetups; ++i)
            EXPECT_TRUE (test::bitIdentical (together[(size_t) i], alone[(size_t) i])) << "round " << round << ", setup " << i;
    }
}
