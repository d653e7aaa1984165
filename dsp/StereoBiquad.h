#pragma once

#include <juce_dsp/juce_dsp.h>

#include <array>

// A second-order juce::dsp::IIR::Filter<float> on one or two channels, as a ProcessorDuplicator of
// two would run it and sample for sample the same, with both channels in one pass: the two
// recursions overlap instead of one waiting for the other. The coefficients are shared, as there.
class StereoBiquad
{
public:
    using Coefficients = juce::dsp::IIR::Coefficients<float>;

    // Filled by the owner (a second-order design), as ProcessorDuplicator's state.
    Coefficients::Ptr state { new Coefficients() };

    void prepare (const juce::dsp::ProcessSpec& spec) noexcept;
    void reset() noexcept;

    // One or two channels in place; state magnitudes up to 1e-8 are flushed to zero afterwards.
    void process (const juce::dsp::ProcessContextReplacing<float>& context) noexcept;

private:
    struct ChannelState
    {
        float lv1 = 0.0f, lv2 = 0.0f;
    };

    std::array<ChannelState, 2> channels;
    int numChannels = 2;
};
