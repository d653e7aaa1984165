// The tape stages in the processor's chain: which slot the buttons select, the polarity of the bias
// stage, what the power switch and the oversampling choice do to them, and what every slot does to
// a signal end to end.

#include "AllocationCounter.h"
#include "ProcessorHarness.h"
#include "ReferenceChain.h"

#include "BinaryData.h"
#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <map>

namespace
{
constexpr int blockSize = 512;

using Parameters = std::map<juce::String, float>;

// The buttons that select one type alone, and the speed switch.
Parameters selecting (int type, bool fast)
{
    Parameters parameters { { "speedPower", fast ? 1.0f : 0.0f } };
    for (auto t = 0; t < TapeSlots::numTypes; ++t)
        parameters[ParameterIds::typeButtons[t]] = t == type ? 1.0f : 0.0f;
    return parameters;
}

Parameters selectingSlot (int slot)
{
    return selecting (static_cast<int> (TapeSlots::typeOf (slot)), TapeSlots::speedOf (slot) == TapeSpeed::Fast);
}

void applyParameters (GuipluginAudioProcessor& processor, const Parameters& parameters)
{
    for (const auto& [id, value] : parameters)
        test::setParameter (processor, id, value);
}

std::unique_ptr<GuipluginAudioProcessor> makeProcessor (double sampleRate, const Parameters& parameters = {},
                                                         int numChannels = 2)
{
    auto processor = std::make_unique<GuipluginAudioProcessor>();
    test::setChannels (*processor, numChannels);
    applyParameters (*processor, parameters);
    processor->prepareToPlay (sampleRate, blockSize);
    EXPECT_TRUE (processor->hasTapeResponses());
    return processor;
}

juce::AudioBuffer<float> sine (int numChannels, int numSamples, double sampleRate, double frequency, float amplitude)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    for (auto channel = 0; channel < numChannels; ++channel)
        for (auto i = 0; i < numSamples; ++i)
            buffer.setSample (channel, i, amplitude * (float) std::sin (juce::MathConstants<double>::twoPi * frequency * i / sampleRate));
    return buffer;
}

juce::AudioBuffer<float> blockOf (juce::AudioBuffer<float>& buffer, int block)
{
    return { buffer.getArrayOfWritePointers(), buffer.getNumChannels(), block * blockSize, blockSize };
}

// One block of a schedule: the parameters changed before it, and the chain it should run as.
struct Block
{
    Parameters changes;
    test::ChainSettings expected;
    bool powerOn = true;
};

// Runs the schedule through a processor and, for the blocks with the power on, through the
// reference chain; the processor must match the reference bit for bit, and pass the input through
// untouched while the power is off.
void checkSchedule (const std::vector<Block>& schedule, const Parameters& initial = {}, int numChannels = 2)
{
    constexpr double rate = 48000.0;
    const auto numBlocks = static_cast<int> (schedule.size());
    const auto input = test::makeSine (numChannels, numBlocks * blockSize, rate, 700.0f, 0.6f);

    auto processor = makeProcessor (rate, initial, numChannels);
    test::ReferenceChain reference;
    reference.prepare (rate, blockSize, numChannels);

    auto output = input, expected = input;
    juce::MidiBuffer midi;
    for (auto block = 0; block < numBlocks; ++block)
    {
        SCOPED_TRACE ("block " + juce::String (block));
        const auto& step = schedule[(size_t) block];
        applyParameters (*processor, step.changes);

        auto out = blockOf (output, block), ref = blockOf (expected, block);
        processor->processBlock (out, midi);

        if (step.powerOn)
            reference.process (ref, step.expected);

        for (auto channel = 0; channel < numChannels; ++channel)
            ASSERT_EQ (std::memcmp (out.getReadPointer (channel), ref.getReadPointer (channel), sizeof (float) * blockSize), 0);
        ASSERT_EQ (processor->getLatencySamples(), 0);
    }
}

test::ChainSettings running (TapeType type, TapeSpeed speed, bool inverted, float crosstalk = 0.0f)
{
    test::ChainSettings settings;
    settings.type = type;
    settings.speed = speed;
    settings.invertPolarity = inverted;
    settings.crosstalk = crosstalk;
    return settings;
}
} // namespace

