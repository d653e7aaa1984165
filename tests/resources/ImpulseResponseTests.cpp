// The twelve embedded impulse responses: their exact file formats, the fixed frames of types C, E and
// F, the designed responses of types A, B and D against their target tables, and that the embedded
// bytes are exactly what the generator writes.

#include "BinaryData.h"
#include "dsp/TapeSlotTable.h"
#include "resources/impulses/ImpulseTargets.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_dsp/juce_dsp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <complex>
#include <cstdint>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

namespace
{
constexpr int fullScale24 = 8388608;

// A RIFF/WAVE file as its bytes say, read here without JUCE so the headers are checked field by field.
struct WaveFile
{
    bool valid = false;
    int formatTag = 0, numChannels = 0, sampleRate = 0, byteRate = 0, blockAlign = 0, bitsPerSample = 0;
    int extensionSize = 0, validBits = 0;
    uint32_t channelMask = 0;
    std::array<uint8_t, 16> subFormat {};
    std::vector<std::vector<int32_t>> samples; // [channel][frame]

    int numFrames() const { return samples.empty() ? 0 : (int) samples.front().size(); }
    double fullScale() const { return bitsPerSample == 16 ? 32768.0 : (double) fullScale24; }
};

uint32_t readLE (const uint8_t* p, int numBytes)
{
    uint32_t value = 0;

    for (int i = numBytes; --i >= 0;)
        value = (value << 8) | p[i];

    return value;
}

WaveFile parseWave (const char* data, int size)
{
    WaveFile wave;
    const auto* bytes = reinterpret_cast<const uint8_t*> (data);

    if (size < 12 || std::string (data, 4) != "RIFF" || std::string (data + 8, 4) != "WAVE"
        || readLE (bytes + 4, 4) + 8 != (uint32_t) size)
        return wave;

    bool haveFormat = false;

    for (size_t pos = 12; pos + 8 <= (size_t) size;)
    {
        const std::string id (data + pos, 4);
        const auto chunkSize = readLE (bytes + pos + 4, 4);
        const auto* chunk = bytes + pos + 8;

        if (pos + 8 + chunkSize > (size_t) size)
            return wave;

        if (id == "fmt " && chunkSize >= 16)
        {
            wave.formatTag = (int) readLE (chunk, 2);
            wave.numChannels = (int) readLE (chunk + 2, 2);
            wave.sampleRate = (int) readLE (chunk + 4, 4);
            wave.byteRate = (int) readLE (chunk + 8, 4);
            wave.blockAlign = (int) readLE (chunk + 12, 2);
            wave.bitsPerSample = (int) readLE (chunk + 14, 2);

            if (chunkSize >= 40)
            {
                wave.extensionSize = (int) readLE (chunk + 16, 2);
                wave.validBits = (int) readLE (chunk + 18, 2);
                wave.channelMask = readLE (chunk + 20, 4);
                std::copy (chunk + 24, chunk + 40, wave.subFormat.begin());
            }

            haveFormat = true;
        }
        else if (id == "data" && haveFormat && wave.blockAlign > 0 && wave.numChannels > 0)
        {
            const int bytesPerSample = wave.bitsPerSample / 8;
            const int numFrames = (int) chunkSize / wave.blockAlign;
            wave.samples.assign ((size_t) wave.numChannels, std::vector<int32_t> ((size_t) numFrames));

            for (int frame = 0; frame < numFrames; ++frame)
            {
                for (int c = 0; c < wave.numChannels; ++c)
                {
                    const auto raw = readLE (chunk + frame * wave.blockAlign + c * bytesPerSample, bytesPerSample);
                    const int shift = 32 - 8 * bytesPerSample; // sign-extend
                    wave.samples[(size_t) c][(size_t) frame] = (int32_t) (raw << shift) >> shift;
                }
            }

            wave.valid = true;
        }

        pos += 8 + chunkSize + (chunkSize & 1);
    }

    return wave;
}

WaveFile embedded (const std::string& resource)
{
    int size = 0;
    const auto* data = BinaryData::getNamedResource (resource.c_str(), size);
    return data == nullptr ? WaveFile {} : parseWave (data, size);
}

std::vector<double> channelOf (const WaveFile& wave, int channel)
{
    std::vector<double> x;

    for (auto s : wave.samples[(size_t) channel])
        x.push_back (s / wave.fullScale());

    return x;
}

// Magnitude in dB of a finite response at one frequency (its discrete-time Fourier transform).
double magnitudeDb (const std::vector<double>& x, double sampleRate, double frequencyHz)
{
    std::complex<double> sum = 0.0;
    const double w = -2.0 * juce::MathConstants<double>::pi * frequencyHz / sampleRate;

    for (size_t i = 0; i < x.size(); ++i)
        sum += x[i] * std::polar (1.0, w * (double) i);

    return 20.0 * std::log10 (std::abs (sum));
}

double relativeDb (const std::vector<double>& x, double sampleRate, double frequencyHz)
{
    return magnitudeDb (x, sampleRate, frequencyHz) - magnitudeDb (x, sampleRate, 1000.0);
}

size_t peakIndex (const std::vector<double>& x)
{
    return (size_t) std::distance (x.begin(), std::max_element (x.begin(), x.end(), [] (double a, double b) { return std::abs (a) < std::abs (b); }));
}

struct ListedFormat
{
    const char* resource;
    bool extensible; // 16-bit WAVE_FORMAT_EXTENSIBLE, front centre; otherwise plain 24-bit PCM
    int numChannels, sampleRate, numFrames;
};

const ListedFormat listedFormats[] = {
    { "typeA_75_ir_wav", true, 1, 96000, 1024 },
    { "typeA_15_ir_wav", true, 1, 96000, 1024 },
    { "studerA812_gain4_2_wav", false, 2, 44100, 736 },
    { "studerA812_gain1_2_wav", false, 2, 44100, 689 },
    { "Studer_A80_IR_7_5_wav", false, 1, 44100, 15165 },
    { "Studer_A80_IR_15a_wav", false, 1, 44100, 14314 },
    { "Teac_3_34_ips_2_wav", false, 2, 44100, 173 },
    { "Teac_7_12_ips_2_wav", false, 2, 44100, 178 },
    { "telefunken_m20_6_dc_96_wav", false, 2, 44100, 21736 },
    { "telefunken_m20_6_dc_96_30ips_wav", false, 2, 44100, 21784 },
    { "B77_7_5__96_wav", false, 2, 96000, 31795 },
    { "B77_3_75_96_wav", false, 2, 96000, 35692 },
};

// KSDATAFORMAT_SUBTYPE_PCM as stored.
constexpr std::array<uint8_t, 16> subFormatPcm { 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                                 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71 };
constexpr uint32_t speakerFrontCentre = 0x4;
} // namespace

