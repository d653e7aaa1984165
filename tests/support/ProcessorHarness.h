#pragma once

#include "plugin/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

// Small helpers shared by the processor tests.
namespace test
{
// Sets a parameter through its host-facing value, given in the parameter's own units.
void setParameter (juce::AudioProcessor& processor, const juce::String& id, float value);

// The parameter's raw value as block processing reads it.
float rawParameter (GuipluginAudioProcessor& processor, const juce::String& id);

// A deterministic test signal: a sine per channel (channel c at frequency x (1 + c / 4)).
juce::AudioBuffer<float> makeSine (int numChannels, int numSamples, double sampleRate, float frequency,
                                   float amplitude);

// Runs the whole buffer through the processor in consecutive blocks of blockSize samples.
void processInBlocks (juce::AudioProcessor& processor, juce::AudioBuffer<float>& buffer, int blockSize,
                      const std::function<void (int blockIndex)>& beforeEachBlock = {});

bool allFinite (const juce::AudioBuffer<float>& buffer);

// Sets the main bus layout to mono or stereo in and out; returns false if refused.
bool setChannels (juce::AudioProcessor& processor, int numChannels);

// True when both buffers hold exactly the same samples.
bool bitIdentical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b);
} // namespace test
