// tavorin-impulses OUTPUT_FOLDER [--report]
// Writes the twelve impulse-response WAV files that the tape types convolve with. Types A, B and D
// are designed here as reproduce responses; types C, E and F read only their first frames, which
// are fixed values, followed by a decaying tail that never reaches the sound. Deterministic: the
// same build always writes the same bytes. A designed file that misses its targets is not written
// (and the run fails), except with --report, which prints what each designed file measures and
// writes every file anyway, for working on a design.

#include "ImpulseTargets.h"
#include "ReproduceResponse.h"
#include "WaveWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace impulses;

namespace
{
constexpr double fullScale24 = 8388608.0;
constexpr double fullScale16 = 32768.0;
constexpr double mainDecaySeconds = 0.06e-3; // the last listed value dies away this fast
constexpr double ringLevel = 0.02;           // the tail's bump ring, relative to that value

enum class Level
{
    gainAt1k,         // the slot loads unnormalised: the response's own gain at 1 kHz matters
    peakDbfs,         // the slot normalises: only the shape matters, the peak sits at this level
    negativeFullScale // largest sample exactly -1.0 of full scale on every channel
};

struct DesignedFile
{
    const char* resource;
    WaveFormat format;
    int numFrames;
    ReproduceDesign left, right; // right is used for two-channel files only
    Level level;
    double levelDb;
};

struct ListedFile
{
    const char* resource;
    WaveFormat format;
    int numFrames;
    std::vector<std::vector<int32_t>> listedFrames; // [frame][channel], exactly as they must be stored
    double ringHz;                                  // a faint ring of the head bump in the tail
    double ringDecaySeconds;                        // its time constant
};

ReproduceDesign design (Lowpass rolloff, Lowpass bandLimit, Bell presence, Bell bump, double ripple, Allpass smear,
                        double fadeStart)
{
    ReproduceDesign d;
    d.rolloff = rolloff;
    d.bandLimit = bandLimit;
    d.presence = presence;
    d.bump = bump;
    d.rippleRatio = ripple;
    d.smear = smear;
    d.fadeStart = fadeStart;
    return d;
}

// The second channel of a two-channel machine: the same heads, a slightly different azimuth and gap.
ReproduceDesign otherChannel (ReproduceDesign d, double rolloffScale)
{
    d.rolloff.frequencyHz *= rolloffScale;
    d.smear.frequencyHz *= 1.07;
    return d;
}

const WaveFormat typeAFormat { 16, 1, 96000, true };
const WaveFormat stereo44 { 24, 2, 44100, false };

std::vector<DesignedFile> designedFiles()
{
    // clang-format off
    //                       roll-off        band limit      presence            head bump           ripple  smear            fade
    // Type A: no machine named; a smooth deck with a broad bump. 7.5 and 15 ips.
    const auto a75  = design ({ 11000, 2 },   { 18000, 4 },   {},                 { 70, 1.6, 1.1 },    0.4,   { 25000, 4 },    0.45);
    const auto a15  = design ({ 17500, 2 },   { 26000, 4 },   {},                 { 110, 1.5, 1.1 },   0.4,   { 30000, 2 },    0.45);
    // Type B: a studio deck, flat with a tighter, smaller bump; slow and fast.
    const auto b4   = design ({ 15500, 3 },   { 21500, 4 },   {},                 { 65, 1.3, 1.2 },    0.5,   { 15000, 1 },    0.5);
    const auto b1   = design ({ 23000, 3 },   { 21500, 4 },   {},                 { 130, 1.0, 1.4 },   0.5,   { 17000, 1 },    0.5);
    // Type D: a consumer deck, 3.75 and 7.5 ips, with a little presence; four milliseconds hold no head bump.
    const auto d375 = design ({ 8000, 2 },    { 21500, 4 },   { 4000, 0.8, 0.9 }, {},                  0.0,   { 13000, 2 },    0.6);
    const auto d75  = design ({ 12500, 2 },   { 21500, 4 },   { 6000, 0.6, 0.9 }, {},                  0.0,   { 15000, 1 },    0.6);
    // clang-format on

    return {
        { "typeA_75_ir_wav", typeAFormat, 1024, a75, a75, Level::peakDbfs, -0.1 },
        { "typeA_15_ir_wav", typeAFormat, 1024, a15, a15, Level::peakDbfs, -1.0 },
        { "studerA812_gain4_2_wav", stereo44, 736, b4, otherChannel (b4, 0.97), Level::peakDbfs, -1.0 },
        { "studerA812_gain1_2_wav", stereo44, 689, b1, otherChannel (b1, 0.97), Level::gainAt1k, studerA812Gain1GainAt1kDb },
        { "Teac_3_34_ips_2_wav", stereo44, 173, d375, otherChannel (d375, 0.96), Level::negativeFullScale, 0.0 },
        { "Teac_7_12_ips_2_wav", stereo44, 178, d75, otherChannel (d75, 0.96), Level::negativeFullScale, 0.0 },
    };
}

std::vector<ListedFile> listedFiles()
{
    const WaveFormat mono44 { 24, 1, 44100, false };
    const WaveFormat stereo96 { 24, 2, 96000, false };

    return {
        { "Studer_A80_IR_7_5_wav", mono44, 15165, { { 102384 }, { 972853 } }, 60, 0.05 },
        { "Studer_A80_IR_15a_wav", mono44, 14314, { { 66916 }, { 1056715 } }, 110, 0.04 },
        { "telefunken_m20_6_dc_96_wav", stereo44, 21736, { { -590, -590 }, { -16810, -16810 } }, 90, 0.05 },
        { "telefunken_m20_6_dc_96_30ips_wav", stereo44, 21784, { { -1165, -1164 }, { -39054, -39054 } }, 160, 0.04 },
        { "B77_7_5__96_wav", stereo96, 31795,
          { { -54170, -54168 }, { -154723, -154723 }, { -239897, -239896 }, { -247327, -247327 }, { -230801, -230802 },
            { -268440, -268440 }, { -323486, -323487 }, { -292363, -292362 }, { -173686, -173686 }, { -81584, -81584 } },
          60, 0.03 },
        { "B77_3_75_96_wav", stereo96, 35692,
          { { -9908, -9907 }, { -37608, -37608 }, { -68018, -68017 }, { -100428, -100428 }, { -145075, -145076 },
            { -200190, -200191 }, { -246781, -246781 }, { -272960, -272960 }, { -288471, -288472 }, { -303744, -303743 } },
          35, 0.06 },
    };
}

double gainAt1k (const std::vector<double>& response, double sampleRate)
{
    return std::pow (10.0, responseMagnitudeDb (response, sampleRate, 1000.0) / 20.0);
}

double largestMagnitude (const std::vector<double>& response)
{
    double largest = 0.0;

    for (auto x : response)
        if (std::abs (x) > std::abs (largest))
            largest = x;

    return largest;
}

std::vector<std::vector<int32_t>> quantise (const std::vector<std::vector<double>>& channels, double fullScale)
{
    std::vector<std::vector<int32_t>> out;

    for (const auto& channel : channels)
    {
        std::vector<int32_t> samples;

        for (auto x : channel)
            samples.push_back ((int32_t) std::clamp (std::lround (x * fullScale), -(long) fullScale, (long) fullScale - 1));

        out.push_back (samples);
    }

    return out;
}

std::vector<std::vector<int32_t>> makeDesigned (const DesignedFile& file)
{
    const double rate = file.format.sampleRate;
    std::vector<std::vector<double>> channels { makeReproduceResponse (file.left, rate, file.numFrames) };

    if (file.format.numChannels == 2)
        channels.push_back (makeReproduceResponse (file.right, rate, file.numFrames));

    const double level = std::pow (10.0, file.levelDb / 20.0);

    // Two-channel files share one scale (the first channel's), so their balance stays as designed;
    // only the negative full-scale files scale each channel to its own exact peak.
    const double sharedScale = file.level == Level::gainAt1k ? level / gainAt1k (channels.front(), rate)
                                                            : level / largestMagnitude (channels.front());

    for (auto& channel : channels)
    {
        const double scale = file.level == Level::negativeFullScale ? -1.0 / largestMagnitude (channel) : sharedScale;

        for (auto& x : channel)
            x *= scale;
    }

    const double fullScale = file.format.bitsPerSample == 16 ? fullScale16 : fullScale24;
    return quantise (channels, fullScale);
}

std::vector<std::vector<int32_t>> makeListed (const ListedFile& file)
{
    const double rate = file.format.sampleRate;
    const auto numListed = file.listedFrames.size();
    std::vector<std::vector<int32_t>> channels ((size_t) file.format.numChannels);

    for (int c = 0; c < file.format.numChannels; ++c)
    {
        auto& channel = channels[(size_t) c];

        for (const auto& frame : file.listedFrames)
            channel.push_back (frame[(size_t) c]);

        // The tail: the last listed value dying away, with a faint ring of the head bump, faded to silence.
        const double last = channel.back();
        const double mainDecaySamples = mainDecaySeconds * rate;
        const double ringDecaySamples = file.ringDecaySeconds * rate;

        for (int i = 1; i <= file.numFrames - (int) numListed; ++i)
        {
            const double t = (double) i;
            const double fade = 0.5 * (1.0 + std::cos (M_PI * t / (file.numFrames - (double) numListed)));
            const double main = last * std::exp (-t / mainDecaySamples);
            const double ring = ringLevel * last * std::exp (-t / ringDecaySamples) * std::sin (2.0 * M_PI * file.ringHz * t / rate);
            channel.push_back ((int32_t) std::lround ((main + ring) * fade));
        }
    }

    return channels;
}

std::string fileNameOf (const std::string& resource)
{
    return resource.substr (0, resource.size() - 4) + ".wav";
}

const SlotTarget* targetFor (const std::string& resource)
{
    for (const auto& target : designedTargets)
        if (resource == target.resource)
            return &target;

    return nullptr;
}

// Measures a designed file as written (after quantising) against its targets; prints it with --report.
bool meetsTargets (const DesignedFile& file, const std::vector<std::vector<int32_t>>& channels, bool report)
{
    const auto* target = targetFor (file.resource);

    if (target == nullptr)
        return false;

    const double fullScale = file.format.bitsPerSample == 16 ? fullScale16 : fullScale24;
    bool ok = true;

    for (size_t c = 0; c < channels.size(); ++c)
    {
        std::vector<double> response;

        for (auto s : channels[c])
            response.push_back (s / fullScale);

        const double rate = file.format.sampleRate;
        const double at1k = responseMagnitudeDb (response, rate, 1000.0);

        if (report)
        {
            const auto peak = std::max_element (response.begin(), response.end(),
                                                [] (double x, double y) { return std::abs (x) < std::abs (y); });
            std::printf ("%-24s ch%zu 1k %+6.2f dB, peak %+.4f at frame %d:", file.resource, c, at1k, *peak,
                         (int) std::distance (response.begin(), peak));
        }

        for (const auto& point : target->response)
        {
            const double relative = responseMagnitudeDb (response, rate, point.frequencyHz) - at1k;
            ok = ok && std::abs (relative - point.relativeDb) <= point.toleranceDb;

            if (report)
                std::printf (" %6.0f:%+6.2f", point.frequencyHz, relative);
        }

        if (target->gainToleranceDb > 0.0)
            ok = ok && std::abs (at1k - target->gainAt1kDb) <= target->gainToleranceDb;

        if (report)
            std::printf ("\n");
    }

    return ok;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf (stderr, "usage: %s OUTPUT_FOLDER [--report]\n", argv[0]);
        return 2;
    }

    const std::string folder = argv[1];
    const bool report = argc > 2 && std::strcmp (argv[2], "--report") == 0;
    bool ok = true;

    for (const auto& file : designedFiles())
    {
        const auto channels = makeDesigned (file);

        if (! meetsTargets (file, channels, report))
        {
            std::fprintf (stderr, "%s misses its target response\n", file.resource);
            ok = false;

            if (! report)
                continue;
        }

        ok = writeFile (folder + "/" + fileNameOf (file.resource), encodeWave (file.format, channels)) && ok;
    }

    for (const auto& file : listedFiles())
        ok = writeFile (folder + "/" + fileNameOf (file.resource), encodeWave (file.format, makeListed (file))) && ok;

    return ok ? 0 : 1;
}
