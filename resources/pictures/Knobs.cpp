#include "Knobs.h"

#include "Materials.h"

namespace pictures
{
namespace
{
// Neutral greys throughout: the strips are stored as grey PNGs.
const juce::Colour skirtBlack (0xff1a1a1a);
const MetalTone capAluminium { juce::Colour (0xffc4c4c4), 0.03f, 0.32f };

struct KnobParts
{
    juce::Point<float> centre;
    float skirt, rim, cap; // radii: outside of the skirt, inside of the grip rim, the cap
    float scale;           // size relative to the medium knob
};

KnobParts partsOf (const KnobGeometry& g)
{
    const auto scale = g.skirtRadius / mediumKnob.skirtRadius;
    return { { g.centreX, g.centreY }, g.skirtRadius, g.skirtRadius - 5.5f * scale, g.capRadius, scale };
}

// Shadow on the panel and the skirt's body: the same in every frame.
juce::Image drawBase (const KnobParts& k, int width, int height)
{
    auto layer = makeLayer (width, height);
    juce::Graphics g (layer);
    const auto skirt = disc (k.centre, k.skirt);

    drawShadow (g, skirt, shadowOffset (5.0f * k.scale), 5.5f * k.scale, juce::Colours::black.withAlpha (0.55f));
    drawShadow (g, skirt, shadowOffset (1.5f * k.scale), 1.5f * k.scale, juce::Colours::black.withAlpha (0.5f));

    juce::ColourGradient body (skirtBlack.brighter (0.35f), k.centre + towardsLight * k.skirt,
                               skirtBlack.darker (0.4f), k.centre - towardsLight * k.skirt, false);
    g.setGradientFill (body);
    g.fillPath (skirt);
    return layer;
}

// The grip ridges turn with the knob.
void drawRidges (juce::Graphics& g, const KnobParts& k, int ridges, float degrees)
{
    for (int i = 0; i < ridges; ++i)
    {
        const auto a = degrees + 360.0f * (float) i / (float) ridges;
        const auto inner = polar (k.centre, k.rim - 0.5f, a);
        const auto outer = polar (k.centre, k.skirt + 0.5f, a);
        g.setColour (juce::Colours::black.withAlpha (0.8f));
        g.drawLine ({ inner, outer }, 1.4f * k.scale);

        const auto litInner = polar (k.centre, k.rim - 0.5f, a + 2.2f * 54.0f / (float) ridges);
        const auto litOuter = polar (k.centre, k.skirt, a + 2.2f * 54.0f / (float) ridges);
        g.setColour (juce::Colours::white.withAlpha (0.10f));
        g.drawLine ({ litInner, litOuter }, 1.0f * k.scale);
    }
}

// The skirt's sloped top face inside the grip rim, and the light on the rim.
juce::Image drawFace (const KnobParts& k, int width, int height)
{
    auto layer = makeLayer (width, height);
    juce::Graphics g (layer);

    const auto face = disc (k.centre, k.rim);
    juce::ColourGradient slope (juce::Colour (0xff3d3d3d), k.centre + towardsLight * k.rim,
                                juce::Colour (0xff111111), k.centre - towardsLight * k.rim, false);
    slope.addColour (0.5, juce::Colour (0xff212121));
    g.setGradientFill (slope);
    g.fillPath (face);
    drawBevel (g, face, 1.0f * k.scale, 0.35f, true);

    drawBevel (g, disc (k.centre, k.skirt - 0.6f), 1.4f * k.scale, 0.30f, true);
    return layer;
}

void drawPointer (juce::Graphics& g, const KnobParts& k, const KnobGeometry& geometry, juce::Colour colour,
                  float degrees)
{
    const auto inner = polar (k.centre, geometry.pointerInner, degrees);
    const auto outer = polar (k.centre, geometry.pointerOuter, degrees);
    const auto width = 3.4f * k.scale;

    juce::Path line;
    line.startNewSubPath (inner);
    line.lineTo (outer);
    juce::Path stroke;
    juce::PathStrokeType (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded).createStrokedPath (stroke, line);

    // Inlaid paint: a dark seat around it, then the paint with a slight sheen towards the light.
    g.setColour (juce::Colours::black.withAlpha (0.55f));
    g.strokePath (line, juce::PathStrokeType (width + 1.6f * k.scale, juce::PathStrokeType::curved,
                                              juce::PathStrokeType::rounded));
    g.setColour (colour);
    g.fillPath (stroke);
    drawBevel (g, stroke, 0.8f, 0.25f, false);
}

// The turned cap and the shadow it casts onto the skirt's face.
juce::Image drawCap (const KnobParts& k, int width, int height, uint32_t seed)
{
    auto layer = makeLayer (width, height);
    {
        juce::Graphics g (layer);
        drawShadow (g, disc (k.centre, k.cap), shadowOffset (2.5f * k.scale), 2.5f * k.scale,
                    juce::Colours::black.withAlpha (0.6f));
    }

    paintSpunMetal (layer, k.centre, k.cap, capAluminium, seed);

    juce::Graphics g (layer);
    const auto chamfer = disc (k.centre, k.cap - 1.0f * k.scale);
    drawBevel (g, chamfer, 2.0f * k.scale, 0.45f, true);
    drawBevel (g, disc (k.centre, k.cap * 0.93f), 0.8f * k.scale, 0.12f, false);
    return layer;
}

// A short engraved line on the cap, in line with the pointer.
void drawCapMark (juce::Graphics& g, const KnobParts& k, float degrees)
{
    const auto inner = polar (k.centre, k.cap * 0.50f, degrees);
    const auto outer = polar (k.centre, k.cap * 0.82f, degrees);
    const auto width = 2.0f * k.scale;
    const juce::PathStrokeType groove (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);

    // The wall facing away from the light is lit, the one facing it is in shadow.
    const auto lit = -towardsLight * 0.7f * k.scale;
    g.setColour (juce::Colours::white.withAlpha (0.55f));
    g.drawLine ({ inner + lit, outer + lit }, width * 0.8f);
    g.setColour (juce::Colour (0xff2c2c2c).withAlpha (0.85f));
    juce::Path line;
    line.startNewSubPath (inner);
    line.lineTo (outer);
    g.strokePath (line, groove);
}
} // namespace

juce::Image drawKnobStrip (const KnobLook& look, int frameWidth, int frameHeight, uint32_t seed)
{
    const auto k = partsOf (look.geometry);
    const auto base = drawBase (k, frameWidth, frameHeight);
    const auto face = drawFace (k, frameWidth, frameHeight);
    const auto cap = drawCap (k, frameWidth, frameHeight, seed);

    return makeStrip (frameWidth, frameHeight, knobFrames, false, [&] (juce::Graphics& g, int frame)
    {
        const auto degrees = knobDegreesForFrame (frame);
        g.setOpacity (1.0f);
        g.drawImageAt (base, 0, 0);
        drawRidges (g, k, look.geometry.ridges, degrees);
        g.setOpacity (1.0f);
        g.drawImageAt (face, 0, 0);
        drawPointer (g, k, look.geometry, look.pointer, degrees);
        g.setOpacity (1.0f);
        g.drawImageAt (cap, 0, 0);
        drawCapMark (g, k, degrees);
    });
}
} // namespace pictures
