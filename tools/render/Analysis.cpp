#include "Analysis.h"

#include "ProcessorSettings.h"
#include "ToolProcessor.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <thread>

namespace
{
constexpr double probeLevelDbfs = -40.0;  // far below the saturation of every type
constexpr double lowestHz = 20.0, highestHz = 20000.0;
constexpr int pointsPerDecade = 40;        // about 1/12 octave
constexpr double thdToneHz = 1000.0;
constexpr double lowestLevelDbfs = -30.0, highestLevelDbfs = 6.0, levelStepDb = 1.0;

constexpr int blockSize = 512;
constexpr int numChannels = 2;
// Before the first point: the start-up fade-in (0.02 s) and a type change's one-block crossfade.
constexpr double warmUpSeconds = 0.1;
// Before each measurement: the chain's memory (its 10 Hz high-pass and 25 Hz shelf, the responses)
// forgets the previous tone to far below the figures' resolution.
constexpr double settleSeconds = 0.25;
constexpr double minWindowSeconds = 0.05;
constexpr int minWindowCycles = 4;

// A sine with a whole number of cycles in a window of whole samples: its frequency is cycles x
// rate / window, as close to the one asked for as the window allows.
struct Tone
{
    int cycles = 0;
    int window = 0;

    double frequency (double sampleRate) const { return cycles * sampleRate / window; }
};

Tone toneNear (double frequencyHz, double sampleRate, double windowSeconds)
{
    Tone tone;
    tone.cycles = std::max (minWindowCycles, static_cast<int> (std::ceil (frequencyHz * windowSeconds)));
    tone.window = static_cast<int> (std::lround (tone.cycles * sampleRate / frequencyHz));
    return tone;
}

// The DFT of one window at the tone's harmonics, exact because each fits the window whole.
class HarmonicAnalyser
{
public:
    explicit HarmonicAnalyser (const Tone& t) : tone (t), twiddles (static_cast<size_t> (t.window))
    {
        for (size_t n = 0; n < twiddles.size(); ++n)
            twiddles[n] = std::polar (1.0, -juce::MathConstants<double>::twoPi * static_cast<double> (n) / tone.window);
    }

    // The power of harmonic k (1: the tone itself), summed over the channels.
    double power (const juce::AudioBuffer<float>& buffer, int start, int harmonic) const
    {
        const auto step = static_cast<size_t> ((static_cast<long long> (harmonic) * tone.cycles) % tone.window);
        double sum = 0.0;

        for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
        {
            const auto* samples = buffer.getReadPointer (channel, start);
            std::complex<double> bin = 0.0;
            size_t index = 0;

            for (auto n = 0; n < tone.window; ++n)
            {
                bin += static_cast<double> (samples[n]) * twiddles[index];
                index += step;
                index -= index >= twiddles.size() ? twiddles.size() : 0;
            }

            sum += std::norm (bin);
        }

        return sum;
    }

private:
    Tone tone;
    std::vector<std::complex<double>> twiddles;
};

// One processor, prepared and left running from point to point, as a host would run it.
class Bench
{
public:
    Bench (double rate, const std::function<void (GuipluginAudioProcessor&)>& configure) : sampleRate (rate)
    {
        configure (processor.get());
        processor.prepare (numChannels, sampleRate, blockSize);
    }

    void select (TapeType type, TapeSpeed speed)
    {
        selectMachine (processor.get(), type, speed);
        juce::AudioBuffer<float> silence (numChannels, samples (warmUpSeconds));
        silence.clear();
        process (silence);
    }

    // Runs the tone until it has settled, then one window of it; input and output of that window.
    std::pair<juce::AudioBuffer<float>, juce::AudioBuffer<float>> run (const Tone& tone, double amplitude)
    {
        const auto settle = samples (settleSeconds);
        const auto length = settle + tone.window;
        const auto omega = juce::MathConstants<double>::twoPi * tone.cycles / tone.window;

        juce::AudioBuffer<float> input (numChannels, length);

        for (auto i = 0; i < length; ++i)
        {
            const auto sample = static_cast<float> (amplitude * std::sin (omega * ((i - settle) % tone.window)));

            for (auto channel = 0; channel < numChannels; ++channel)
                input.setSample (channel, i, sample);
        }

        juce::AudioBuffer<float> output (input);
        process (output);
        return { window (input, settle, tone.window), window (output, settle, tone.window) };
    }

    double getSampleRate() const noexcept { return sampleRate; }

private:
    int samples (double seconds) const { return static_cast<int> (std::ceil (seconds * sampleRate)); }

    static juce::AudioBuffer<float> window (const juce::AudioBuffer<float>& buffer, int start, int length)
    {
        juce::AudioBuffer<float> part (buffer.getNumChannels(), length);

        for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
            part.copyFrom (channel, 0, buffer, channel, start, length);

        return part;
    }

