#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class GuipluginAudioProcessor;

// The plug-in window: 967 x 502 design units shown at 0.75 scale until the controls arrive.
class GuipluginAudioProcessorEditor : public juce::AudioProcessorEditor
{
public:
    explicit GuipluginAudioProcessorEditor (GuipluginAudioProcessor& owner);
    ~GuipluginAudioProcessorEditor() override;

    void paint (juce::Graphics& g) override;

    static constexpr int baseWidth = 967;
    static constexpr int baseHeight = 502;
    static constexpr double defaultScale = 0.75;

private:
    GuipluginAudioProcessor& audioProcessor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuipluginAudioProcessorEditor)
};