TEST (ImpulseResponseFiles, HaveTheListedFormats)
{
    for (const auto& expected : listedFormats)
    {
        SCOPED_TRACE (expected.resource);
        const auto wave = embedded (expected.resource);
        ASSERT_TRUE (wave.valid);

        const int bits = expected.extensible ? 16 : 24;
        EXPECT_EQ (wave.formatTag, expected.extensible ? 0xfffe : 0x0001);
        EXPECT_EQ (wave.bitsPerSample, bits);
        EXPECT_EQ (wave.numChannels, expected.numChannels);
        EXPECT_EQ (wave.sampleRate, expected.sampleRate);
        EXPECT_EQ (wave.numFrames(), expected.numFrames);
        EXPECT_EQ (wave.blockAlign, expected.numChannels * bits / 8);
        EXPECT_EQ (wave.byteRate, expected.sampleRate * wave.blockAlign);

        if (expected.extensible)
        {
            EXPECT_EQ (wave.extensionSize, 22);
            EXPECT_EQ (wave.validBits, 16);
            EXPECT_EQ (wave.channelMask, speakerFrontCentre);
            EXPECT_EQ (wave.subFormat, subFormatPcm);
        }

        // And JUCE's reader, which the convolution loads them with, sees the same.
        int size = 0;
        const auto* data = BinaryData::getNamedResource (expected.resource, size);
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatReader> reader (
            format.createReaderFor (new juce::MemoryInputStream (data, (size_t) size, false), true));
        ASSERT_NE (reader, nullptr);
        EXPECT_EQ ((int) reader->numChannels, expected.numChannels);
        EXPECT_EQ (reader->sampleRate, expected.sampleRate);
        EXPECT_EQ ((int) reader->lengthInSamples, expected.numFrames);
        EXPECT_EQ ((int) reader->bitsPerSample, bits);
    }
}

