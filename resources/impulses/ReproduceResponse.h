// The reproduce response of a tape machine at one speed, designed from a magnitude curve:
// a high-frequency loss, a head bump with its ripple, a presence bell, made minimum-phase (causal,
// no pre-ringing), smeared by gentle all-pass sections and faded out to fit the file.
#pragma once

#include <vector>

namespace impulses
{
// A second-order bell (peaking) curve; gainDb is its gain at frequencyHz.
struct Bell
{
    double frequencyHz = 1000.0;
    double gainDb = 0.0;
    double q = 1.0;
};

// A second-order all-pass section: group delay that peaks around frequencyHz.
struct Allpass
{
    double frequencyHz = 0.0; // 0: no section
    double q = 0.5;
};

struct ReproduceDesign
{
    double rolloffHz = 20000.0; // -3 dB point of the high-frequency loss
    int rolloffOrder = 2;       // Butterworth order of that loss
    Bell presence;              // a gentle lift (or dip) ahead of the roll-off
    Bell bump;                  // the head bump
    double rippleRatio = 0.0;   // ripple bells at 2x, 3x, 4x the bump: each this fraction of the one before, sign alternating
    double lowLossHz = 0.0;     // first-order loss below the bump (0: none)
    Allpass smear[2];
    double fadeStart = 0.5;     // fraction of the file after which the tail is faded to zero
};

// The designed curve itself, in dB, at frequency f (what the response approximates).
double designMagnitudeDb (const ReproduceDesign& design, double frequencyHz);

// numFrames samples of the response at sampleRate, positive-going, not yet scaled to a level.
std::vector<double> makeReproduceResponse (const ReproduceDesign& design, double sampleRate, int numFrames);

// Magnitude in dB of a finite response at frequencyHz (its discrete-time Fourier transform).
double responseMagnitudeDb (const std::vector<double>& response, double sampleRate, double frequencyHz);
} // namespace impulses
