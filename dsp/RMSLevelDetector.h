#pragma once

#include <vector>

// Sliding-window RMS over the last blocks (about 300 ms at the prepared block size), linear amplitude.
// The window counts blocks, not samples.
class RMSLevelDetector
{
public:
    // Sizes and zeroes the window: windowMs x sampleRate / (blockSize x 1000) entries, truncated.
    void initialize (float sampleRate, float blockSize, int windowMs);

    // Stores one block's RMS value; does nothing while the window is empty.
    void addBlockRMS (float blockRms) noexcept;

    // RMS over the whole window; entries not yet written count as zeros. 0 for an empty window.
    float getRMSLevel() const noexcept;

private:
    std::size_t writeIndex = 0;
    std::vector<float> squares;
};