TEST (ImpulseResponseFiles, StartWithTheirFixedFramesAndThenDecay)
{
    struct Fixed
    {
        const char* resource;
        std::vector<std::vector<int32_t>> frames; // [frame][channel]
    };

    const Fixed fixed[] = {
        { "Studer_A80_IR_7_5_wav", { { 102384 }, { 972853 } } },
        { "Studer_A80_IR_15a_wav", { { 66916 }, { 1056715 } } },
        { "telefunken_m20_6_dc_96_wav", { { -590, -590 }, { -16810, -16810 } } },
        { "telefunken_m20_6_dc_96_30ips_wav", { { -1165, -1164 }, { -39054, -39054 } } },
        { "B77_7_5__96_wav", { { -54170, -54168 }, { -154723, -154723 }, { -239897, -239896 }, { -247327, -247327 }, { -230801, -230802 },
                               { -268440, -268440 }, { -323486, -323487 }, { -292363, -292362 }, { -173686, -173686 }, { -81584, -81584 } } },
        { "B77_3_75_96_wav", { { -9908, -9907 }, { -37608, -37608 }, { -68018, -68017 }, { -100428, -100428 }, { -145075, -145076 },
                               { -200190, -200191 }, { -246781, -246781 }, { -272960, -272960 }, { -288471, -288472 }, { -303744, -303743 } } },
    };

    for (const auto& file : fixed)
    {
        SCOPED_TRACE (file.resource);
        const auto wave = embedded (file.resource);
        ASSERT_TRUE (wave.valid);

        int32_t largestFixed = 0;

        for (size_t frame = 0; frame < file.frames.size(); ++frame)
        {
            for (int c = 0; c < wave.numChannels; ++c)
            {
                EXPECT_EQ (wave.samples[(size_t) c][frame], file.frames[frame][(size_t) c]) << "frame " << frame << " channel " << c;
                largestFixed = std::max (largestFixed, std::abs (file.frames[frame][(size_t) c]));
            }
        }

        // The tail never rises above the fixed frames and has died away by the last quarter.
        for (int c = 0; c < wave.numChannels; ++c)
        {
            const auto& x = wave.samples[(size_t) c];
            int32_t largestTail = 0, largestLastQuarter = 0;

            for (size_t i = file.frames.size(); i < x.size(); ++i)
            {
                largestTail = std::max (largestTail, std::abs (x[i]));

                if (i >= x.size() * 3 / 4)
                    largestLastQuarter = std::max (largestLastQuarter, std::abs (x[i]));
            }

            EXPECT_LT (largestTail, largestFixed);
            EXPECT_LT (largestLastQuarter, largestFixed / 1000);
        }
    }
}

TEST (DesignedImpulseResponses, MeetTheirTargetTables)
{
    for (const auto& target : impulses::designedTargets)
    {
        SCOPED_TRACE (target.resource);
        const auto wave = embedded (target.resource);
        ASSERT_TRUE (wave.valid);

        for (int c = 0; c < wave.numChannels; ++c)
        {
            SCOPED_TRACE ("channel " + std::to_string (c));
            const auto x = channelOf (wave, c);

            for (const auto& point : target.response)
            {
                EXPECT_NEAR (relativeDb (x, wave.sampleRate, point.frequencyHz), point.relativeDb, point.toleranceDb)
                    << point.frequencyHz << " Hz";
            }

            if (target.gainToleranceDb > 0.0)
            {
                EXPECT_NEAR (magnitudeDb (x, wave.sampleRate, 1000.0), target.gainAt1kDb, target.gainToleranceDb);
            }
        }
    }
}

