#include "dsp/RMSLevelDetector.h"

#include <cmath>

void RMSLevelDetector::initialize (float sampleRate, float blockSize, int windowMs)
{
    const auto entries = (static_cast<float> (windowMs) * sampleRate) / (blockSize * 1000.0f);

    // A block size of 0 or a nonsensical rate gives no window rather than an undefined cast.
    squares.assign (std::isfinite (entries) && entries >= 1.0f ? static_cast<std::size_t> (entries) : 0, 0.0f);
    writeIndex = 0;
}

void RMSLevelDetector::addBlockRMS (float blockRms) noexcept
{
    if (squares.empty())
        return;

    squares[writeIndex] = blockRms * blockRms;
    writeIndex = (writeIndex + 1) % squares.size();
}

float RMSLevelDetector::getRMSLevel() const noexcept
{
    if (squares.empty())
        return 0.0f;

    auto sum = 0.0f;
    for (const auto square : squares)
        sum += square;

    return std::sqrt (sum / static_cast<float> (squares.size()));
}
