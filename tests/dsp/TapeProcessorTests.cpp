#include "AllocationCounter.h"

#include "dsp/ArcTangent.h"
#include "dsp/TapeProcessor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <thread>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;

using Slot = std::pair<TapeType, TapeSpeed>;

juce::AudioBuffer<float> noise (int numChannels, int numSamples, float amplitude, unsigned seed = 1)
{
    juce::Random random (static_cast<juce::int64> (seed));
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    for (auto channel = 0; channel < numChannels; ++channel)
        for (auto i = 0; i < numSamples; ++i)
            buffer.setSample (channel, i, amplitude * (2.0f * random.nextFloat() - 1.0f));
    return buffer;
}

juce::AudioBuffer<float> part (juce::AudioBuffer<float>& buffer, int block)
{
    return { buffer.getArrayOfWritePointers(), buffer.getNumChannels(), block * blockSize, blockSize };
}

bool same (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    for (auto channel = 0; channel < a.getNumChannels(); ++channel)
        if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * (size_t) a.getNumSamples()) != 0)
            return false;
    return true;
}

// The tape machine rebuilt from standalone chains: the selected chain alone, or in a
// switching block both chains on the same input mixed by ramps that add +-1/n in single precision,
// then the 10 Hz high-pass.
class ModelMachine
{
public:
    void prepare()
    {
        for (auto& [slot, chain] : chains)
            chain->prepare (sampleRate, blockSize);

        *dcFilter.state = *juce::dsp::IIR::Coefficients<float>::makeHighPass (sampleRate, 10.0f);
        dcFilter.prepare ({ sampleRate, (juce::uint32) blockSize, 2 });
    }

    void process (juce::AudioBuffer<float>& buffer, Slot slot)
    {
        if (slot == last)
        {
            chain (slot).process (buffer);
        }
        else
        {
            juce::AudioBuffer<float> old; // a copy of a buffer that refers to other data would refer to it too
            old.makeCopyOf (buffer);
            chain (slot).process (buffer);
            chain (last).process (old);

            const auto n = buffer.getNumSamples();
            for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
            {
                auto up = 0.0f, down = 1.0f;
                for (auto i = 0; i < n; ++i)
                {
                    buffer.setSample (channel, i, buffer.getSample (channel, i) * up + old.getSample (channel, i) * down);
                    up += 1.0f / (float) n;
                    down += -1.0f / (float) n;
                }
            }
            last = slot;
        }

        juce::dsp::AudioBlock<float> block (buffer);
        dcFilter.process (juce::dsp::ProcessContextReplacing<float> (block));
    }

    // Chains used later must exist before prepare.
    TapeTypeProcessor& chain (Slot slot)
    {
        auto& c = chains[slot];
        if (c == nullptr)
            c = std::make_unique<TapeTypeProcessor> (slot.first, slot.second);
        return *c;
    }

    Slot last { TapeType::TypeA, TapeSpeed::Slow };

private:
    std::map<Slot, std::unique_ptr<TapeTypeProcessor>> chains;
    juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, juce::dsp::IIR::Coefficients<float>> dcFilter;
};

float ulpsBetween (float a, float b)
{
    std::int32_t ia, ib;
    std::memcpy (&ia, &a, 4);
    std::memcpy (&ib, &b, 4);
    if ((ia < 0) != (ib < 0))
        return a == b ? 0.0f : 1e9f;
    return static_cast<float> (std::abs (static_cast<std::int64_t> (ia) - ib));
}
} // namespace

//==============================================================================
TEST (BiasSaturation, AtZeroPassesTypesAToCAndNegatesTypesDToF)
{
    const auto input = noise (2, 300, 2.0f);

    auto untouched = input;
    TapeProcessor::applyBiasSaturation (untouched, 2, 0.0f, false);
    EXPECT_TRUE (same (untouched, input));

    auto inverted = input;
    TapeProcessor::applyBiasSaturation (inverted, 2, 0.0f, true);
    for (auto channel = 0; channel < 2; ++channel)
        for (auto i = 0; i < 300; ++i)
            ASSERT_EQ (inverted.getSample (channel, i), -input.getSample (channel, i));
}

