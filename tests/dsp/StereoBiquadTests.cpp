#include "dsp/StereoBiquad.h"

#include <gtest/gtest.h>

#include <cstring>

TEST (StereoBiquad, GivesAProcessorDuplicatorOfJuceFiltersSamplesBitForBit)
{
    using Coefficients = juce::dsp::IIR::Coefficients<float>;
    using Duplicator = juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, Coefficients>;

    for (const auto rate : { 44100.0, 96000.0 })
    {
        for (const auto numChannels : { 2, 1 })
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, " + juce::String (numChannels) + " channels");
            const juce::dsp::ProcessSpec spec { rate, 1024, 2 };
            const Coefficients::Ptr designs[] = { Coefficients::makeLowShelf (rate, 25.0f, 0.70710677f, 0.063095726f),
                                                  Coefficients::makeHighPass (rate, 10.0f),
                                                  Coefficients::makePeakFilter (rate, 3000.0f, 2.0f, 4.0f) };

            for (const auto& design : designs)
            {
                Duplicator theirs;
                StereoBiquad ours;
                *theirs.state = *design;
                *ours.state = *design;
                theirs.prepare (spec);
                ours.prepare (spec);

                // Blocks of every length, signals down to where the state is flushed to zero.
                juce::Random random (5);
                for (auto round = 0; round < 60; ++round)
                {
                    juce::AudioBuffer<float> a (numChannels, 1 + random.nextInt (1024));
                    const auto amplitude = round % 20 < 15 ? 1.0f : 1e-7f;
                    for (auto channel = 0; channel < numChannels; ++channel)
                        for (auto i = 0; i < a.getNumSamples(); ++i)
                            a.setSample (channel, i, round % 20 >= 18 ? 0.0f : amplitude * (2.0f * random.nextFloat() - 1.0f));

                    auto b = a;
                    juce::dsp::AudioBlock<float> blockA (a), blockB (b);
                    theirs.process (juce::dsp::ProcessContextReplacing<float> (blockA));
                    ours.process (juce::dsp::ProcessContextReplacing<float> (blockB));

                    for (auto channel = 0; channel < numChannels; ++channel)
                        ASSERT_EQ (std::memcmp (a.getReadPointer (channel), b.getReadPointer (channel),
                                                sizeof (float) * (size_t) a.getNumSamples()), 0) << "round " << round;
                }
            }
        }
    }
}