TEST (DesignedImpulseResponses, HaveTheirPolarity)
{
    for (const auto& target : impulses::designedTargets)
    {
        SCOPED_TRACE (target.resource);
        const auto wave = embedded (target.resource);
        ASSERT_TRUE (wave.valid);

        for (int c = 0; c < wave.numChannels; ++c)
        {
            const auto& x = wave.samples[(size_t) c];
            const auto [smallest, largest] = std::minmax_element (x.begin(), x.end());
            const double sum = std::accumulate (x.begin(), x.end(), 0.0);

            if (target.negativeGoing)
            {
                // Exactly -1.0 of full scale, so the largest magnitude is that sample on every channel.
                EXPECT_EQ (*smallest, -fullScale24) << "channel " << c;
                EXPECT_LT (sum, 0.0);
            }
            else
            {
                EXPECT_GT (*largest, -*smallest) << "channel " << c;
                EXPECT_GT (sum, 0.0);
            }
        }
    }
}

// Causal and minimum-phase-like: the main peak comes within 0.1 ms, and before it the response only
// rises towards it, with the peak's polarity; nothing rings ahead of the transient.
TEST (DesignedImpulseResponses, RiseToTheirPeakWithoutPreRinging)
{
    for (const auto& target : impulses::designedTargets)
    {
        SCOPED_TRACE (target.resource);
        const auto wave = embedded (target.resource);
        ASSERT_TRUE (wave.valid);

        for (int c = 0; c < wave.numChannels; ++c)
        {
            const auto x = channelOf (wave, c);
            const auto peak = peakIndex (x);
            EXPECT_LE ((double) peak, 1.0e-4 * wave.sampleRate) << "channel " << c;

            for (size_t i = 0; i < peak; ++i)
            {
                const bool negligible = std::abs (x[i]) < 0.01 * std::abs (x[peak]);
                EXPECT_TRUE (negligible || (x[i] * x[peak] > 0.0 && std::abs (x[i]) <= std::abs (x[i + 1])))
                    << "channel " << c << " frame " << i;
            }
        }
    }
}

// The slow speed rolls off earlier than the fast one on every designed machine, and no two designed
// responses are alike.
TEST (DesignedImpulseResponses, SlowIsDarkerAndMachinesDiffer)
{
    const std::pair<const char*, const char*> slowFast[] = { { "typeA_75_ir_wav", "typeA_15_ir_wav" },
                                                             { "studerA812_gain4_2_wav", "studerA812_gain1_2_wav" },
                                                             { "Teac_3_34_ips_2_wav", "Teac_7_12_ips_2_wav" } };
    const double grid[] = { 30.0, 70.0, 130.0, 4000.0, 10000.0, 16000.0 };

    auto shapeOf = [&] (const char* resource)
    {
        const auto wave = embedded (resource);
        const auto x = channelOf (wave, 0);
        std::vector<double> shape;

        for (double f : grid)
            shape.push_back (relativeDb (x, wave.sampleRate, f));

        return shape;
    };

    for (const auto& [slow, fast] : slowFast)
    {
        SCOPED_TRACE (slow);
        const auto slowShape = shapeOf (slow), fastShape = shapeOf (fast);
        EXPECT_LT (slowShape[4], fastShape[4]);        // 10 kHz
        EXPECT_LT (slowShape[5], fastShape[5] - 1.0); // 16 kHz, at least 1 dB darker
    }

    for (size_t i = 0; i < impulses::designedTargets.size(); ++i)
    {
        for (size_t j = i + 1; j < impulses::designedTargets.size(); ++j)
        {
            const auto a = shapeOf (impulses::designedTargets[i].resource), b = shapeOf (impulses::designedTargets[j].resource);
            double largestDifference = 0.0;

            for (size_t k = 0; k < a.size(); ++k)
                largestDifference = std::max (largestDifference, std::abs (a[k] - b[k]));

            EXPECT_GE (largestDifference, 1.0) << impulses::designedTargets[i].resource << " vs " << impulses::designedTargets[j].resource;
        }
    }
}

