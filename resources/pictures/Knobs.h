#pragma once

#include "PictureSet.h"

#include <juce_graphics/juce_graphics.h>

namespace pictures
{
// A knob of the machine: a black skirt with grip ridges and a white pointer line, under a turned
// aluminium cap. The lighting stays put while the skirt, its ridges and the pointer turn.
struct KnobLook
{
    KnobGeometry geometry;
    juce::Colour pointer;
};

// The 129-frame strip, frame f showing the pointer at knobDegreesForFrame (f).
juce::Image drawKnobStrip (const KnobLook& look, int frameWidth, int frameHeight, uint32_t seed);
} // namespace pictures
