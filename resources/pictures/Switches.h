#pragma once

#include <juce_graphics/juce_graphics.h>

namespace pictures
{
// Two-frame pictures: unlit on top, lit below.

// A tape-type key: a dark glass cap with its letter, lit warm from behind when chosen.
juce::Image drawTypeButton (const juce::String& letter);

// The tape-speed slide: SLOW to the left, FAST to the right with its lamp lit.
juce::Image drawSpeedSwitch();

// The gain-lock slide: open to the left, locked to the right with its lamp lit.
juce::Image drawLockSwitch();

// The main power key: a chromed bezel round a lens with the power symbol, glowing red when on.
juce::Image drawPowerSwitch();
} // namespace pictures
