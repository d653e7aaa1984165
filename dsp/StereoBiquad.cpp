#include "dsp/StereoBiquad.h"

void StereoBiquad::prepare (const juce::dsp::ProcessSpec& spec) noexcept
{
    numChannels = static_cast<int> (juce::jmin (spec.numChannels, static_cast<juce::uint32> (channels.size())));
    reset();
}

void StereoBiquad::reset() noexcept
{
    channels = {};
}

void StereoBiquad::process (const juce::dsp::ProcessContextReplacing<float>& context) noexcept
{
    jassert (state->getFilterOrder() == 2);

    auto& block = context.getOutputBlock();
    const auto numSamples = block.getNumSamples();
    const auto active = juce::jmin (static_cast<int> (block.getNumChannels()), numChannels);
    const auto* c = state->getRawCoefficients();
    const auto b0 = c[0], b1 = c[1], b2 = c[2], a1 = c[3], a2 = c[4];

    // JUCE's second-order recursion, operation for operation.
    const auto tick = [=] (ChannelState& s, float input) noexcept {
        const auto output = (input * b0) + s.lv1;
        s.lv1 = (input * b1) - (output * a1) + s.lv2;
        s.lv2 = (input * b2) - (output * a2);
        return output;
    };

    if (active == 2)
    {
        auto* left = block.getChannelPointer (0);
        auto* right = block.getChannelPointer (1);
        auto l = channels[0], r = channels[1];

        for (size_t i = 0; i < numSamples; ++i)
        {
            left[i] = tick (l, left[i]);
            right[i] = tick (r, right[i]);
        }

        channels[0] = l, channels[1] = r;
    }
    else if (active == 1)
    {
        auto* mono = block.getChannelPointer (0);
        auto s = channels[0];

        for (size_t i = 0; i < numSamples; ++i)
            mono[i] = tick (s, mono[i]);

        channels[0] = s;
    }

    for (auto channel = 0; channel < active; ++channel)
    {
        juce::dsp::util::snapToZero (channels[(size_t) channel].lv1);
        juce::dsp::util::snapToZero (channels[(size_t) channel].lv2);
    }
}
