#pragma once

#include <juce_dsp/juce_dsp.h>

#include <array>

// juce::dsp::LadderFilter<float>, sample for sample the same, made cheap enough for the audio path:
// the per-sample work is inlined, the coefficients that depend only on the cutoff are worked out
// once per sample for all channels, and two filters in series run in one pass over the block.
// Same interface, same defaults (drive 1.2, 0.05 s parameter smoothing, a tanh table of 128 points).
class FusedLadderFilter
{
public:
    using Mode = juce::dsp::LadderFilterMode;

    FusedLadderFilter();

    void setMode (Mode newMode) noexcept;
    void prepare (const juce::dsp::ProcessSpec& spec);
    void reset() noexcept;
    void setCutoffFrequencyHz (float newCutoff) noexcept;
    void setResonance (float newResonance) noexcept;
    void setDrive (float newDrive) noexcept;

    // One or two channels in place.
    void process (const juce::dsp::ProcessContextReplacing<float>& context) noexcept;

    // first, then second, on every sample: the same as two process calls, in one pass.
    static void processInSeries (FusedLadderFilter& first, FusedLadderFilter& second,
                                 const juce::dsp::ProcessContextReplacing<float>& context) noexcept;

private:
    static constexpr int maxChannels = 2;
    static constexpr int numStates = 5;
    using State = std::array<float, numStates>;

    // The per-sample values that the cutoff and resonance smoothers give.
    struct Step
    {
        float a1, b0, b1, scaledResonance;
    };

    static void runPipelined (FusedLadderFilter& first, FusedLadderFilter& second, float* left, float* right,
                              size_t numSamples) noexcept;
    Step nextStep() noexcept;
    float processSample (float input, State& s, const Step& step) const noexcept;
    void setSampleRate (float newValue) noexcept;
    void updateCutoffFreq() noexcept;
    void updateResonance() noexcept;

    float drive = 0, drive2 = 0, gain = 0, gain2 = 0, comp = 0;
    std::array<State, maxChannels> state {};
    int numChannels = 2;
    State A {};

    juce::SmoothedValue<float> cutoffTransformSmoother, scaledResonanceSmoother;
    juce::dsp::LookupTableTransform<float> saturationLUT { [] (float x) { return std::tanh (x); }, -5.0f, 5.0f, 128 };

    float cutoffFreqHz = 200.0f;
    float resonance = 0;
    float cutoffFreqScaler = 0;
    Mode mode = Mode::LPF24;
};
