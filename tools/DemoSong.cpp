// tavorin-demo OUT.wav
// A short piece of music-like material made in code, for hearing the tape machines without a
// recording at hand: eight seconds at 120 bpm, 48 kHz stereo, 24-bit: a four-chord electric piano,
// a bass line, kick, snare and hi-hats, peaking at -6 dBFS. The same file every time.

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <cstdio>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr double beatsPerMinute = 120.0;
constexpr int numBars = 4;
constexpr int beatsPerBar = 4;
constexpr double peakDbfs = -6.0;
constexpr double twoPi = juce::MathConstants<double>::twoPi;

double secondsPerBeat() { return 60.0 / beatsPerMinute; }

double hzOf (int midiNote) { return 440.0 * std::pow (2.0, (midiNote - 69) / 12.0); }

// Adds a mono voice into both channels, panned by constant power (-1 left to +1 right).
void addPanned (juce::AudioBuffer<float>& mix, const std::vector<float>& voice, int start, double pan)
{
    const auto angle = (pan + 1.0) * juce::MathConstants<double>::pi / 4.0;
    const float gains[2] = { static_cast<float> (std::cos (angle)), static_cast<float> (std::sin (angle)) };

    for (auto channel = 0; channel < 2; ++channel)
        for (size_t i = 0; i < voice.size() && start + static_cast<int> (i) < mix.getNumSamples(); ++i)
            mix.addSample (channel, start + static_cast<int> (i), gains[channel] * voice[i]);
}

int sampleAt (double beats) { return static_cast<int> (std::lround (beats * secondsPerBeat() * sampleRate)); }

// A struck tone: a few decaying harmonics, brighter at the attack, like an electric piano.
std::vector<float> pianoNote (double hz, double seconds, double level)
{
    std::vector<float> voice (static_cast<size_t> (seconds * sampleRate));

    for (size_t i = 0; i < voice.size(); ++i)
    {
        const auto t = static_cast<double> (i) / sampleRate;
        const auto release = std::min (1.0, (seconds - t) / 0.05);
        auto sample = 0.0;

        for (auto harmonic = 1; harmonic <= 6; ++harmonic)
            sample += std::sin (twoPi * hz * harmonic * t) * std::exp (-t * (1.5 + 2.5 * harmonic)) / harmonic;

        voice[i] = static_cast<float> (level * sample * release * std::min (1.0, t / 0.004));
    }

    return voice;
}

// A round bass: a sine with a little of its second and third harmonics, plucked.
std::vector<float> bassNote (double hz, double seconds, double level)
{
    std::vector<float> voice (static_cast<size_t> (seconds * sampleRate));

    for (size_t i = 0; i < voice.size(); ++i)
    {
        const auto t = static_cast<double> (i) / sampleRate;
        const auto phase = twoPi * hz * t;
        const auto shape = std::sin (phase) + 0.3 * std::sin (2.0 * phase) + 0.12 * std::sin (3.0 * phase);
        const auto envelope = std::exp (-t * 3.0) * std::min (1.0, t / 0.003) * std::min (1.0, (seconds - t) / 0.02);
        voice[i] = static_cast<float> (level * shape * envelope);
    }

    return voice;
}

std::vector<float> kick (double level)
{
    std::vector<float> voice (static_cast<size_t> (0.35 * sampleRate));
    auto phase = 0.0;

    for (size_t i = 0; i < voice.size(); ++i)
    {
        const auto t = static_cast<double> (i) / sampleRate;
        phase += twoPi * (45.0 + 110.0 * std::exp (-t * 35.0)) / sampleRate; // the pitch falls
        voice[i] = static_cast<float> (level * std::sin (phase) * std::exp (-t * 9.0));
    }

    return voice;
}

// Noise shaped by a one-pole high-pass (`brightness` 0 to 1), with a decay, and an optional tone.
std::vector<float> noiseHit (juce::Random& random, double seconds, double decay, double brightness, double toneHz,
                             double level)
{
    std::vector<float> voice (static_cast<size_t> (seconds * sampleRate));
    auto lowPassed = 0.0;

    for (size_t i = 0; i < voice.size(); ++i)
    {
        const auto t = static_cast<double> (i) / sampleRate;
        const auto white = random.nextDouble() * 2.0 - 1.0;
        lowPassed += (1.0 - brightness) * (white - lowPassed);
        const auto noise = white - lowPassed;
        const auto tone = toneHz > 0.0 ? 0.6 * std::sin (twoPi * toneHz * t) * std::exp (-t * 30.0) : 0.0;
        voice[i] = static_cast<float> (level * (noise + tone) * std::exp (-t * decay));
    }

    return voice;
}