    void process (juce::AudioBuffer<float>& buffer)
    {
        juce::MidiBuffer midi;

        for (auto start = 0; start < buffer.getNumSamples(); start += blockSize)
        {
            const auto length = std::min (blockSize, buffer.getNumSamples() - start);
            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), numChannels, start, length);
            processor.get().processBlock (block, midi);
        }
    }

    const double sampleRate;
    ToolProcessor processor;
};

double toDb (double powerRatio, double floorDb)
{
    return powerRatio > 0.0 ? std::max (floorDb, 10.0 * std::log10 (powerRatio)) : floorDb;
}

double amplitudeOf (double levelDbfs) { return std::pow (10.0, levelDbfs / 20.0); }

std::vector<Tone> responseTones (double sampleRate)
{
    std::vector<Tone> tones;
    const auto numPoints = static_cast<int> (std::lround (std::log10 (highestHz / lowestHz) * pointsPerDecade));

    for (auto k = 0; k <= numPoints; ++k)
        tones.push_back (toneNear (lowestHz * std::pow (10.0, static_cast<double> (k) / pointsPerDecade), sampleRate,
                                   minWindowSeconds));

    return tones;
}

std::vector<double> thdLevels()
{
    std::vector<double> levels;

    for (auto level = lowestLevelDbfs; level <= highestLevelDbfs + 1.0e-9; level += levelStepDb)
        levels.push_back (level);

    return levels;
}

std::vector<double> measureResponse (Bench& bench, const std::vector<Tone>& tones)
{
    std::vector<double> gainsDb;

    for (const auto& tone : tones)
    {
        const auto [input, output] = bench.run (tone, amplitudeOf (probeLevelDbfs));
        const HarmonicAnalyser analyser (tone);
        gainsDb.push_back (toDb (analyser.power (output, 0, 1) / analyser.power (input, 0, 1), -200.0));
    }

    return gainsDb;
}

// Total harmonic distortion: the power of harmonics 2 and up to the Nyquist frequency over the
// fundamental's. Aliased products that fall on harmonics count too (at 44.1 kHz most fall between).
std::vector<double> measureDistortion (Bench& bench, const Tone& tone, const std::vector<double>& levels)
{
    const HarmonicAnalyser analyser (tone);
    const auto highestHarmonic = static_cast<int> (std::ceil (bench.getSampleRate() / 2.0 / tone.frequency (bench.getSampleRate()))) - 1;
    std::vector<double> thdDb;

    for (const auto level : levels)
    {
        const auto output = bench.run (tone, amplitudeOf (level)).second;
        double harmonics = 0.0;

        for (auto k = 2; k <= highestHarmonic; ++k)
            harmonics += analyser.power (output, 0, k);

        thdDb.push_back (toDb (harmonics / analyser.power (output, 0, 1), thdFloorDb));
    }

    return thdDb;
}
} // namespace

AnalysisResult analyse (double sampleRate, const std::function<void (GuipluginAudioProcessor&)>& configure)
{
    AnalysisResult result;
    result.sampleRate = sampleRate;
    result.probeLevelDbfs = probeLevelDbfs;

    const auto tones = responseTones (sampleRate);
    const auto thdTone = toneNear (thdToneHz, sampleRate, 0.1);
    result.thdFrequencyHz = thdTone.frequency (sampleRate);
    result.levelsDbfs = thdLevels();

    for (const auto& tone : tones)
        result.frequenciesHz.push_back (tone.frequency (sampleRate));

    result.machines.resize (TapeSlots::numSlots);

    // The slots are independent: one processor per worker, built here on the main thread.
    const auto numWorkers = static_cast<int> (juce::jlimit (1u, static_cast<unsigned> (TapeSlots::numSlots),
                                                            std::thread::hardware_concurrency()));
    std::vector<std::unique_ptr<Bench>> benches;

    for (auto w = 0; w < numWorkers; ++w)
        benches.push_back (std::make_unique<Bench> (sampleRate, configure));

    std::vector<std::thread> workers;

    for (auto w = 0; w < numWorkers; ++w)
    {
        workers.emplace_back ([&, w]
        {
            for (auto slot = w; slot < TapeSlots::numSlots; slot += numWorkers)
            {
                auto& curves = result.machines[static_cast<size_t> (slot)];
                curves.type = TapeSlots::typeOf (slot);
                curves.speed = TapeSlots::speedOf (slot);

                benches[static_cast<size_t> (w)]->select (curves.type, curves.speed);
                curves.responseDb = measureResponse (*benches[static_cast<size_t> (w)], tones);
                curves.thdDb = measureDistortion (*benches[static_cast<size_t> (w)], thdTone, result.levelsDbfs);
            }
        });
    }

    for (auto& worker : workers)
        worker.join();

    return result;
}