TEST (BiasSaturation, FollowsTheArcTangentLawAndItsLimit)
{
    // At 0.5 the drive is 6: 1.0 becomes atan (6) / 6, and nothing exceeds pi / 12.
    juce::AudioBuffer<float> buffer (2, 5);
    const float inputs[] = { 1.0f, -1.0f, 1e6f, -1e6f, 1e-4f };
    for (auto i = 0; i < 5; ++i)
        buffer.setSample (0, i, inputs[i]), buffer.setSample (1, i, inputs[i]);

    auto inverted = buffer;
    TapeProcessor::applyBiasSaturation (buffer, 2, 0.5f, false);
    TapeProcessor::applyBiasSaturation (inverted, 2, 0.5f, true);

    const auto limit = juce::MathConstants<double>::pi / 12.0;
    EXPECT_NEAR (buffer.getSample (0, 0), std::atan (6.0) / 6.0, 1e-6);
    EXPECT_NEAR (inverted.getSample (1, 0), -std::atan (6.0) / 6.0, 1e-6);
    EXPECT_NEAR (buffer.getSample (0, 1), -std::atan (6.0) / 6.0, 1e-6);
    EXPECT_NEAR (buffer.getSample (0, 4), 1e-4, 1e-10); // unity for small signals

    for (auto channel = 0; channel < 2; ++channel)
        for (auto i = 0; i < 5; ++i)
        {
            ASSERT_LE (std::abs (buffer.getSample (channel, i)), limit);
            ASSERT_EQ (inverted.getSample (channel, i), -buffer.getSample (channel, i));
        }

    // Between the ends: atan (d x) / d with d = 1 + 10 x bias.
    auto mid = noise (1, 64, 3.0f);
    const auto original = mid;
    TapeProcessor::applyBiasSaturation (mid, 1, 0.23f, false);
    const auto d = 1.0 + 10.0 * 0.23f;
    for (auto i = 0; i < 64; ++i)
        ASSERT_NEAR (mid.getSample (0, i), std::atan (d * original.getSample (0, i)) / d, 1e-6) << i;
}

TEST (BiasSaturation, TouchesOnlyTheChannelsItIsGiven)
{
    const auto input = noise (2, 100, 1.0f);
    auto buffer = input;
    TapeProcessor::applyBiasSaturation (buffer, 1, 0.4f, true);
    EXPECT_NE (buffer.getSample (0, 10), input.getSample (0, 10));
    EXPECT_EQ (std::memcmp (buffer.getReadPointer (1), input.getReadPointer (1), 100 * sizeof (float)), 0);

    auto none = input;
    TapeProcessor::applyBiasSaturation (none, 0, 0.4f, true);
    EXPECT_TRUE (same (none, input));
}

TEST (ArcTangent, StaysWithinThreeUlpsOfTheScalarFunctionWhateverTheBlocks)
{
    // A sweep over many magnitudes, shaped once as a whole and once in pieces of 1 to 7 samples.
    std::vector<float> whole;
    for (auto e = -30.0f; e < 30.0f; e += 0.001f)
        whole.push_back ((static_cast<int> (e * 1000.0f) % 2 == 0 ? 1.0f : -1.0f) * std::exp (e));

    const auto input = whole;
    auto pieces = whole;
    ArcTangent::shape (whole.data(), (int) whole.size(), 1.0f, 1.0f, 1.0f);

    for (size_t start = 0, length = 1; start < pieces.size(); start += length, length = length % 7 + 1)
        ArcTangent::shape (pieces.data() + start, (int) std::min (length, pieces.size() - start), 1.0f, 1.0f, 1.0f);

    auto worst = 0.0f;
    for (size_t i = 0; i < input.size(); ++i)
    {
        ASSERT_EQ (pieces[i], whole[i]) << i;
        worst = std::max (worst, ulpsBetween (whole[i], std::atan (input[i])));
    }
    EXPECT_LE (worst, 3.0f);
}

//==============================================================================
TEST (TapeProcessor, RunsSlotZeroUntilATypeIsSet)
{
    const auto input = noise (2, 4 * blockSize, 0.3f);

    TapeProcessor machine;
    machine.prepare (sampleRate, blockSize);
    ModelMachine model;
    model.chain ({ TapeType::TypeA, TapeSpeed::Slow });
    model.prepare();

    auto output = input, expected = input;
    for (auto block = 0; block < 4; ++block)
    {
        auto a = part (output, block), b = part (expected, block);
        machine.process (a);
        model.process (b, { TapeType::TypeA, TapeSpeed::Slow });
    }

    EXPECT_TRUE (same (output, expected));
    EXPECT_EQ (machine.currentTypeProcessor().getLatency(), 0);
}

