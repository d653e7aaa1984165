#include "dsp/FusedLadderFilter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using Mode = juce::dsp::LadderFilterMode;
using Context = juce::dsp::ProcessContextReplacing<float>;

juce::AudioBuffer<float> noise (int numChannels, int numSamples, juce::Random& random)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    for (auto channel = 0; channel < numChannels; ++channel)
        for (auto i = 0; i < numSamples; ++i)
            buffer.setSample (channel, i, 1.5f * (2.0f * random.nextFloat() - 1.0f));
    return buffer;
}

bool same (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    for (auto channel = 0; channel < a.getNumChannels(); ++channel)
        if (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel), sizeof (float) * (size_t) a.getNumSamples()) != 0)
            return false;
    return true;
}

template <typename Filter>
void process (Filter& filter, juce::AudioBuffer<float>& buffer)
{
    juce::dsp::AudioBlock<float> block (buffer);
    filter.process (Context (block));
}

// The same random life for both kinds of filter: parameters moving between blocks of random length.
template <typename Filter>
void configure (Filter& filter, juce::Random& random)
{
    const Mode modes[] = { Mode::LPF12, Mode::HPF12, Mode::BPF12, Mode::LPF24, Mode::HPF24, Mode::BPF24 };
    const auto choice = random.nextInt (10);

    if (choice < 2)
        filter.setMode (modes[random.nextInt (6)]);
    else if (choice < 7)
        filter.setCutoffFrequencyHz (20.0f + 19980.0f * random.nextFloat() * random.nextFloat());
    else if (choice < 9)
        filter.setResonance (random.nextFloat());
    else
        filter.setDrive (1.0f + 2.0f * random.nextFloat());
}
} // namespace

TEST (FusedLadderFilter, GivesJucesLadderFilterSamplesBitForBit)
{
    for (const auto rate : { 44100.0, 96000.0 })
    {
        for (const auto numChannels : { 1, 2 })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, " + juce::String (numChannels) + " channels");
            juce::dsp::LadderFilter<float> theirs;
            FusedLadderFilter ours;
            const juce::dsp::ProcessSpec spec { rate, 1024, (juce::uint32) numChannels };
            theirs.prepare (spec);
            ours.prepare (spec);

            juce::Random lifeOfTheirs (42), lifeOfOurs (42), signal (7);
            for (auto round = 0; round < 200; ++round)
            {
                configure (theirs, lifeOfTheirs);
                configure (ours, lifeOfOurs);

                if (round == 100)
                {
                    theirs.reset();
                    ours.reset();
                }

                auto a = noise (numChannels, 1 + signal.nextInt (1024), signal);
                auto b = a;
                process (theirs, a);
                process (ours, b);
                ASSERT_TRUE (same (a, b)) << "round " << round;
            }
        }
    }
}

TEST (FusedLadderFilter, TwoInSeriesInOnePassGiveTheSameAsOneAfterTheOther)
{
    juce::dsp::LadderFilter<float> lowPass, highPass;
    FusedLadderFilter fusedLowPass, fusedHighPass;
    const juce::dsp::ProcessSpec spec { 48000.0, 512, 2 };

    for (auto* f : { &lowPass, &highPass })
        f->prepare (spec);
    for (auto* f : { &fusedLowPass, &fusedHighPass })
        f->prepare (spec);

    juce::Random signal (3);
    for (auto round = 0; round < 50; ++round)
    {
        const auto low = 200.0f + 100.0f * (float) round, high = 20.0f + 10.0f * (float) round;
        lowPass.setMode (Mode::LPF12), fusedLowPass.setMode (Mode::LPF12);
        highPass.setMode (Mode::HPF12), fusedHighPass.setMode (Mode::HPF12);
        lowPass.setCutoffFrequencyHz (low), fusedLowPass.setCutoffFrequencyHz (low);
        highPass.setCutoffFrequencyHz (high), fusedHighPass.setCutoffFrequencyHz (high);

        auto a = noise (2, 512, signal);
        auto b = a;
        process (lowPass, a);
        process (highPass, a);

        juce::dsp::AudioBlock<float> block (b);
        FusedLadderFilter::processInSeries (fusedLowPass, fusedHighPass, Context (block));
        ASSERT_TRUE (same (a, b)) << "round " << round;
    }
}
