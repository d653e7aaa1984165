#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// A stored value of "nan" (in a preset or a host's saved state) reaches a parameter as NaN, and
// block processing would turn the whole output into NaN: every parameter of the state whose raw
// value is not finite takes its default instead.
void resetNonFiniteParameters (juce::AudioProcessorValueTreeState& state);