TEST (TapeStages, TheLastLitButtonWinsAndNoneLitKeepsThePreviousType)
{
    using T = TapeType;
    const auto fast = TapeSpeed::Fast, slow = TapeSpeed::Slow;

    checkSchedule ({
        { {}, running (T::TypeA, fast, false) }, // defaults: type A at Fast, no inversion
        { { { "typeBbutton", 1.0f }, { "typeEbutton", 1.0f } }, running (T::TypeE, fast, true) },
        { { { "typeEbutton", 0.0f }, { "typeAbutton", 0.0f } }, running (T::TypeB, fast, false) },
        { { { "speedPower", 0.0f } }, running (T::TypeB, slow, false) },
        { { { "typeBbutton", 0.0f } }, running (T::TypeB, slow, false) }, // none lit: B stays
        { { { "speedPower", 1.0f } }, running (T::TypeB, slow, false) },  // ...even at the other speed
        { { { "typeDbutton", 1.0f }, { "typeCbutton", 1.0f } }, running (T::TypeD, fast, true) },
        { { { "typeDbutton", 0.0f }, { "typeCbutton", 0.0f }, { "typeFbutton", 1.0f } }, running (T::TypeF, fast, true) },
        { { { "typeFbutton", 0.0f } }, running (T::TypeF, fast, true) }, // none lit: F stays, inverted as before
        { {}, running (T::TypeF, fast, true) },
        { { { "typeAbutton", 1.0f } }, running (T::TypeA, fast, false) },
    });
}

TEST (TapeStages, SelectionAndCrosstalkFollowTheParametersWhileThePowerIsOff)
{
    using T = TapeType;
    const auto fast = TapeSpeed::Fast;
    const auto c = running (T::TypeC, fast, false, 0.0f);
    auto offBlock = Block { {}, c, false };

    // Type D and crosstalk 0.7 are chosen while the power is off: the crossfade and the crosstalk
    // ramp both happen in the first block after it comes back.
    checkSchedule ({
        { {}, c },
        { { { "powerPower", 0.0f } }, c, false },
        { [] { auto p = selecting (3, true); p["crosstalkKnob"] = 0.7f; return p; }(), c, false },
        offBlock,
        { { { "powerPower", 1.0f } }, running (T::TypeD, fast, true, 0.7f) },
        { {}, running (T::TypeD, fast, true, 0.7f) },
    }, selecting (2, true));
}

TEST (TapeStages, EveryStageRunsInOrderWithTheKnobsInMonoAndStereo)
{
    // Both filters, bias, compressor and crosstalk engaged: the processor is the chain, and in mono
    // the bias stage and the compressor see channel 0 only.
    const Parameters busy { { "lpfKnob", 9000.0f }, { "hpfKnob", 70.0f }, { "biasKnob", 0.3f },
                            { "compKnob", 5.0f },   { "crosstalkKnob", 0.5f }, { "inputGainKnob", 6.0f } };

    for (const auto numChannels : { 2, 1 })
    {
        SCOPED_TRACE (numChannels);
        for (const auto slot : { 1, 4, 9 })
        {
            SCOPED_TRACE (slot);
            auto initial = busy;
            for (const auto& [id, value] : selectingSlot (slot))
                initial[id] = value;

            // The knobs as the parameters hold them (snapped to their steps), the slot as it should be.
            GuipluginAudioProcessor probe;
            applyParameters (probe, initial);
            auto settings = running (TapeSlots::typeOf (slot), TapeSlots::speedOf (slot), slot % 6 >= 3,
                                     test::rawParameter (probe, "crosstalkKnob"));
            settings.lowPassHz = test::rawParameter (probe, "lpfKnob");
            settings.highPassHz = test::rawParameter (probe, "hpfKnob");
            settings.bias = test::rawParameter (probe, "biasKnob");
            settings.comp = test::rawParameter (probe, "compKnob");
            settings.inputGainDb = test::rawParameter (probe, "inputGainKnob");

            checkSchedule (std::vector<Block> (6, Block { {}, settings }), initial, numChannels);
        }
    }
}

