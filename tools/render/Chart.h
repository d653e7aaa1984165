#pragma once

#include "Analysis.h"

#include <juce_graphics/juce_graphics.h>

// The analysis drawn as a picture: the magnitude responses above, the distortion against input
// level below, one colour per machine type, slow dashed and fast solid. `settings` names the base
// settings the machines were measured with.
juce::Image drawChart (const AnalysisResult& result, const juce::String& settings);

// The picture as PNG bytes.
juce::MemoryBlock encodePng (const juce::Image& image);
