#pragma once

#include <juce_graphics/juce_graphics.h>

namespace pictures
{
// A VU meter's 76-frame strip: a warm cream face with a black scale from -20 to +3 VU and a red
// zone above 0, a needle with a soft shadow, under glass in a black bezel. channel is printed in
// the face's corner.
juce::Image drawMeterStrip (const juce::String& channel);
} // namespace pictures