TEST (TapeProcessor, SwitchesExactlyAsDocumented)
{
    // Each schedule lists, per block, the setType calls made before it (and whether prepare comes
    // first); the machine must match the model of the switching block, bit for bit.
    struct Step
    {
        std::vector<Slot> calls;
        bool prepareFirst = false;
    };

    const Slot aSlow { TapeType::TypeA, TapeSpeed::Slow }, aFast { TapeType::TypeA, TapeSpeed::Fast };
    const Slot cFast { TapeType::TypeC, TapeSpeed::Fast }, dSlow { TapeType::TypeD, TapeSpeed::Slow };
    const Slot fFast { TapeType::TypeF, TapeSpeed::Fast };

    struct Schedule
    {
        const char* name;
        std::vector<Step> steps;
        Slot expectedAtEnd; // the slot the model ends on
    };

    const Schedule schedules[] = {
        { "the same pair again causes no crossfade", { { { aSlow } }, { { aSlow } }, { { aSlow } } }, aSlow },
        { "a change crossfades over one block, then the new chain runs alone",
          { { {} }, { { cFast } }, { { cFast } }, { {} }, { {} } }, cFast },
        { "two calls before one block crossfade from the last chain run to the second call's",
          { { {} }, { { dSlow, fFast } }, { {} }, { {} } }, fFast },
        { "a chain selected again resumes its own state",
          { { { aFast } }, { {} }, { { dSlow } }, { {} }, { { aFast } }, { {} }, { { dSlow } }, { {} } }, dSlow },
        { "an invalid pair changes nothing",
          { { { cFast } }, { { { static_cast<TapeType> (6), TapeSpeed::Fast } } }, { { { TapeType::TypeB, static_cast<TapeSpeed> (2) } } }, { {} } },
          cFast },
    };

    for (const auto& schedule : schedules)
    {
        SCOPED_TRACE (schedule.name);
        const auto numBlocks = (int) schedule.steps.size();
        const auto input = noise (2, numBlocks * blockSize, 0.4f, (unsigned) numBlocks);

        TapeProcessor machine;
        machine.prepare (sampleRate, blockSize);
        ModelMachine model;
        for (const auto& step : schedule.steps)
            for (const auto& call : step.calls)
                if (TapeSlots::isValid (call.first, call.second))
                    model.chain (call);
        model.chain (model.last);
        model.prepare();

        auto output = input, expected = input;
        auto selected = model.last;
        for (auto block = 0; block < numBlocks; ++block)
        {
            for (const auto& call : schedule.steps[(size_t) block].calls)
            {
                machine.setType (call.first, call.second);
                if (TapeSlots::isValid (call.first, call.second))
                    selected = call;
            }

            auto a = part (output, block), b = part (expected, block);
            machine.process (a);
            model.process (b, selected);
        }

        EXPECT_TRUE (same (output, expected));
        EXPECT_TRUE (model.last == schedule.expectedAtEnd);
    }
}

TEST (TapeProcessor, PreparationTakesAPendingChangeWithoutACrossfade)
{
    const auto input = noise (2, 2 * blockSize, 0.4f);

    TapeProcessor machine;
    machine.prepare (sampleRate, blockSize);
    machine.setType (TapeType::TypeE, TapeSpeed::Fast);
    machine.prepare (sampleRate, blockSize);

    ModelMachine model;
    model.chain ({ TapeType::TypeE, TapeSpeed::Fast });
    model.last = { TapeType::TypeE, TapeSpeed::Fast };
    model.prepare();

    auto output = input, expected = input;
    for (auto block = 0; block < 2; ++block)
    {
        auto a = part (output, block), b = part (expected, block);
        machine.process (a);
        model.process (b, { TapeType::TypeE, TapeSpeed::Fast });
    }

    EXPECT_TRUE (same (output, expected));
}

TEST (TapeProcessor, SilenceStaysSilentAndDcDecaysInEverySlot)
{
    for (auto slot = 0; slot < TapeSlots::numSlots; ++slot)
    {
        SCOPED_TRACE (slot);
        TapeProcessor machine;
        machine.setType (TapeSlots::typeOf (slot), TapeSlots::speedOf (slot));
        machine.prepare (sampleRate, blockSize);

        juce::AudioBuffer<float> silence (2, blockSize);
        for (auto block = 0; block < 8; ++block)
        {
            silence.clear();
            machine.process (silence);
            for (auto channel = 0; channel < 2; ++channel)
                ASSERT_EQ (silence.getMagnitude (channel, 0, blockSize), 0.0f) << block;
        }

        // Two seconds of a DC offset: the 10 Hz high-pass takes it out.
        const auto numBlocks = static_cast<int> (2.0 * sampleRate) / blockSize;
        auto first = 0.0f, last = 0.0f;
        for (auto block = 0; block < numBlocks; ++block)
        {
            juce::AudioBuffer<float> dc (2, blockSize);
            for (auto channel = 0; channel < 2; ++channel)
                juce::FloatVectorOperations::fill (dc.getWritePointer (channel), 0.5f, blockSize);
            machine.process (dc);

            const auto level = juce::jmax (dc.getMagnitude (0, 0, blockSize), dc.getMagnitude (1, 0, blockSize));
            if (block < 4)
                first = juce::jmax (first, level);
            if (block >= numBlocks - 16)
                last = juce::jmax (last, level);
        }

        EXPECT_GT (first, 1e-3f);
        EXPECT_LT (last, 1e-4f * first);
    }
}

