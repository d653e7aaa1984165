// tavorin-impulse-plot OUTPUT_FOLDER [WAV_FOLDER]
// Pictures of the embedded impulse responses, for judging them by eye: the magnitude response of
// every designed file (types A, B, D; both channels), the responses as JUCE's convolution loads
// them at 44.1 and 96 kHz, and the first millisecond of each. Prints the small-signal gain at
// 1 kHz of every slot's chain as loaded, at 44.1, 48 and 96 kHz. With WAV_FOLDER it reads the files
// the generator wrote there instead of the embedded ones (for trying a design before building it in).

#include "BinaryData.h"
#include "dsp/TapeSlotTable.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_dsp/juce_dsp.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <thread>

namespace
{
using Convolution = juce::dsp::Convolution;

using TapeSlotTable::Slot;
using TapeSlotTable::slots;

struct Response
{
    juce::AudioBuffer<float> samples;
    double sampleRate = 0.0;
};

juce::File wavFolder; // when set, the responses come from here

// The bytes of a response: the embedded resource, or the file of that name in wavFolder.
const void* responseData (const char* resource, int& size)
{
    static std::map<juce::String, juce::MemoryBlock> files;

    if (wavFolder == juce::File())
        return BinaryData::getNamedResource (resource, size);

    auto& block = files[resource];

    if (block.isEmpty())
        wavFolder.getChildFile (juce::String (resource).dropLastCharacters (4) + ".wav").loadFileAsData (block);

    size = (int) block.getSize();
    return block.getData();
}

Response readEmbedded (const char* resource)
{
    int size = 0;
    const auto* data = responseData (resource, size);
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (
        wav.createReaderFor (new juce::MemoryInputStream (data, (size_t) size, false), true));
    Response r;
    r.sampleRate = reader->sampleRate;
    r.samples.setSize ((int) reader->numChannels, (int) reader->lengthInSamples);
    reader->read (&r.samples, 0, (int) reader->lengthInSamples, 0, true, true);
    return r;
}

// The slot's response as its convolution plays it at sampleRate: an impulse through the loaded engine.
Response renderLoaded (const Slot& slot, double sampleRate, int length)
{
    int size = 0;
    const auto* data = responseData (slot.resource, size);
    Convolution convolution { Convolution::Latency { 0 } };
    convolution.loadImpulseResponse (data, (size_t) size, slot.stereo, slot.trim, slot.frames, slot.normalise);
    constexpr int blockSize = 256;
    convolution.prepare ({ sampleRate, (juce::uint32) blockSize, 2 });

    juce::AudioBuffer<float> block (2, blockSize);

    // The loader runs on its own thread; then the convolution fades over to the new engine.
    for (int attempt = 0; attempt < 2000 && convolution.getCurrentIRSize() <= 1; ++attempt)
    {
        block.clear();
        juce::dsp::AudioBlock<float> audio (block);
        convolution.process (juce::dsp::ProcessContextReplacing<float> (audio));
        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    for (int i = 0; i < (int) sampleRate / blockSize; ++i)
    {
        block.clear();
        juce::dsp::AudioBlock<float> audio (block);
        convolution.process (juce::dsp::ProcessContextReplacing<float> (audio));
    }

    convolution.reset();
    Response r;
    r.sampleRate = sampleRate;
    r.samples.setSize (2, length);
    r.samples.clear();
    r.samples.setSample (0, 0, 1.0f);
    r.samples.setSample (1, 0, 1.0f);

    for (int start = 0; start < length; start += blockSize)
    {
        juce::dsp::AudioBlock<float> audio (r.samples);
        auto part = audio.getSubBlock ((size_t) start, (size_t) std::min (blockSize, length - start));
        convolution.process (juce::dsp::ProcessContextReplacing<float> (part));
    }

    return r;
}

double magnitudeDb (const Response& r, int channel, double frequencyHz)
{
    std::complex<double> sum = 0.0;
    const double w = -2.0 * juce::MathConstants<double>::pi * frequencyHz / r.sampleRate;
    const auto* x = r.samples.getReadPointer (channel);

    for (int i = 0; i < r.samples.getNumSamples(); ++i)
        sum += (double) x[i] * std::polar (1.0, w * i);

    return 20.0 * std::log10 (std::abs (sum) + 1.0e-12);
}

// One panel: magnitude relative to 1 kHz from 20 Hz to 24 kHz, +4 to -16 dB.
struct Panel
{
    juce::Rectangle<float> area;
    juce::String title;

    float x (double f) const { return area.getX() + area.getWidth() * (float) (std::log (f / 20.0) / std::log (24000.0 / 20.0)); }
    float y (double db) const { return area.getY() + area.getHeight() * (float) ((4.0 - db) / 20.0); }

    void drawGrid (juce::Graphics& g) const
    {
        g.setColour (juce::Colours::white);
        g.fillRect (area);
        g.setColour (juce::Colours::lightgrey);

        for (double f : { 30.0, 50.0, 100.0, 200.0, 500.0, 1000.0, 2000.0, 5000.0, 10000.0, 16000.0, 20000.0 })
            g.drawVerticalLine ((int) x (f), area.getY(), area.getBottom());

        for (int db = 4; db >= -16; db -= 2)
            g.drawHorizontalLine ((int) y (db), area.getX(), area.getRight());

        g.setColour (juce::Colours::grey);
        g.drawHorizontalLine ((int) y (0.0), area.getX(), area.getRight());
        g.setColour (juce::Colours::black);
        g.setFont (13.0f);
        g.drawText (title, area.reduced (6.0f), juce::Justification::topRight);
        g.setFont (10.0f);

        for (double f : { 30.0, 100.0, 1000.0, 10000.0 })
            g.drawText (juce::String (f >= 1000.0 ? f / 1000.0 : f) + (f >= 1000.0 ? "k" : ""), (int) x (f) + 2, (int) area.getBottom() - 12, 40, 12,
                        juce::Justification::left);

        for (int db = 2; db >= -14; db -= 4)
            g.drawText (juce::String (db), (int) area.getX() + 2, (int) y (db) - 6, 30, 12, juce::Justification::left);
    }

    void drawCurve (juce::Graphics& g, const Response& r, int channel, juce::Colour colour, float thickness) const
    {
        const double reference = magnitudeDb (r, channel, 1000.0);
        juce::Path path;

        for (int i = 0; i <= 300; ++i)
        {
            const double f = 20.0 * std::pow (24000.0 / 20.0, i / 300.0);

            if (f >= r.sampleRate / 2.0)
                break;

            const auto point = juce::Point<float> (x (f), y (juce::jlimit (-17.0, 5.0, magnitudeDb (r, channel, f) - reference)));

            if (i == 0)
                path.startNewSubPath (point);
            else
                path.lineTo (point);
        }

        g.setColour (colour);
        g.strokePath (path, juce::PathStrokeType (thickness));
    }
};

void savePng (const juce::Image& image, const juce::File& file)
{
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
}

const int designedSlowFast[3][2] = { { 0, 6 }, { 1, 7 }, { 3, 9 } }; // types A, B, D: slow and fast slots
const char* const machineNames[3] = { "Type A", "Type B (Studer A812)", "Type D (Teac)" };
const juce::Colour slowColour { 0xffc0392b }, fastColour { 0xff2471a3 };

// Magnitudes of the files themselves (solid: first channel, thin: second channel).
void plotFiles (const juce::File& folder)
{
    juce::Image image (juce::Image::RGB, 900, 900, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::whitesmoke);

    for (int m = 0; m < 3; ++m)
    {
        Panel panel { juce::Rectangle<float> (20.0f, 20.0f + 295.0f * m, 860.0f, 280.0f), juce::String (machineNames[m]) + ": files (red slow, blue fast)" };
        panel.drawGrid (g);

        for (int speed = 0; speed < 2; ++speed)
        {
            const auto r = readEmbedded (slots[designedSlowFast[m][speed]].resource);
            const auto colour = speed == 0 ? slowColour : fastColour;

            for (int c = r.samples.getNumChannels(); --c >= 0;)
                panel.drawCurve (g, r, c, c == 0 ? colour : colour.withAlpha (0.5f), c == 0 ? 2.0f : 1.0f);
        }
    }

    savePng (image, folder.getChildFile ("impulse-files.png"));
}

// Magnitudes as the slots play them at 44.1 kHz (solid) and 96 kHz (thin), first channel.
void plotLoaded (const juce::File& folder)
{
    juce::Image image (juce::Image::RGB, 900, 900, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::whitesmoke);

    for (int m = 0; m < 3; ++m)
    {
        Panel panel { juce::Rectangle<float> (20.0f, 20.0f + 295.0f * m, 860.0f, 280.0f), juce::String (machineNames[m]) + ": as played, 44.1 kHz thick, 96 kHz thin" };
        panel.drawGrid (g);

        for (int speed = 0; speed < 2; ++speed)
        {
            const auto& slot = slots[designedSlowFast[m][speed]];
            const auto colour = speed == 0 ? slowColour : fastColour;
            panel.drawCurve (g, renderLoaded (slot, 44100.0, 4096), 0, colour, 2.0f);
            panel.drawCurve (g, renderLoaded (slot, 96000.0, 8192), 0, colour.withAlpha (0.6f), 1.0f);
        }
    }

    savePng (image, folder.getChildFile ("impulse-played.png"));
}

// The first millisecond of every designed file, each scaled to its own peak.
void plotTimes (const juce::File& folder)
{
    juce::Image image (juce::Image::RGB, 900, 600, true);
    juce::Graphics g (image);
    g.fillAll (juce::Colours::whitesmoke);

    for (int m = 0; m < 3; ++m)
    {
        for (int speed = 0; speed < 2; ++speed)
        {
            const auto area = juce::Rectangle<float> (20.0f + 440.0f * speed, 20.0f + 195.0f * m, 420.0f, 180.0f);
            const auto r = readEmbedded (slots[designedSlowFast[m][speed]].resource);
            const int length = std::min (r.samples.getNumSamples(), (int) (0.001 * r.sampleRate));
            const float peak = r.samples.getMagnitude (0, 0, r.samples.getNumSamples());

            g.setColour (juce::Colours::white);
            g.fillRect (area);
            g.setColour (juce::Colours::lightgrey);
            g.drawHorizontalLine ((int) area.getCentreY(), area.getX(), area.getRight());
            g.setColour (juce::Colours::black);
            g.setFont (12.0f);
            g.drawText (juce::String (slots[designedSlowFast[m][speed]].resource) + ", first 1 ms", area.reduced (4.0f), juce::Justification::topRight);

            for (int c = 0; c < r.samples.getNumChannels(); ++c)
            {
                juce::Path path;

                for (int i = 0; i < length; ++i)
                {
                    const auto point = juce::Point<float> (area.getX() + area.getWidth() * (float) i / (float) length,
                                                           area.getCentreY() - 0.45f * area.getHeight() * r.samples.getSample (c, i) / peak);

                    if (i == 0)
                        path.startNewSubPath (point);
                    else
                        path.lineTo (point);
                }

                g.setColour (c == 0 ? juce::Colours::darkgreen : juce::Colours::orange);
                g.strokePath (path, juce::PathStrokeType (1.5f));
            }
        }
    }

    savePng (image, folder.getChildFile ("impulse-times.png"));
}

void printChainGains()
{
    std::printf ("as played: small-signal chain gain at 1 kHz (drive x 2/pi x make-up x response), dB;\n"
                 "and the response at 10 and 16 kHz relative to 1 kHz, dB\n");
    std::printf ("%-34s %22s %22s %22s\n", "slot", "44.1 kHz", "48 kHz", "96 kHz");

    for (const auto& slot : slots)
    {
        std::printf ("%-34s", slot.resource);

        for (double rate : { 44100.0, 48000.0, 96000.0 })
        {
            const auto r = renderLoaded (slot, rate, (int) rate / 10);
            const double k = 20.0 * std::log10 (slot.drive * 0.63661975 * slot.makeup);
            const double at1k = magnitudeDb (r, 0, 1000.0);
            std::printf ("   %+6.2f %+6.2f %+6.2f", k + at1k, magnitudeDb (r, 0, 10000.0) - at1k, magnitudeDb (r, 0, 16000.0) - at1k);
        }

        std::printf ("\n");
    }
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf (stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    folder.createDirectory();

    if (argc > 2)
        wavFolder = juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]);

    plotFiles (folder);
    plotLoaded (folder);
    plotTimes (folder);
    printChainGains();
    return 0;
}
