#include "dsp/FusedLadderFilter.h"

#include <cmath>

namespace
{
// JUCE writes its constants as doubles cast to the sample type; so do we, to round them alike.
constexpr float asFloat (double x) noexcept { return static_cast<float> (x); }
} // namespace

// Every constant and every operation below follows juce::dsp::LadderFilter<float> in the same order,
// so both give the same floats; the tests hold the two side by side.

FusedLadderFilter::FusedLadderFilter()
{
    setSampleRate (asFloat (1000)); // as JUCE: an unrealistic rate until prepare
    setResonance (0.0f);
    setDrive (asFloat (1.2));

    mode = Mode::LPF24;
    setMode (Mode::LPF12);
}

void FusedLadderFilter::setMode (Mode newMode) noexcept
{
    if (newMode == mode)
        return;

    switch (newMode)
    {
        case Mode::LPF12: A = { { 0.0f, 0.0f, 1.0f, 0.0f, 0.0f } }; comp = 0.5f; break;
        case Mode::HPF12: A = { { 1.0f, -2.0f, 1.0f, 0.0f, 0.0f } }; comp = 0.0f; break;
        case Mode::BPF12: A = { { 0.0f, 0.0f, -1.0f, 1.0f, 0.0f } }; comp = 0.5f; break;
        case Mode::LPF24: A = { { 0.0f, 0.0f, 0.0f, 0.0f, 1.0f } }; comp = 0.5f; break;
        case Mode::HPF24: A = { { 1.0f, -4.0f, 6.0f, -4.0f, 1.0f } }; comp = 0.0f; break;
        case Mode::BPF24: A = { { 0.0f, 0.0f, 1.0f, -2.0f, 1.0f } }; comp = 0.5f; break;
    }

    constexpr auto outputGain = asFloat (1.2);
    for (auto& a : A)
        a *= outputGain;

    mode = newMode;
    reset();
}

void FusedLadderFilter::prepare (const juce::dsp::ProcessSpec& spec)
{
    setSampleRate (static_cast<float> (spec.sampleRate));
    numChannels = static_cast<int> (juce::jmin (spec.numChannels, static_cast<juce::uint32> (maxChannels)));
    reset();
}

void FusedLadderFilter::reset() noexcept
{
    for (auto& s : state)
        s.fill (0.0f);

    cutoffTransformSmoother.setCurrentAndTargetValue (cutoffTransformSmoother.getTargetValue());
    scaledResonanceSmoother.setCurrentAndTargetValue (scaledResonanceSmoother.getTargetValue());
}

void FusedLadderFilter::setCutoffFrequencyHz (float newCutoff) noexcept
{
    cutoffFreqHz = newCutoff;
    updateCutoffFreq();
}

void FusedLadderFilter::setResonance (float newResonance) noexcept
{
    resonance = newResonance;
    updateResonance();
}

void FusedLadderFilter::setDrive (float newDrive) noexcept
{
    drive = newDrive;
    gain = std::pow (drive, asFloat (-2.642)) * asFloat (0.6103) + asFloat (0.3903);
    drive2 = drive * asFloat (0.04) + asFloat (0.96);
    gain2 = std::pow (drive2, asFloat (-2.642)) * asFloat (0.6103) + asFloat (0.3903);
}

void FusedLadderFilter::setSampleRate (float newValue) noexcept
{
    cutoffFreqScaler = static_cast<float> (-2.0 * juce::MathConstants<double>::pi) / newValue;

    constexpr auto smootherRampTimeSec = asFloat (0.05);
    cutoffTransformSmoother.reset (newValue, smootherRampTimeSec);
    scaledResonanceSmoother.reset (newValue, smootherRampTimeSec);

    updateCutoffFreq();
}

void FusedLadderFilter::updateCutoffFreq() noexcept
{
    cutoffTransformSmoother.setTargetValue (std::exp (cutoffFreqHz * cutoffFreqScaler));
}

void FusedLadderFilter::updateResonance() noexcept
{
    scaledResonanceSmoother.setTargetValue (juce::jmap (resonance, asFloat (0.1), asFloat (1.0)));
}

inline FusedLadderFilter::Step FusedLadderFilter::nextStep() noexcept
{
    const auto a1 = cutoffTransformSmoother.getNextValue();
    const auto scaled = scaledResonanceSmoother.getNextValue();
    const auto g = a1 * -1.0f + 1.0f;
    return { a1, g * asFloat (0.76923076923), g * asFloat (0.23076923076), scaled };
}

inline float FusedLadderFilter::processSample (float inputValue, State& s, const Step& step) const noexcept
{
    const auto dx = gain * saturationLUT (drive * inputValue);
    const auto a = dx + step.scaledResonance * -4.0f * (gain2 * saturationLUT (drive2 * s[4]) - dx * comp);

    const auto b = step.b1 * s[0] + step.a1 * s[1] + step.b0 * a;
    const auto c = step.b1 * s[1] + step.a1 * s[2] + step.b0 * b;
    const auto d = step.b1 * s[2] + step.a1 * s[3] + step.b0 * c;
    const auto e = step.b1 * s[3] + step.a1 * s[4] + step.b0 * d;

    s = { a, b, c, d, e };
    return a * A[0] + b * A[1] + c * A[2] + d * A[3] + e * A[4];
}

void FusedLadderFilter::process (const juce::dsp::ProcessContextReplacing<float>& context) noexcept
{
    auto& block = context.getOutputBlock();
    const auto channels = juce::jmin (static_cast<int> (block.getNumChannels()), numChannels);
    const auto numSamples = block.getNumSamples();
    auto* left = block.getChannelPointer (0);
    auto* right = channels > 1 ? block.getChannelPointer (1) : nullptr;

    for (size_t n = 0; n < numSamples; ++n)
    {
        const auto step = nextStep();
        left[n] = processSample (left[n], state[0], step);
        if (right != nullptr)
            right[n] = processSample (right[n], state[1], step);
    }
}

void FusedLadderFilter::processInSeries (FusedLadderFilter& first, FusedLadderFilter& second,
                                         const juce::dsp::ProcessContextReplacing<float>& context) noexcept
{
    auto& block = context.getOutputBlock();
    const auto channels = juce::jmin (static_cast<int> (block.getNumChannels()), first.numChannels, second.numChannels);
    const auto numSamples = block.getNumSamples();

    if (numSamples == 0)
        return;

    auto* left = block.getChannelPointer (0);
    auto* right = channels > 1 ? block.getChannelPointer (1) : nullptr;

    // Software-pipelined: sample n through the first filter while sample n - 1 goes through the
    // second, so the four recursions (two filters, two channels) are independent in every step and
    // overlap, rather than waiting on each other. Each filter still sees its samples in order.
    const auto firstStage = [&] (size_t n) {
        const auto step = first.nextStep();
        left[n] = first.processSample (left[n], first.state[0], step);
        if (right != nullptr)
            right[n] = first.processSample (right[n], first.state[1], step);
    };
    const auto secondStage = [&] (size_t n) {
        const auto step = second.nextStep();
        left[n] = second.processSample (left[n], second.state[0], step);
        if (right != nullptr)
            right[n] = second.processSample (right[n], second.state[1], step);
    };

    firstStage (0);
    for (size_t n = 1; n < numSamples; ++n)
    {
        firstStage (n);
        secondStage (n - 1);
    }
    secondStage (numSamples - 1);
}