juce::AudioBuffer<float> makeSong()
{
    const auto length = sampleAt (numBars * beatsPerBar) + static_cast<int> (0.5 * sampleRate);
    juce::AudioBuffer<float> mix (2, length);
    mix.clear();
    juce::Random random (20240611); // the same noise on every run

    // A minor, F, C, G: the chord's notes and the bass note of each bar.
    const int chords[numBars][4] = { { 57, 60, 64, 69 }, { 53, 57, 60, 65 }, { 55, 60, 64, 67 }, { 55, 59, 62, 67 } };
    const int bassNotes[numBars] = { 33, 29, 36, 31 };

    for (auto bar = 0; bar < numBars; ++bar)
    {
        const auto barStart = bar * beatsPerBar;

        // The chord struck on beats 1 and 3, its notes spread across the stereo field.
        for (const auto beat : { 0.0, 2.0 })
            for (auto note = 0; note < 4; ++note)
                addPanned (mix, pianoNote (hzOf (chords[bar][note]), 1.9, 0.09), sampleAt (barStart + beat + 0.01 * note),
                           -0.5 + note / 3.0);

        // Bass: root on 1, again on the "and" of 2, the fifth on 3, root on 4.
        const double bassBeats[] = { 0.0, 1.5, 2.0, 3.0 };
        const int bassOffsets[] = { 0, 0, 7, 12 };

        for (auto hit = 0; hit < 4; ++hit)
            addPanned (mix, bassNote (hzOf (bassNotes[bar] + bassOffsets[hit]), 0.45, 0.32), sampleAt (barStart + bassBeats[hit]), 0.0);

        for (const auto beat : { 0.0, 2.0, 2.5 })
            addPanned (mix, kick (0.55), sampleAt (barStart + beat), 0.0);

        for (const auto beat : { 1.0, 3.0 })
            addPanned (mix, noiseHit (random, 0.2, 24.0, 0.6, 190.0, 0.24), sampleAt (barStart + beat), 0.1);

        for (auto eighth = 0; eighth < 2 * beatsPerBar; ++eighth)
            addPanned (mix, noiseHit (random, 0.08, eighth % 2 == 0 ? 60.0 : 90.0, 0.95, 0.0, eighth % 2 == 0 ? 0.16 : 0.1),
                       sampleAt (barStart + 0.5 * eighth), 0.4);
    }

    const auto peak = mix.getMagnitude (0, length);
    mix.applyGain (static_cast<float> (std::pow (10.0, peakDbfs / 20.0)) / peak);
    return mix;
}

bool writeWav (const juce::AudioBuffer<float>& audio, const juce::File& file)
{
    juce::TemporaryFile temporary (file);
    auto stream = std::make_unique<juce::FileOutputStream> (temporary.getFile());

    if (stream->failedToOpen())
        return false;

    std::unique_ptr<juce::AudioFormatWriter> writer (
        juce::WavAudioFormat().createWriterFor (stream.get(), sampleRate, 2, 24, {}, 0));

    if (writer == nullptr)
        return false;

    stream.release(); // the writer owns it now

    if (! writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()))
        return false;

    writer.reset();
    return temporary.overwriteTargetFileWithTemporary();
}
} // namespace

int main (int argc, char* argv[])
{
    if (argc != 2 || juce::String (argv[1]).startsWith ("-"))
    {
        std::fprintf (stderr, "usage: tavorin-demo OUT.wav   (eight seconds of generated music, 48 kHz stereo)\n");
        return 2;
    }

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);

    if (! writeWav (makeSong(), file))
    {
        std::fprintf (stderr, "tavorin-demo: cannot write %s\n", file.getFullPathName().toRawUTF8());
        return 1;
    }

    std::printf ("Wrote %s\n", file.getFullPathName().toRawUTF8());
    return 0;
}
