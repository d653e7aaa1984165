#pragma once

// Shared by the tests of tavorin-render: the built tool run as a child process, and audio files.

#include "plugin/PluginProcessor.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <gtest/gtest.h>

#include <vector>

namespace tooltest
{
struct Run
{
    int exitCode = -1;
    juce::String output; // stdout and stderr together
};

// Runs tavorin-render with these arguments and waits for it (at most a minute).
Run runTool (const juce::StringArray& arguments);

// Starts tavorin-render without waiting; returns its process id (output discarded).
int startTool (const juce::StringArray& arguments);

// Where the tool makes its temporary folders (TMPDIR of the runs, inside the test HOME).
juce::File toolTemporaryFolder();

// A folder of its own inside the temporary test HOME, emptied.
juce::File scratchFolder (const juce::String& name);

// The user's preset folder as the tool sees it (inside the test HOME).
juce::File userPresetFolder();

// Every file and folder under `folder`, as paths relative to it, sorted.
juce::StringArray listing (const juce::File& folder);

void writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bitsPerSample = 32);
juce::AudioBuffer<float> readWav (const juce::File& file, double* sampleRate = nullptr, int* bitsPerSample = nullptr);

// Deterministic stereo or mono material with transients and a wide spectrum: decaying chords of
// sines plus a little noise, peaking near -3 dBFS.
juce::AudioBuffer<float> testMaterial (int numChannels, int numSamples, double sampleRate);

// A processor with its preset store in a scratch folder, never in the user's folder.
std::unique_ptr<GuipluginAudioProcessor> makeProcessor();
} // namespace tooltest
