#pragma once

#include "CommandLine.h"

#include "plugin/PluginProcessor.h"

// Brings a processor to the settings of the command line: the preset, then --type and --speed,
// then every --set in its order. Throws a ToolError for an unknown ID, a value outside its
// parameter's range, and a preset that cannot be read or is not one.
void applySettings (GuipluginAudioProcessor& processor, const SettingsRequest& request);

// The parameters whose values differ from their defaults, "ID=VALUE ..." in the host's order
// ("defaults" when none does), leaving out the IDs listed.
juce::String describeSettings (GuipluginAudioProcessor& processor, const juce::StringArray& leaveOut = {});

// The IDs that select the machine: the six type buttons and the speed switch.
juce::StringArray machineSelectionIds();

// The parameter ID that a "--set ID=VALUE" assignment names.
juce::String assignedId (const juce::String& assignment);

// Sets one parameter to a value in its own units (a bool: 0 or 1; the choice: its index).
void setParameter (GuipluginAudioProcessor& processor, const juce::String& id, float value);

// Selects one machine type (its button on, the other five off) and the tape speed.
void selectMachine (GuipluginAudioProcessor& processor, TapeType type, TapeSpeed speed);
