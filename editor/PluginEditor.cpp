#include "editor/PluginEditor.h"

#include "plugin/PluginProcessor.h"

GuipluginAudioProcessorEditor::GuipluginAudioProcessorEditor (GuipluginAudioProcessor& owner)
    : juce::AudioProcessorEditor (owner), audioProcessor (owner)
{
    setSize (static_cast<int> (baseWidth * defaultScale), static_cast<int> (baseHeight * defaultScale));
}

GuipluginAudioProcessorEditor::~GuipluginAudioProcessorEditor() = default;

void GuipluginAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}
