#pragma once

#include <juce_graphics/juce_graphics.h>

namespace pictures
{
// The machine's front panel behind the controls, with its captions, scales and marks.
juce::Image drawPanel();

// The maker's mark: a white tape reel on transparent ground.
juce::Image drawLogo();
} // namespace pictures
