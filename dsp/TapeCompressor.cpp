#include "dsp/TapeCompressor.h"

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

    const auto numSamples = buffer.getNumSamples();
    const auto active = std::min ({ numChannels, buffer.getNumChannels(), 2 });

    if (active == 2)
    {
        // The channels are independent: one loop over both lets their serial chains overlap.
        auto* left = buffer.getWritePointer (0);
        auto* right = buffer.getWritePointer (1);
        auto l = channels[0];
        auto r = channels[1];

        for (auto i = 0; i < numSamples; ++i)
        {
            left[i] = step (l, left[i]);
            right[i] = step (r, right[i]);
        }

        channels[0] = l;
        channels[1] = r;
    }
    else if (active == 1)
    {
        auto* mono = buffer.getWritePointer (0);
        auto state = channels[0];

        for (auto i = 0; i < numSamples; ++i)
            mono[i] = step (state, mono[i]);

        channels[0] = state;
    }
}