TEST (TapeStages, TheOversamplingChoiceChangesNothingButTheLatencyReport)
{
    constexpr double rate = 44100.0;
    const auto input = test::makeSine (2, 12 * blockSize, rate, 3000.0f, 0.8f);
    const Parameters settings { { "biasKnob", 0.2f }, { "compKnob", 3.0f }, { "typeCbutton", 1.0f } };

    auto fixed = makeProcessor (rate, settings);
    auto moving = makeProcessor (rate, settings);

    auto reference = input, output = input;
    test::processInBlocks (*fixed, reference, blockSize);
    test::processInBlocks (*moving, output, blockSize, [&] (int block) {
        test::setParameter (*moving, "os", static_cast<float> ((block * 7) % 4)); // off, 8x, 2x, 4x, ...
        EXPECT_EQ (moving->getLatencySamples(), 0);
    });

    EXPECT_TRUE (test::bitIdentical (output, reference));
    EXPECT_EQ (moving->getLatencySamples(), 0);
}

TEST (TapeStages, SilenceInIsSilenceOutInEverySlot)
{
    const Parameters busy { { "lpfKnob", 5000.0f }, { "hpfKnob", 200.0f }, { "biasKnob", 0.5f },
                            { "compKnob", 10.0f },  { "crosstalkKnob", 0.3f }, { "inputGainKnob", 24.0f },
                            { "gainlockPower", 0.0f } };

    for (auto slot = 0; slot < TapeSlots::numSlots; ++slot)
    {
        SCOPED_TRACE (slot);
        auto parameters = busy;
        for (const auto& [id, value] : selectingSlot (slot))
            parameters[id] = value;

        auto processor = makeProcessor (48000.0, parameters);
        juce::AudioBuffer<float> silence (2, 8 * blockSize);
        silence.clear();
        test::processInBlocks (*processor, silence, blockSize);
        EXPECT_EQ (silence.getMagnitude (0, silence.getNumSamples()), 0.0f);
    }
}

TEST (TapeStages, EverySlotKeepsThePolarityOfTheInput)
{
    // A small click after the fade-in: the largest sample of the answer has the click's sign, for the
    // types whose responses are inverted too (the bias stage inverts them back).
    for (auto slot = 0; slot < TapeSlots::numSlots; ++slot)
    {
        SCOPED_TRACE (slot);
        auto processor = makeProcessor (48000.0, selectingSlot (slot));
        juce::AudioBuffer<float> signal (2, 24 * blockSize);
        signal.clear();
        const auto clickAt = 16 * blockSize;
        signal.setSample (0, clickAt, 0.01f);
        signal.setSample (1, clickAt, 0.01f);
        test::processInBlocks (*processor, signal, blockSize);

        for (auto channel = 0; channel < 2; ++channel)
        {
            const auto* answer = signal.getReadPointer (channel, clickAt);
            const auto largest = *std::max_element (answer, answer + 8 * blockSize,
                                                    [] (float a, float b) { return std::abs (a) < std::abs (b); });
            EXPECT_GT (largest, 0.0f) << "channel " << channel;
        }
    }
}

