#pragma once

// Materials and lighting shared by every picture: seeded noise, brushed and spun metal, soft
// shadows and glows, screws, the panel font. One light for the whole machine: from the upper left,
// so shadows fall down and a little to the right.

#include <juce_graphics/juce_graphics.h>

#include <cstdint>

namespace pictures
{
// Direction the light comes from (unit vector, screen coordinates: y down).
inline const juce::Point<float> towardsLight { -0.34f, -0.94f };

// A shadow cast by something standing `height` pixels above the surface.
juce::Point<float> shadowOffset (float height);

//==============================================================================
// Deterministic noise: the same seed gives the same picture on every run.
class Noise
{
public:
    explicit Noise (uint32_t seedToUse) : seed (seedToUse) {}

    // Uniform in [-1, 1] for each integer lattice point.
    float lattice (int x, int y) const;

    // Smooth value noise in [-1, 1]; one lattice cell per unit.
    float smooth (float x, float y) const;

private:
    uint32_t seed;
};

//==============================================================================
// Per-pixel painting: shade (x, y) returns a colour (with alpha) at the pixel centre, which is
// composited over what the image holds.
template <typename Shader>
void paintPixels (juce::Image& image, juce::Rectangle<int> area, Shader&& shade)
{
    area = area.getIntersection (image.getBounds());
    const juce::Image::BitmapData pixels (image, area.getX(), area.getY(), area.getWidth(), area.getHeight(),
                                          juce::Image::BitmapData::readWrite);

    for (int y = 0; y < area.getHeight(); ++y)
    {
        for (int x = 0; x < area.getWidth(); ++x)
        {
            const juce::Colour c = shade ((float) (x + area.getX()) + 0.5f, (float) (y + area.getY()) + 0.5f);

            if (c.getAlpha() == 0)
                continue;

            auto under = pixels.getPixelColour (x, y);
            pixels.setPixelColour (x, y, under.overlaidWith (c));
        }
    }
}

// Coverage of a disc edge for a pixel at distance d from the centre: 1 inside, 0 outside.
inline float discCoverage (float d, float radius)
{
    return juce::jlimit (0.0f, 1.0f, radius - d + 0.5f);
}

// Blends a towards b by t (0 to 1), all four channels.
juce::Colour mix (juce::Colour a, juce::Colour b, float t);

//==============================================================================
// Surfaces.
struct MetalTone
{
    juce::Colour base;
    float grain;   // strength of the brushing streaks, 0 to about 0.1
    float sheen;   // strength of the light's broad reflection
};

// Horizontally brushed metal filling area (opaque).
void paintBrushedMetal (juce::Image& image, juce::Rectangle<int> area, const MetalTone& tone, uint32_t seed);

// A disc of spun (concentrically machined) metal: the light makes the cross-shaped sheen of turned
// metal, which does not change when the disc turns.
void paintSpunMetal (juce::Image& image, juce::Point<float> centre, float radius, const MetalTone& tone, uint32_t seed);

//==============================================================================
// Shadows and light. All are drawn through g, so they follow its origin and clip.

// A soft shadow of shape, offset and blurred by sigma pixels.
void drawShadow (juce::Graphics& g, const juce::Path& shape, juce::Point<float> offset, float sigma, juce::Colour colour);

// A soft light around shape: the same blur, no offset.
void drawGlow (juce::Graphics& g, const juce::Path& shape, float sigma, juce::Colour colour);

// The shadow that the rim of a hole casts onto what lies inside it.
void drawInnerShadow (juce::Graphics& g, const juce::Path& hole, juce::Point<float> offset, float sigma,
                      juce::Colour colour);

// A light line on the edge that faces the light and a dark one on the other: a bevel, raised when
// raised is true, sunk otherwise.
void drawBevel (juce::Graphics& g, const juce::Path& outline, float thickness, float strength, bool raised);

// A slotted screw head with its countersink.
void drawScrew (juce::Graphics& g, juce::Point<float> centre, float radius, float slotDegrees);

//==============================================================================
// Text in the panel font (loaded once by the generator).
void loadPanelFont (const juce::File& fontFile);
bool panelFontLoaded();

// The panel font at the size whose capital letters are capHeight pixels tall.
juce::Font panelFont (float capHeight);

// Text on one line whose capitals are centred vertically on centre.y; tracking adds that fraction
// of the cap height between letters.
juce::Path textPath (const juce::String& text, float capHeight, float tracking);
void drawText (juce::Graphics& g, const juce::String& text, juce::Point<float> centre, float capHeight,
               float tracking, juce::Justification horizontal = juce::Justification::centred);
} // namespace pictures

namespace pictures
{
// A film strip: frames drawn one below the other, frame 0 at the top. draw (g, frame) paints one
// frame with g's origin at the frame's top-left and its clip on the frame.
template <typename DrawFrame>
juce::Image makeStrip (int frameWidth, int frameHeight, int frames, bool opaque, DrawFrame&& draw)
{
    juce::Image strip (opaque ? juce::Image::RGB : juce::Image::ARGB, frameWidth, frameHeight * frames, true);
    juce::Graphics g (strip);

    for (int frame = 0; frame < frames; ++frame)
    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (0, frame * frameHeight, frameWidth, frameHeight);
        g.setOrigin (0, frame * frameHeight);
        draw (g, frame);
    }

    return strip;
}

// An empty frame-sized layer for parts that stay the same in every frame.
inline juce::Image makeLayer (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true);
}

inline juce::Path disc (juce::Point<float> centre, float radius)
{
    juce::Path p;
    p.addEllipse (centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius);
    return p;
}

// The point at radius from centre in the direction degrees clockwise from 12 o'clock.
inline juce::Point<float> polar (juce::Point<float> centre, float radius, float degrees)
{
    const auto a = juce::degreesToRadians (degrees);
    return { centre.x + radius * std::sin (a), centre.y - radius * std::cos (a) };
}
} // namespace pictures
