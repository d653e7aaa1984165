#pragma once

#include "CommandLine.h"
#include "PendingFile.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

// Opens a WAV, AIFF or FLAC file with one or two channels. Throws a ToolError when the file is
// missing, unreadable, of another format or has more channels.
std::unique_ptr<juce::AudioFormatReader> openInput (const juce::File& file);

// A WAV file that replaces its target only in `commit` (see PendingFile): a run that fails or is
// interrupted leaves an existing file as it was and no partial one.
class OutputWav
{
public:
    // Throws a ToolError when the target's folder cannot take the file.
    OutputWav (const juce::File& target, double sampleRate, int numChannels, SampleFormat format);
    ~OutputWav();

    // Throws a ToolError when the write fails (a full disk, for instance).
    void write (const juce::AudioBuffer<float>& buffer, int numSamples);

    // Finishes the file and moves it over the target; throws a ToolError when that fails.
    void commit();

private:
    PendingFile file;
    std::unique_ptr<juce::AudioFormatWriter> writer;
    juce::int64 framesWritten = 0;
    const juce::int64 bytesPerFrame;
};
