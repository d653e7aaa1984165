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

// A cascade of identical first-order all-pass sections tuned above a quarter of the sample rate:
// the highest frequencies arrive a little later than the rest (a few tens of microseconds), the
// phase lag of a real record and reproduce path, without any dip ahead of the main peak.
struct Allpass
{
    double frequencyHz = 0.0; // 0: no sections
    int sections = 1;
};

// A Butterworth low-pass curve: -3 dB at frequencyHz.
struct Lowpass
{
    double frequencyHz = 0.0; // 0: none
    int order = 2;
};

struct ReproduceDesign
{
    Lowpass rolloff;            // the high-frequency loss of the head, tape and playback equaliser
    Lowpass bandLimit;          // the electronics' steep limit above the audio band
    Bell presence;              // a gentle lift (or dip) ahead of the roll-off
    Bell bump;                  // the head bump
    double rippleRatio = 0.0;   // ripple bells at 2x, 3x, 4x the bump: each this fraction of the one before, sign alternating
    Allpass smear;
    double fadeStart = 0.5;     // fraction of the file after which the tail is faded to zero
};

// The designed curve itself, in dB, at frequency f (what the response approximates).
double designMagnitudeDb (const ReproduceDesign& design, double frequencyHz);

// numFrames samples of the response at sampleRate, positive-going, not yet scaled to a level.
std::vector<double> makeReproduceResponse (const ReproduceDesign& design, double sampleRate, int numFrames);

// Magnitude in dB of a finite response at frequencyHz (its discrete-time Fourier transform).
double responseMagnitudeDb (const std::vector<double>& response, double sampleRate, double frequencyHz);
} // namespace impulses
