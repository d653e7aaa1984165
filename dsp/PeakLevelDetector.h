#pragma once

#include <cmath>

// Envelope follower for the output peak meters: instant attack, 0.1 s release, linear amplitude.
class PeakLevelDetector
{
public:
    explicit PeakLevelDetector (float sampleRate);

    // Resets the envelope and recomputes the release for a new sample rate.
    void setDetector (float sampleRate);

    // Feeds one sample and returns the new envelope. Inline: it runs twice per output sample.
    float tick (float x) noexcept
    {
        const auto a = std::abs (x);
        const auto k = a > envelope ? attackCoeff : releaseCoeff;
        envelope += k * (a - envelope);
        return envelope;
    }

private:
    static constexpr float releaseTimeSeconds = 0.1f;

    float envelope = 0.0f;
    float attackCoeff = 1.0f;
    float releaseCoeff = 0.0f;
    float releaseTime = releaseTimeSeconds;
};
