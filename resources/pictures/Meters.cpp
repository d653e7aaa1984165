#include "Meters.h"

#include "Materials.h"
#include "PictureSet.h"

#include <cmath>

namespace pictures
{
namespace
{
constexpr int frameWidth = 355;
constexpr int frameHeight = 190;

const juce::Rectangle<float> window { 12.0f, 12.0f, 331.0f, 166.0f };
constexpr float windowCorner = 5.0f;

const juce::Colour ink (0xff1d1b19);
const juce::Colour redZone (0xffc4362b);
const juce::Colour creamCentre (0xfff6ecd0);
const juce::Colour creamEdge (0xffdfcfa6);

constexpr float scaleRadius = 146.0f;
constexpr float labelRadius = 168.0f;
constexpr float percentRadius = 126.0f;

const juce::Point<float> pivot { meter.pivotX, meter.pivotY };

// The needle travels linearly in amplitude: full travel is +3 VU, so 0 VU lies at 10^(-3/20).
float fractionForVu (float vu)
{
    return std::pow (10.0f, (vu - 3.0f) / 20.0f);
}

float degreesForFraction (float fraction)
{
    return meter.restDegrees + (meter.endDegrees - meter.restDegrees) * fraction;
}

float degreesForVu (float vu)
{
    return degreesForFraction (fractionForVu (vu));
}

juce::Path arc (float radius, float fromDegrees, float toDegrees)
{
    juce::Path p;
    p.addCentredArc (pivot.x, pivot.y, radius, radius, 0.0f, juce::degreesToRadians (fromDegrees),
                     juce::degreesToRadians (toDegrees), true);
    return p;
}

void drawTick (juce::Graphics& g, float degrees, float inner, float outer, float width)
{
    g.drawLine ({ polar (pivot, inner, degrees), polar (pivot, outer, degrees) }, width);
}

void drawScale (juce::Graphics& g)
{
    const auto zero = degreesForVu (0.0f);
    const auto top = degreesForVu (3.0f);
    const auto bottom = degreesForVu (-20.0f);

    g.setColour (redZone);
    g.strokePath (arc (scaleRadius + 4.5f, zero, top), juce::PathStrokeType (7.0f));
    g.setColour (ink);
    g.strokePath (arc (scaleRadius, bottom, top), juce::PathStrokeType (1.4f));

    struct Mark { float vu; const char* label; };
    const Mark majors[] { { -20.0f, "20" }, { -10.0f, "10" }, { -7.0f, "7" }, { -5.0f, "5" }, { -3.0f, "3" },
                          { -2.0f, "2" }, { -1.0f, "1" }, { 0.0f, "0" }, { 1.0f, "1" }, { 2.0f, "2" }, { 3.0f, "3" } };

    for (const auto& mark : majors)
    {
        const auto degrees = degreesForVu (mark.vu);
        const auto colour = mark.vu > 0.0f ? redZone : ink;
        g.setColour (colour);
        drawTick (g, degrees, scaleRadius - 1.0f, scaleRadius + 12.0f, mark.vu == 0.0f ? 2.4f : 1.8f);
        drawText (g, mark.label, polar (pivot, labelRadius, degrees), mark.vu == 0.0f ? 12.5f : 11.0f, 0.05f);
    }

    g.setColour (ink);

    for (const auto vu : { -15.0f, -8.0f, -6.0f, -4.0f, -2.5f, -1.5f, -0.5f })
        drawTick (g, degreesForVu (vu), scaleRadius - 1.0f, scaleRadius + 7.0f, 1.2f);

    g.setColour (redZone);

    for (const auto vu : { 0.5f, 1.5f, 2.5f })
        drawTick (g, degreesForVu (vu), scaleRadius - 1.0f, scaleRadius + 7.0f, 1.2f);

    // The signs at both ends of the scale.
    g.setColour (ink);
    drawText (g, "-", polar (pivot, labelRadius, bottom - 7.0f), 11.0f, 0.0f);
    g.setColour (redZone);
    drawText (g, "+", polar (pivot, labelRadius, top + 6.5f), 11.0f, 0.0f);

    // The percentage scale inside, 100 at 0 VU.
    g.setColour (ink.withAlpha (0.8f));
    g.strokePath (arc (percentRadius, degreesForFraction (0.0f), zero), juce::PathStrokeType (0.9f));

    for (int percent = 0; percent <= 100; percent += 10)
    {
        const auto degrees = degreesForFraction (fractionForVu (0.0f) * (float) percent / 100.0f);
        drawTick (g, degrees, percentRadius, percentRadius - (percent % 50 == 0 ? 6.0f : 3.5f), 1.0f);

        if (percent % 50 == 0)
            drawText (g, juce::String (percent), polar (pivot, percentRadius - 12.0f, degrees), 7.0f, 0.05f);
    }
}

// The face, its scale and lettering: everything under the needle.
juce::Image drawFace (const juce::String& channel)
{
    auto layer = makeLayer (frameWidth, frameHeight);
    juce::Graphics g (layer);

    // Bezel: black moulding with a soft rounded edge.
    g.fillAll (juce::Colour (0xff0c0c0d));
    const auto bezel = juce::Rectangle<float> (0.0f, 0.0f, (float) frameWidth, (float) frameHeight).reduced (1.0f);
    juce::ColourGradient moulding (juce::Colour (0xff2d2e31), bezel.getTopLeft(), juce::Colour (0xff111113),
                                   bezel.getBottomLeft(), false);
    g.setGradientFill (moulding);
    g.fillRoundedRectangle (bezel, 9.0f);
    juce::Path bezelOutline;
    bezelOutline.addRoundedRectangle (bezel.reduced (1.0f), 8.0f);
    drawBevel (g, bezelOutline, 1.5f, 0.35f, true);

    // The cream face, lit warmly from behind.
    juce::Path face;
    face.addRoundedRectangle (window, windowCorner);
    // Lit from below the scale: the light fades towards the top (a gradient along y only, which
    // also keeps the 76 frames small as PNG).
    juce::ColourGradient cream (creamEdge, { 0.0f, window.getY() }, creamCentre, { 0.0f, window.getBottom() - 30.0f }, false);
    g.setGradientFill (cream);
    g.fillPath (face);

    {
        juce::Graphics::ScopedSaveState state (g);
        g.reduceClipRegion (face);
        drawScale (g);

        g.setColour (ink);
        drawText (g, "VU", polar (pivot, 69.0f, 0.0f), 16.0f, 0.12f);
        g.setColour (ink.withAlpha (0.75f));
        drawText (g, channel, { window.getX() + 22.0f, window.getBottom() - 18.0f }, 10.0f, 0.0f);
    }

    return layer;
}

void drawNeedle (juce::Graphics& g, float degrees)
{
    juce::Path needle;
    needle.startNewSubPath (-1.3f, 0.0f);
    needle.lineTo (-0.55f, -meter.needleLength);
    needle.lineTo (0.55f, -meter.needleLength);
    needle.lineTo (1.3f, 0.0f);
    needle.closeSubPath();
    needle.applyTransform (juce::AffineTransform::rotation (juce::degreesToRadians (degrees)).translated (pivot));

    juce::Graphics::ScopedSaveState state (g);
    juce::Path face;
    face.addRoundedRectangle (window, windowCorner);
    g.reduceClipRegion (face);

    drawShadow (g, needle, shadowOffset (5.0f), 1.6f, juce::Colours::black.withAlpha (0.32f));
    g.setColour (juce::Colour (0xff111111));
    g.fillPath (needle);
}

// The needle's pivot cover, the bezel's shadow on the face and the glass: everything over the needle.
juce::Image drawGlass()
{
    auto layer = makeLayer (frameWidth, frameHeight);
    juce::Graphics g (layer);

    juce::Path face;
    face.addRoundedRectangle (window, windowCorner);
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (face);

    const auto cover = disc (pivot, 52.0f);
    drawShadow (g, cover, shadowOffset (3.0f), 3.0f, juce::Colours::black.withAlpha (0.35f));
    juce::ColourGradient plastic (juce::Colour (0xff3a3b3e), { pivot.x, pivot.y - 52.0f }, juce::Colour (0xff141416),
                                  { pivot.x, pivot.y - 30.0f }, false);
    g.setGradientFill (plastic);
    g.fillPath (cover);
    drawBevel (g, cover, 1.2f, 0.3f, true);
    drawScrew (g, { pivot.x, window.getBottom() - 8.0f }, 4.0f, 30.0f);

    drawInnerShadow (g, face, { 0.0f, 4.0f }, 4.5f, juce::Colours::black.withAlpha (0.55f));

    // Glass: a broad soft reflection over the upper face.
    juce::Path reflection;
    reflection.startNewSubPath (window.getX(), window.getY());
    reflection.lineTo (window.getRight(), window.getY());
    reflection.lineTo (window.getRight(), window.getY() + 36.0f);
    reflection.quadraticTo (pivot.x, window.getY() + 72.0f, window.getX(), window.getY() + 58.0f);
    reflection.closeSubPath();
    juce::ColourGradient sheen (juce::Colours::white.withAlpha (0.16f), { 0.0f, window.getY() },
                                juce::Colours::white.withAlpha (0.0f), { 0.0f, window.getY() + 70.0f }, false);
    g.setGradientFill (sheen);
    g.fillPath (reflection);
    return layer;
}
} // namespace

juce::Image drawMeterStrip (const juce::String& channel)
{
    const auto face = drawFace (channel);
    const auto glass = drawGlass();

    return makeStrip (frameWidth, frameHeight, meterFrames, true, [&] (juce::Graphics& g, int frame)
    {
        g.setOpacity (1.0f);
        g.drawImageAt (face, 0, 0);
        drawNeedle (g, meterDegreesForFrame (frame));
        g.setOpacity (1.0f);
        g.drawImageAt (glass, 0, 0);
    });
}
} // namespace pictures