//==============================================================================
namespace
{
// How each slot loads its response and drives it, written down here independently of the code.
struct SlotRow
{
    const char* resource;
    bool stereo, trim;
    int frames;
    bool normalise;
    double drive, makeup;
};

// clang-format off
const SlotRow slotTable[TapeSlots::numSlots] = {
    { "typeA_75_ir_wav",                  true,  false, 0,  false, 0.18, 1.9 },
    { "studerA812_gain4_2_wav",           false, true,  0,  true,  1.8,  5.7 },
    { "Studer_A80_IR_7_5_wav",            true,  true,  2,  true,  4.5,  2.7 },
    { "Teac_3_34_ips_2_wav",              true,  true,  0,  true,  1.5,  4.4 },
    { "telefunken_m20_6_dc_96_wav",       false, true,  2,  true,  1.5,  7.9 },
    { "B77_7_5__96_wav",                  true,  false, 10, true,  3.0,  3.0 },
    { "typeA_15_ir_wav",                  true,  true,  0,  true,  0.9,  12.0 },
    { "studerA812_gain1_2_wav",           false, true,  0,  false, 1.5,  2.4 },
    { "Studer_A80_IR_15a_wav",            false, true,  2,  true,  1.5,  8.9 },
    { "Teac_7_12_ips_2_wav",              true,  true,  0,  true,  1.5,  5.6 },
    { "telefunken_m20_6_dc_96_30ips_wav", false, true,  2,  true,  1.5,  7.9 },
    { "B77_3_75_96_wav",                  true,  true,  10, true,  1.5,  5.8 },
};
// clang-format on

// The response as a JUCE convolution holds it at this rate (read, trimmed, normalised, resampled by
// JUCE's own loader with the row's arguments): its complex gain at `frequency`, per channel.
std::array<std::complex<double>, 2> responseAt (const SlotRow& row, double sampleRate, double frequency)
{
    using C = juce::dsp::Convolution;
    int numBytes = 0;
    const auto* data = BinaryData::getNamedResource (row.resource, numBytes);
    EXPECT_NE (data, nullptr) << row.resource;

    C convolution { C::Latency { 0 } };
    convolution.loadImpulseResponse (data, (size_t) numBytes, row.stereo ? C::Stereo::yes : C::Stereo::no,
                                     row.trim ? C::Trim::yes : C::Trim::no, (size_t) row.frames,
                                     row.normalise ? C::Normalise::yes : C::Normalise::no);
    const auto length = static_cast<int> (sampleRate); // longer than any response
    convolution.prepare ({ sampleRate, (juce::uint32) length, 2 });

    juce::AudioBuffer<float> impulse (2, length);
    impulse.clear();
    impulse.setSample (0, 0, 1.0f);
    impulse.setSample (1, 0, 1.0f);
    juce::dsp::AudioBlock<float> block (impulse);
    convolution.process (juce::dsp::ProcessContextReplacing<float> (block));

    // Not JUCE's unit impulse, the response it holds before a load: the slot's own is in.
    EXPECT_FALSE (impulse.getSample (0, 0) == 1.0f && impulse.getMagnitude (0, 1, length - 1) == 0.0f);

    std::array<std::complex<double>, 2> gains {};
    for (auto channel = 0; channel < 2; ++channel)
        for (auto n = 0; n < length; ++n)
            gains[(size_t) channel] += (double) impulse.getSample (channel, n)
                                       * std::polar (1.0, -juce::MathConstants<double>::twoPi * frequency * n / sampleRate);
    return gains;
}

// The 1 kHz component of a steady sine, over a whole number of periods starting at `from`.
double amplitudeAt (const juce::AudioBuffer<float>& buffer, int channel, int from, int length, double sampleRate,
                    double frequency)
{
    std::complex<double> sum;
    for (auto n = 0; n < length; ++n)
        sum += (double) buffer.getSample (channel, from + n)
               * std::polar (1.0, -juce::MathConstants<double>::twoPi * frequency * (from + n) / sampleRate);
    return 2.0 * std::abs (sum) / length;
}
} // namespace

