// Writes linear-PCM RIFF/WAVE files byte by byte, so every header field is exactly as intended.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace impulses
{
struct WaveFormat
{
    int bitsPerSample = 24;  // 16 or 24
    int numChannels = 1;
    int sampleRate = 44100;
    bool extensible = false; // WAVE_FORMAT_EXTENSIBLE header with a front-centre channel mask (mono only)
};

// channels[c][frame] holds integer sample values in the range of bitsPerSample.
std::vector<uint8_t> encodeWave (const WaveFormat& format, const std::vector<std::vector<int32_t>>& channels);

bool writeFile (const std::string& path, const std::vector<uint8_t>& bytes);
} // namespace impulses
