#include "AudioFiles.h"

#include "ToolError.h"

namespace
{
constexpr int maxChannels = 2;

int bitsFor (SampleFormat format)
{
    switch (format)
    {
        case SampleFormat::int16: return 16;
        case SampleFormat::int24: return 24;
        case SampleFormat::float32: return 32; // JUCE writes 32-bit WAV as IEEE float
    }

    return 24;
}
} // namespace

std::unique_ptr<juce::AudioFormatReader> openInput (const juce::File& file)
{
    const auto path = file.getFullPathName();

    if (! file.exists())
        failWith ("no such input file: " + path);

    if (file.isDirectory())
        failWith ("input is a folder, not an audio file: " + path);

    auto stream = std::make_unique<juce::FileInputStream> (file);

    if (stream->failedToOpen())
        failWith ("cannot read input " + path + ": " + stream->getStatus().getErrorMessage());

    juce::AudioFormatManager formats;
    formats.registerFormat (new juce::WavAudioFormat(), true);
    formats.registerFormat (new juce::AiffAudioFormat(), false);
    formats.registerFormat (new juce::FlacAudioFormat(), false);

    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (std::move (stream)));

    if (reader == nullptr)
        failWith ("unsupported format: " + path + " is not a WAV, AIFF or FLAC file");

    if (reader->numChannels < 1 || reader->numChannels > maxChannels)
        failWith ("input has " + juce::String (reader->numChannels) + " channels; only mono and stereo are processed: " + path);

    if (! (reader->sampleRate > 0.0))
        failWith ("input has no valid sample rate: " + path);

    return reader;
}

OutputWav::OutputWav (const juce::File& target, double sampleRate, int numChannels, SampleFormat format)
    : file (target, "output"), bytesPerFrame (numChannels * bitsFor (format) / 8)
{
    auto stream = std::make_unique<juce::FileOutputStream> (file.getTemporary());

    if (stream->failedToOpen())
        failWith ("cannot write " + file.describe() + ": " + stream->getStatus().getErrorMessage());

    // The writer takes the stream only when it is created.
    writer.reset (juce::WavAudioFormat().createWriterFor (stream.get(), sampleRate, static_cast<unsigned int> (numChannels),
                                                          bitsFor (format), {}, 0));

    if (writer == nullptr)
        failWith ("cannot write " + file.describe() + " as " + describe (format) + " WAV at " + juce::String (sampleRate) + " Hz");

    stream.release();
}

OutputWav::~OutputWav()
{
    writer.reset(); // closes the file before PendingFile removes it
}

void OutputWav::write (const juce::AudioBuffer<float>& buffer, int numSamples)
{
    if (! writer->writeFromAudioSampleBuffer (buffer, 0, numSamples))
        failWith ("writing " + file.describe() + " failed (is the disk full?)");

    framesWritten += numSamples;
}

void OutputWav::commit()
{
    writer.reset(); // writes the header and closes the file, without reporting a failure

    // A write that failed on closing shows as a short file.
    if (file.getTemporary().getSize() < framesWritten * bytesPerFrame)
        failWith ("writing " + file.describe() + " failed (is the disk full?)");

    file.commit();
}
