#pragma once

// Shared by the preset tests: a fresh preset root inside the test HOME, preset files written the
// way the store writes them, and small file helpers.

#include "plugin/PluginProcessor.h"
#include "presets/ModernPresetSelectorWrapper.h"
#include "presets/ProcessorPresetManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace presettest
{
// The processor's preset root, emptied; fails the test unless it lies in the temporary test HOME.
juce::File clearedPresetRoot();

// A folder of its own inside the test HOME, emptied.
juce::File clearedScratchFolder (const juce::String& name);

void writeText (const juce::File& file, const juce::String& text);
void writeBytes (const juce::File& file, const juce::MemoryBlock& bytes);
juce::MemoryBlock readBytes (const juce::File& file);

// The processor's host state, which holds every parameter and both preset properties.
juce::MemoryBlock stateOf (juce::AudioProcessor& processor);

// Every parameter's raw value, in the host's order.
std::vector<float> rawValues (GuipluginAudioProcessor& processor);

// Sets every parameter away from its default (in its own units).
void makeDistinctive (GuipluginAudioProcessor& processor);

// Paths of the files relative to `root`, "/"-separated.
std::vector<juce::String> relativePaths (const std::vector<juce::File>& files, const juce::File& root);

// A processor on a freshly emptied preset root, its store, and the library over it.
class PresetFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    ProcessorPresetManager& store() { return processor->getPresetManager(); }
    juce::ValueTree& state() { return processor->getState().state; }

    // A preset file as the store writes it, recording `name` as its own; relative to the root.
    juce::File writePreset (const juce::String& relativePath);
    juce::File writePreset (const juce::String& relativePath, const juce::String& storedName);

    void setCurrentName (const juce::String& name, bool modified = false);

    std::vector<juce::File> flatList();
    std::vector<juce::String> flatNames();

    juce::File root;
    std::unique_ptr<GuipluginAudioProcessor> processor;
    std::unique_ptr<ModernPresetSelectorWrapper> library;
    // Vanished-file dialogs asked for; the fixture's chooser answers with nothing.
    int chooserCalls = 0;
};
} // namespace presettest
