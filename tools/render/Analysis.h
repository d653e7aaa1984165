#pragma once

#include "plugin/PluginProcessor.h"

#include <functional>
#include <vector>

// The product measured as an instrument: for every machine type at both speeds, the small-signal
// magnitude response and the harmonic distortion of a 1 kHz sine against input level.
//
// Method: steady-state sines. Every point is one sine run through the processor (stereo, the same
// signal in both channels) until the chain has settled, then measured over a whole number of its
// cycles, so a plain DFT at the tone and at each harmonic is exact: no window, no leakage between
// the tone and its harmonics, and no smearing by the saturation, which a sweep or noise would mix
// into a small-signal result. Levels are powers summed over both channels.
struct MachineCurves
{
    TapeType type = TapeType::TypeA;
    TapeSpeed speed = TapeSpeed::Slow;
    std::vector<double> responseDb; // at AnalysisResult::frequenciesHz
    std::vector<double> thdDb;      // at AnalysisResult::levelsDbfs; relative to the fundamental
};

struct AnalysisResult
{
    double sampleRate = 0.0;
    double probeLevelDbfs = 0.0;  // the response's sine level
    double thdFrequencyHz = 0.0;  // the distortion sine's frequency as measured
    std::vector<double> frequenciesHz; // as measured (within a fraction of a hertz of a 1/12-octave grid)
    std::vector<double> levelsDbfs;    // peak level of the distortion sine (0 dBFS: amplitude 1)
    std::vector<MachineCurves> machines; // the twelve slots in slot order: A to F slow, then fast
};

// THD figures are floored here: a distortion-free output reads this instead of minus infinity.
inline constexpr double thdFloorDb = -160.0;

// `configure` brings a fresh processor to the base settings (a preset, --set values); the analysis
// then selects each type and speed itself.
AnalysisResult analyse (double sampleRate, const std::function<void (GuipluginAudioProcessor&)>& configure);