namespace
{
using Convolution = juce::dsp::Convolution;

// The designed responses, each machine's slow speed before its fast one.
const char* const designedResources[] = { "typeA_75_ir_wav",        "typeA_15_ir_wav",     "studerA812_gain4_2_wav",
                                          "studerA812_gain1_2_wav", "Teac_3_34_ips_2_wav", "Teac_7_12_ips_2_wav" };

// The response a zero-latency convolution plays at sampleRate once it has loaded, trimmed,
// normalised and resampled the file: an impulse through it (first channel).
// The loading is the tape chain's own (its slot table).
std::vector<double> playedResponse (const char* resource, double sampleRate)
{
    int size = 0;
    const auto* data = BinaryData::getNamedResource (resource, size);
    const auto& slot = *TapeSlotTable::findByResource (resource);
    Convolution convolution { Convolution::Latency { 0 } };
    convolution.loadImpulseResponse (data, (size_t) size, slot.stereo, slot.trim, slot.frames, slot.normalise);
    constexpr int blockSize = 256;
    convolution.prepare ({ sampleRate, (juce::uint32) blockSize, 2 });

    juce::AudioBuffer<float> buffer (2, blockSize);
    auto run = [&]
    {
        juce::dsp::AudioBlock<float> block (buffer);
        convolution.process (juce::dsp::ProcessContextReplacing<float> (block));
    };

    // The loader works on its own thread (bounded wait); then the convolution fades to the new engine.
    for (int attempt = 0; attempt < 5000 && convolution.getCurrentIRSize() <= 1; ++attempt)
    {
        buffer.clear();
        run();
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    for (int i = 0; i < (int) sampleRate / blockSize; ++i)
    {
        buffer.clear();
        run();
    }

    convolution.reset();
    std::vector<double> response;

    for (int block = 0; block < (int) (0.1 * sampleRate) / blockSize; ++block)
    {
        buffer.clear();

        if (block == 0)
            buffer.setSample (0, 0, 1.0f);

        run();

        for (int i = 0; i < blockSize; ++i)
            response.push_back (buffer.getSample (0, i));
    }

    return response;
}
} // namespace

// What reaches the sound: JUCE's convolution resamples each response to the processing rate (and
// trims and normalises it as the slot asks). Up to 5 kHz every designed slot keeps its target
// shape at 44.1, 48 and 96 kHz, and the slow speeds stay darker than the fast ones.
TEST (DesignedImpulseResponses, KeepTheirShapeAsPlayed)
{
    for (double rate : { 44100.0, 48000.0, 96000.0 })
    {
        SCOPED_TRACE ("at " + std::to_string ((int) rate) + " Hz");
        std::vector<double> at10k, at16k;

        for (const auto* resource : designedResources)
        {
            SCOPED_TRACE (resource);
            const auto response = playedResponse (resource, rate);
            ASSERT_GT (std::abs (response[peakIndex (response)]), 0.0);
            const auto& target = *std::find_if (impulses::designedTargets.begin(), impulses::designedTargets.end(),
                                                [&] (const auto& t) { return std::string (t.resource) == resource; });

            for (const auto& point : target.response)
            {
                if (point.frequencyHz <= 5000.0)
                {
                    EXPECT_NEAR (relativeDb (response, rate, point.frequencyHz), point.relativeDb, point.toleranceDb)
                        << point.frequencyHz << " Hz";
                }
            }

            at10k.push_back (relativeDb (response, rate, 10000.0));
            at16k.push_back (relativeDb (response, rate, 16000.0));
        }

        for (size_t slow = 0; slow < at10k.size(); slow += 2)
        {
            EXPECT_LT (at10k[slow], at10k[slow + 1]) << designedResources[slow];
            EXPECT_LT (at16k[slow], at16k[slow + 1] - 1.0) << designedResources[slow];
        }
    }
}

TEST (ImpulseResponseFiles, AreExactlyWhatTheGeneratorWrites)
{
    const auto folder = juce::File::createTempFile ("impulses");
    ASSERT_TRUE (folder.createDirectory());

    juce::ChildProcess generator;
    ASSERT_TRUE (generator.start (juce::StringArray { TAVORIN_IMPULSE_GENERATOR, folder.getFullPathName() }));
    generator.waitForProcessToFinish (60000);
    EXPECT_EQ (generator.getExitCode(), 0u);

    for (const auto& expected : listedFormats)
    {
        SCOPED_TRACE (expected.resource);
        int size = 0;
        const auto* data = BinaryData::getNamedResource (expected.resource, size);
        juce::MemoryBlock written;
        ASSERT_TRUE (folder.getChildFile (juce::String (expected.resource).dropLastCharacters (4) + ".wav").loadFileAsData (written));
        EXPECT_TRUE (written == juce::MemoryBlock (data, (size_t) size));
    }

    folder.deleteRecursively();
}
