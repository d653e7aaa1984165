#include "dsp/TapeCompressor.h"

#include "dsp/VectorMath.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float attackTimeSeconds = 0.0008f;
constexpr float releaseTimeSeconds = 0.05f;
constexpr float releaseSlowDownPerDb = 0.15f;
constexpr float minReleaseDivisor = 0.5f;
constexpr float maxReleaseDivisor = 4.0f;
constexpr float envelopeFloor = 1e-10f;
constexpr float levelFloorDb = -96.0f;
constexpr float driveDbPerUnit = 3.6f;  // COMP 0 to 10 raises the detector level by 0 to 36 dB
constexpr float kneeWidthDb = 6.0f;     // centred on the 0 dB threshold
constexpr float kneeHalfWidthDb = kneeWidthDb / 2.0f;
constexpr float slope = -0.875f;        // 8:1 above the knee
constexpr float linearReductionDb = 1.0f;
constexpr float softReductionDb = 11.0f; // reductions beyond 1 dB approach 1 + 11 = 12 dB
constexpr float makeupPerDriveDb = 0.26f;
constexpr float offAtOrBelow = 0.01f;

float powerOfTen (float x) noexcept
{
#if defined(__GLIBC__)
    return ::exp10f (x);
#elif defined(__APPLE__)
    return __exp10f (x);
#else
    return std::pow (10.0f, x);
#endif
}

float oneMinusExpCoefficient (float sampleRate, float seconds)
{
    return 1.0f - std::exp (-1.0f / (sampleRate * seconds));
}

#if ! TAVORIN_VECTOR_MATH
// The static curve with its soft limit: the gain change in dB (0 or negative) at detector level w.
float gainChangeDb (float w) noexcept
{
    if (w <= -kneeHalfWidthDb)
        return 0.0f;

    auto g = w < kneeHalfWidthDb ? (w + kneeHalfWidthDb) * slope * (w + kneeHalfWidthDb) / (2.0f * kneeWidthDb) : slope * w;

    if (g < -linearReductionDb)
        g = -linearReductionDb - softReductionDb * std::tanh ((-linearReductionDb - g) / softReductionDb);

    return g;
}
#endif
} // namespace

void TapeCompressor::prepare (double sampleRate)
{
    const auto rate = static_cast<float> (sampleRate);
    attackCoeff = oneMinusExpCoefficient (rate, attackTimeSeconds);
    releaseCoeff = oneMinusExpCoefficient (rate, releaseTimeSeconds);
    channels = {};
}

void TapeCompressor::process (juce::AudioBuffer<float>& buffer, int numChannels, float compKnob) noexcept
{
    if (compKnob <= offAtOrBelow)
        return;

    const auto driveDb = driveDbPerUnit * compKnob;
    const auto makeup = powerOfTen (makeupPerDriveDb * driveDb / 20.0f);
    const auto numSamples = buffer.getNumSamples();
    const auto active = std::min ({ numChannels, buffer.getNumChannels(), 2 });

    if (active <= 0)
        return;

#if TAVORIN_VECTOR_MATH
    processPair (buffer.getWritePointer (0), active == 2 ? buffer.getWritePointer (1) : nullptr, numSamples, driveDb, makeup);
#else
    const auto attack = attackCoeff;
    const auto release = releaseCoeff;

    // One sample of one channel; returns the output sample.
    const auto step = [=] (ChannelState& state, float x) noexcept {
        const auto a = std::abs (x);
        const auto k = a > state.envelope
                           ? attack
                           : release / std::clamp (1.0f + releaseSlowDownPerDb * state.gainReductionDb,
                                                   minReleaseDivisor, maxReleaseDivisor);
        state.envelope = std::max (envelopeFloor, state.envelope + k * (a - state.envelope));

        const auto level = std::max (20.0f * std::log10 (state.envelope), levelFloorDb);
        const auto g = gainChangeDb (level + driveDb);
        state.gainReductionDb = -g;

        // Below the knee the gain is exactly 1, so its exp10 is skipped.
        const auto gain = g == 0.0f ? 1.0f : powerOfTen (g / 20.0f);
        return x * gain * makeup;
    };

    for (auto channel = 0; channel < active; ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);
        auto& state = channels[(size_t) channel];

        for (auto i = 0; i < numSamples; ++i)
            samples[i] = step (state, samples[i]);
    }
