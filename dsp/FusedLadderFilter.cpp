#include "dsp/FusedLadderFilter.h"

#include <cmath>

#if defined(__SSE2__)
 #include <immintrin.h>
#endif

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

    // Software-pipelined: sample n goes through the first filter while sample n - 1 goes through the
    // second, so the four recursions (two filters, two channels) are independent in every step and
    // overlap rather than wait on each other. Each filter still sees its samples in order.
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
#if defined(__SSE2__)
    runPipelined (first, second, left, right, numSamples);
#else
    for (size_t n = 1; n < numSamples; ++n)
    {
        firstStage (n);
        secondStage (n - 1);
    }
#endif
    secondStage (numSamples - 1);
}

#if defined(__SSE2__)
// The steps for samples 1 to numSamples - 1 of the first filter and 0 to numSamples - 2 of the
// second, four recursions in the lanes of one vector: first filter left and right, second filter
// left and right, one sample behind. Every lane does the scalar operations in the scalar order; the
// table look-ups are the scalar ones.
void FusedLadderFilter::runPipelined (FusedLadderFilter& first, FusedLadderFilter& second, float* left, float* right,
                                      size_t numSamples) noexcept
{
    const auto lanes = [] (float f, float s) { return _mm_setr_ps (f, f, s, s); };
    const auto mul = [] (__m128 a, __m128 b) { return _mm_mul_ps (a, b); };
    const auto add = [] (__m128 a, __m128 b) { return _mm_add_ps (a, b); };
    const auto lookUp = [&] (__m128 x) {
        alignas (16) float v[4];
        _mm_store_ps (v, x);
        return _mm_setr_ps (first.saturationLUT (v[0]), first.saturationLUT (v[1]),
                            second.saturationLUT (v[2]), second.saturationLUT (v[3]));
    };
    const auto stateOf = [&] (int k) {
        return _mm_setr_ps (first.state[0][(size_t) k], first.state[1][(size_t) k],
                            second.state[0][(size_t) k], second.state[1][(size_t) k]);
    };

    const auto gain = lanes (first.gain, second.gain), drive = lanes (first.drive, second.drive);
    const auto gain2 = lanes (first.gain2, second.gain2), drive2 = lanes (first.drive2, second.drive2);
    const auto comp = lanes (first.comp, second.comp), minusFour = _mm_set1_ps (-4.0f);
    __m128 A[numStates], s[numStates];
    for (auto k = 0; k < numStates; ++k)
    {
        A[k] = lanes (first.A[(size_t) k], second.A[(size_t) k]);
        s[k] = stateOf (k);
    }

    auto previousLeft = left[0], previousRight = right != nullptr ? right[0] : 0.0f;

    for (size_t n = 1; n < numSamples; ++n)
    {
        const auto one = first.nextStep();
        const auto two = second.nextStep();
        const auto a1 = lanes (one.a1, two.a1), b0 = lanes (one.b0, two.b0), b1 = lanes (one.b1, two.b1);
        const auto resonance = lanes (one.scaledResonance, two.scaledResonance);

        const auto input = _mm_setr_ps (left[n], right != nullptr ? right[n] : 0.0f, previousLeft, previousRight);
        const auto dx = mul (gain, lookUp (mul (drive, input)));
        const auto a = add (dx, mul (mul (resonance, minusFour), _mm_sub_ps (mul (gain2, lookUp (mul (drive2, s[4]))), mul (dx, comp))));
        const auto b = add (add (mul (b1, s[0]), mul (a1, s[1])), mul (b0, a));
        const auto c = add (add (mul (b1, s[1]), mul (a1, s[2])), mul (b0, b));
        const auto d = add (add (mul (b1, s[2]), mul (a1, s[3])), mul (b0, c));
        const auto e = add (add (mul (b1, s[3]), mul (a1, s[4])), mul (b0, d));
        s[0] = a, s[1] = b, s[2] = c, s[3] = d, s[4] = e;

        alignas (16) float out[4];
        _mm_store_ps (out, add (add (add (add (mul (a, A[0]), mul (b, A[1])), mul (c, A[2])), mul (d, A[3])), mul (e, A[4])));
        previousLeft = out[0];
        previousRight = out[1];
        left[n - 1] = out[2];
        if (right != nullptr)
            right[n - 1] = out[3];
    }

    left[numSamples - 1] = previousLeft;
    if (right != nullptr)
        right[numSamples - 1] = previousRight;

    for (auto k = 0; k < numStates; ++k)
    {
        alignas (16) float v[4];
        _mm_store_ps (v, s[k]);
        first.state[0][(size_t) k] = v[0];
        second.state[0][(size_t) k] = v[2];
        if (right != nullptr)
        {
            first.state[1][(size_t) k] = v[1];
            second.state[1][(size_t) k] = v[3];
        }
    }
}
#endif
