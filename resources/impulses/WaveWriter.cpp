#include "WaveWriter.h"

#include <fstream>

namespace impulses
{
namespace
{
constexpr uint16_t formatPcm = 0x0001;
constexpr uint16_t formatExtensible = 0xfffe;
constexpr uint32_t speakerFrontCentre = 0x4;

// KSDATAFORMAT_SUBTYPE_PCM: 00000001-0000-0010-8000-00aa00389b71, as stored in the file.
constexpr uint8_t subFormatPcm[16] = { 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };

void put (std::vector<uint8_t>& out, uint32_t value, int numBytes)
{
    for (int i = 0; i < numBytes; ++i)
        out.push_back ((uint8_t) (value >> (8 * i)));
}

void putTag (std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back ((uint8_t) tag[i]);
}
} // namespace

std::vector<uint8_t> encodeWave (const WaveFormat& format, const std::vector<std::vector<int32_t>>& channels)
{
    const int bytesPerSample = format.bitsPerSample / 8;
    const auto numFrames = channels.empty() ? 0u : (uint32_t) channels.front().size();
    const auto blockAlign = (uint32_t) (bytesPerSample * format.numChannels);
    const uint32_t dataSize = numFrames * blockAlign;
    const uint32_t padding = dataSize & 1u; // chunks start on even offsets
    const uint32_t fmtSize = format.extensible ? 40u : 16u;

    std::vector<uint8_t> out;
    putTag (out, "RIFF");
    put (out, 4 + (8 + fmtSize) + (8 + dataSize + padding), 4);
    putTag (out, "WAVE");

    putTag (out, "fmt ");
    put (out, fmtSize, 4);
    put (out, format.extensible ? formatExtensible : formatPcm, 2);
    put (out, (uint32_t) format.numChannels, 2);
    put (out, (uint32_t) format.sampleRate, 4);
    put (out, (uint32_t) format.sampleRate * blockAlign, 4);
    put (out, blockAlign, 2);
    put (out, (uint32_t) format.bitsPerSample, 2);

    if (format.extensible)
    {
        put (out, 22, 2);                               // size of the extension
        put (out, (uint32_t) format.bitsPerSample, 2); // valid bits per sample
        put (out, speakerFrontCentre, 4);
        for (auto byte : subFormatPcm)
            out.push_back (byte);
    }

    putTag (out, "data");
    put (out, dataSize, 4);

    for (uint32_t frame = 0; frame < numFrames; ++frame)
        for (const auto& channel : channels)
            put (out, (uint32_t) channel[frame], bytesPerSample);

    if (padding != 0)
        out.push_back (0);

    return out;
}

bool writeFile (const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file (path, std::ios::binary | std::ios::trunc);
    file.write (reinterpret_cast<const char*> (bytes.data()), (std::streamsize) bytes.size());
    return file.good();
}
} // namespace impulses