TEST (TapeStages, EverySlotShowsItsSmallSignalGainAndStaysFiniteWhenDrivenHard)
{
    // Expected gain at 1 kHz of a quiet sine, defaults otherwise (0 dB gains, bias 0, no crosstalk):
    //   drive x 2/pi (the arc tangent's slope at 0) x |low shelf (1 kHz)| x |response (1 kHz)|
    //   x make-up x |10 Hz high-pass (1 kHz)|,
    // the filters' magnitudes from their coefficients, the response's from a JUCE convolution loaded
    // with the slot's arguments above. Tolerance, relative:
    //   - the arc tangent's cubic term takes (d A)^2 / 4 off the fundamental: at A = 1e-3 and drive
    //     d <= 4.5 at most 5.1e-6;
    //   - the level is read from a whole number of periods 0.5 s in, when the filters' and the
    //     responses' onsets have long decayed (the 10 Hz high-pass by e^-22);
    //   - single-precision rounding along the chain and in the FFT convolution, about 1e-6.
    // So 2e-5 (0.00017 dB) in all.
    constexpr double frequency = 1000.0;
    constexpr float quiet = 1e-3f;
    constexpr double tolerance = 2e-5;

    for (const auto rate : { 44100.0, 96000.0 })
    {
        const auto settleSamples = static_cast<int> (0.5 * rate);
        const auto periodsLength = static_cast<int> (rate / 10.0); // 100 periods of 1 kHz
        const auto total = settleSamples + periodsLength;

        using Coefficients = juce::dsp::IIR::Coefficients<float>;
        const auto shelf = Coefficients::makeLowShelf (rate, 25.0f, 0.70710677f, 0.063095726f)->getMagnitudeForFrequency (frequency, rate);
        const auto highPass = Coefficients::makeHighPass (rate, 10.0f)->getMagnitudeForFrequency (frequency, rate);

        for (auto slot = 0; slot < TapeSlots::numSlots; ++slot)
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, slot " + juce::String (slot));
            const auto& row = slotTable[slot];
            const auto response = responseAt (row, rate, frequency);

            auto processor = makeProcessor (rate, selectingSlot (slot));
            auto output = sine (2, total, rate, frequency, quiet);
            test::processInBlocks (*processor, output, blockSize);
            ASSERT_TRUE (test::allFinite (output));

            for (auto channel = 0; channel < 2; ++channel)
            {
                const auto expected = row.drive * (2.0 / juce::MathConstants<double>::pi) * shelf
                                      * std::abs (response[(size_t) channel]) * row.makeup * highPass;
                const auto measured = amplitudeAt (output, channel, settleSamples, periodsLength, rate, frequency) / quiet;
                EXPECT_NEAR (measured / expected, 1.0, tolerance)
                    << "channel " << channel << ": " << juce::Decibels::gainToDecibels (measured) << " dB";
            }

            // Loud: 0 dBFS with 24 dB of input gain and the lock off, into the whole busy chain.
            auto loudProcessor = makeProcessor (rate, selectingSlot (slot));
            applyParameters (*loudProcessor, { { "inputGainKnob", 24.0f }, { "gainlockPower", 0.0f }, { "biasKnob", 0.5f },
                                     { "compKnob", 10.0f } });
            auto loud = sine (2, 8 * blockSize, rate, frequency, 1.0f);
            test::processInBlocks (*loudProcessor, loud, blockSize);
            EXPECT_TRUE (test::allFinite (loud));
            EXPECT_GT (loud.getMagnitude (0, 4 * blockSize, 4 * blockSize), 0.0f);
        }
    }
}

//==============================================================================
TEST (TapeStages, SwitchingTypesAndSpeedsNeverAllocates)
{
    for (const auto rate : { 44100.0, 96000.0 })
    {
        for (const auto numChannels : { 2, 1 })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, " + juce::String (numChannels) + " channels");
            auto processor = makeProcessor (rate, { { "biasKnob", 0.2f }, { "compKnob", 4.0f }, { "crosstalkKnob", 0.4f } },
                                            numChannels);
            juce::MidiBuffer midi;
            std::size_t allocations = 0;
            const int lengths[] = { blockSize, 1, 3 * blockSize + 5, 0, 200, blockSize - 1 };

            // Every slot in turn, a few blocks each, with the power and the oversampling choice
            // moving as well.
            for (auto round = 0; round < 3 * TapeSlots::numSlots; ++round)
            {
                applyParameters (*processor, selectingSlot ((round * 5) % TapeSlots::numSlots));
                test::setParameter (*processor, "powerPower", round % 9 == 4 ? 0.0f : 1.0f);
                test::setParameter (*processor, "os", static_cast<float> (round % 4));
                test::setParameter (*processor, "crosstalkKnob", (round % 3) / 2.0f);

                const auto length = lengths[round % 6];
                auto buffer = test::makeSine (numChannels, length, rate, 440.0f, 0.7f);

                ScopedAllocationCounter counter;
                processor->processBlock (buffer, midi);
                allocations += counter.count();
            }

            EXPECT_EQ (allocations, 0u);
        }
    }
}