#endif
}

#if TAVORIN_VECTOR_MATH
// The law of process for both channels at once, lane 0 left and lane 1 right (lanes 2 and 3 repeat
// them), with libmvec's log10, tanh and exp10. Every other operation is the scalar one, lane by lane.
void TapeCompressor::processPair (float* left, float* right, int numSamples, float driveDb, float makeup) noexcept
{
    using namespace VectorMath;
    const auto lanes = [] (float l, float r) { return _mm_setr_ps (l, r, l, r); };
    const auto all = [] (float v) { return _mm_set1_ps (v); };
    const auto signBit = all (-0.0f);

    auto envelope = lanes (channels[0].envelope, channels[1].envelope);
    auto reduction = lanes (channels[0].gainReductionDb, channels[1].gainReductionDb);
    const auto attack = all (attackCoeff), release = all (releaseCoeff);
    const auto drive = all (driveDb), gainAfter = all (makeup);

    for (auto i = 0; i < numSamples; ++i)
    {
        const auto x = lanes (left[i], right != nullptr ? right[i] : 0.0f);
        const auto a = _mm_andnot_ps (signBit, x);

        // Attack while rising; otherwise the release, slowed by the previous sample's reduction.
        const auto divisor = _mm_min_ps (_mm_max_ps (_mm_add_ps (all (1.0f), _mm_mul_ps (all (releaseSlowDownPerDb), reduction)),
                                                     all (minReleaseDivisor)),
                                         all (maxReleaseDivisor));
        const auto k = select (_mm_cmpgt_ps (a, envelope), attack, _mm_div_ps (release, divisor));
        envelope = _mm_max_ps (_mm_add_ps (envelope, _mm_mul_ps (k, _mm_sub_ps (a, envelope))), all (envelopeFloor));

        const auto level = _mm_max_ps (_mm_mul_ps (all (20.0f), log10 (envelope)), all (levelFloorDb));
        const auto w = _mm_add_ps (level, drive);

        // The static curve: 0 below the knee, the quadratic inside it, the slope above it.
        const auto wk = _mm_add_ps (w, all (kneeHalfWidthDb));
        const auto knee = _mm_div_ps (_mm_mul_ps (_mm_mul_ps (wk, all (slope)), wk), all (2.0f * kneeWidthDb));
        const auto above = _mm_mul_ps (all (slope), w);
        auto g = select (_mm_cmplt_ps (w, all (kneeHalfWidthDb)), knee, above);
        g = select (_mm_cmple_ps (w, all (-kneeHalfWidthDb)), _mm_setzero_ps(), g);

        const auto limited = _mm_cmplt_ps (g, all (-linearReductionDb));
        if (_mm_movemask_ps (limited) != 0)
        {
            const auto t = tanh (_mm_div_ps (_mm_sub_ps (all (-linearReductionDb), g), all (softReductionDb)));
            g = select (limited, _mm_sub_ps (all (-linearReductionDb), _mm_mul_ps (all (softReductionDb), t)), g);
        }

        reduction = _mm_xor_ps (g, signBit);

        // Below the knee the gain is exactly 1.
        const auto unity = _mm_cmpeq_ps (g, _mm_setzero_ps());
        auto gain = all (1.0f);
        if (_mm_movemask_ps (unity) != 0xf)
            gain = select (unity, gain, exp10 (_mm_div_ps (g, all (20.0f))));

        alignas (16) float out[4];
        _mm_store_ps (out, _mm_mul_ps (_mm_mul_ps (x, gain), gainAfter));
        left[i] = out[0];
        if (right != nullptr)
            right[i] = out[1];
    }

    alignas (16) float e[4], r[4];
    _mm_store_ps (e, envelope);
    _mm_store_ps (r, reduction);
    channels[0] = { e[0], r[0] };
    if (right != nullptr)
        channels[1] = { e[1], r[1] };
}
#endif
