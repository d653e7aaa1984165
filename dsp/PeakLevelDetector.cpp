#include "dsp/PeakLevelDetector.h"

#include <cmath>

PeakLevelDetector::PeakLevelDetector (float sampleRate)
{
    setDetector (sampleRate);
}

void PeakLevelDetector::setDetector (float sampleRate)
{
    envelope = 0.0f;
    attackCoeff = 1.0f;
    releaseCoeff = 1.0f - std::exp (-1.0f / (sampleRate * releaseTime));
}
