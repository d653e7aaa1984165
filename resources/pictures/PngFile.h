#pragma once

#include <juce_graphics/juce_graphics.h>

namespace pictures
{
// Writes image as PNG in the smallest colour type that holds it exactly: grey when every pixel is
// neutral, with an alpha channel only when some pixel is not opaque. Film strips of grey knobs so
// take half the bytes of RGBA.
bool writePng (const juce::Image& image, const juce::File& file);
} // namespace pictures