TEST (TapeTypeProcessor, ReportsNoLatencyAndHasItsResponseOncePrepared)
{
    for (auto slot = 0; slot < TapeSlots::numSlots; ++slot)
    {
        SCOPED_TRACE (slot);
        TapeTypeProcessor chain (TapeSlots::typeOf (slot), TapeSlots::speedOf (slot));
        EXPECT_EQ (chain.getLatency(), 0);
        EXPECT_FALSE (chain.hasResponse());

        chain.prepare (96000.0, 64);
        EXPECT_EQ (chain.getLatency(), 0);
        EXPECT_TRUE (chain.hasResponse());
    }

    // A pair outside the table loads nothing.
    TapeTypeProcessor none (static_cast<TapeType> (7), TapeSpeed::Slow);
    none.prepare (48000.0, 64);
    EXPECT_FALSE (none.hasResponse());
}

TEST (TapeTypeProcessor, RunsItsResponseAsSoonAsPrepareReturns)
{
    // JUCE loads a response on a background thread; its prepare finishes a load still queued. A chain
    // prepared at once must therefore answer exactly like one whose loader had all the time it needed.
    std::vector<std::unique_ptr<TapeTypeProcessor>> waited;
    for (auto slot = 0; slot < TapeSlots::numSlots; ++slot)
        waited.push_back (std::make_unique<TapeTypeProcessor> (TapeSlots::typeOf (slot), TapeSlots::speedOf (slot)));
    std::this_thread::sleep_for (std::chrono::milliseconds (300));

    const auto answer = [] (TapeTypeProcessor& chain) {
        chain.prepare (44100.0, 512);
        juce::AudioBuffer<float> impulse (2, 512);
        impulse.clear();
        impulse.setSample (0, 0, 0.01f);
        impulse.setSample (1, 0, 0.01f);
        chain.process (impulse);
        return impulse;
    };

    for (auto slot = 0; slot < TapeSlots::numSlots; ++slot)
    {
        SCOPED_TRACE (slot);
        TapeTypeProcessor immediate (TapeSlots::typeOf (slot), TapeSlots::speedOf (slot));
        EXPECT_TRUE (same (answer (immediate), answer (*waited[(size_t) slot])));
    }
}

TEST (TapeProcessor, NeverAllocatesWhateverTheBlockSizeItWasPreparedFor)
{
    // The convolutions' FFT sizes follow the prepared block size; FFTW's execution buffers must come
    // from the scratch areas at every one of them, in blocks of the full size and shorter.
    if (! TAVORIN_COUNTS_ALLOCATIONS)
        GTEST_SKIP() << "a sanitizer's allocator is in charge";

    for (const auto prepared : { 1, 17, 64, 128, 129, 1000, 4096, 8192 })
    {
        SCOPED_TRACE (prepared);
        TapeProcessor machine;
        machine.prepare (96000.0, prepared);

        std::size_t allocations = 0;
        for (auto round = 0; round < 2 * TapeSlots::numSlots; ++round)
        {
            const auto slot = (round * 7) % TapeSlots::numSlots;
            auto buffer = noise (2, round % 3 == 0 ? juce::jmax (1, prepared / 3) : prepared, 0.5f, (unsigned) round);

            ScopedAllocationCounter counter;
            machine.setType (TapeSlots::typeOf (slot), TapeSlots::speedOf (slot));
            machine.process (buffer);
            allocations += counter.count();
        }

        EXPECT_EQ (allocations, 0u);
    }
}

#if JUCE_LINUX
TEST (TapeProcessor, LoadsAllTwelveResponsesOnOneBackgroundThread)
{
    const auto threadsOfThisProcess = [] {
        return juce::File ("/proc/self/task").getNumberOfChildFiles (juce::File::findDirectories);
    };

    const auto before = threadsOfThisProcess();
    {
        TapeProcessor machine;
        machine.prepare (48000.0, 512);
        EXPECT_EQ (threadsOfThisProcess() - before, 1);
    }
    EXPECT_EQ (threadsOfThisProcess(), before);
}
#endif
