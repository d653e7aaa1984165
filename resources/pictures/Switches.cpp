#include "Switches.h"

#include "Materials.h"
#include "PictureSet.h"

namespace pictures
{
namespace
{
const juce::Colour lampAmber (0xffffb548);
const juce::Colour lampRed (0xffff3a26);
const MetalTone chrome { juce::Colour (0xffc9cbce), 0.04f, 0.45f };

// Both frames of a two-frame picture, drawn by draw (g, lit).
template <typename DrawState>
juce::Image twoFrames (int width, int height, DrawState&& draw)
{
    return makeStrip (width, height, 2, false, [&] (juce::Graphics& g, int frame) { draw (g, frame == litFrame); });
}

juce::Path roundedRect (juce::Rectangle<float> r, float corner)
{
    juce::Path p;
    p.addRoundedRectangle (r, corner);
    return p;
}

// A small round lamp behind a lens: dark when off, glowing when lit.
void drawLamp (juce::Graphics& g, juce::Point<float> centre, float radius, juce::Colour colour, bool lit)
{
    const auto lens = disc (centre, radius);
    g.setColour (juce::Colours::black.withAlpha (0.7f));
    g.fillPath (disc (centre, radius + 1.2f));

    if (lit)
        drawGlow (g, lens, radius * 1.4f, colour.withAlpha (0.75f));

    juce::ColourGradient glass (lit ? colour.brighter (0.9f) : colour.darker (2.2f), centre + towardsLight * radius * 0.3f,
                                lit ? colour : colour.darker (3.5f), centre - towardsLight * radius, true);
    g.setGradientFill (glass);
    g.fillPath (lens);

    // The lens catches the room's light whether lit or not.
    g.setColour (juce::Colours::white.withAlpha (lit ? 0.6f : 0.35f));
    g.fillPath (disc (centre + towardsLight * radius * 0.45f, radius * 0.28f));
}

//==============================================================================
void drawTypeKey (juce::Graphics& g, const juce::String& letter, bool lit)
{
    const juce::Rectangle<float> body { 9.0f, 7.0f, 147.0f, 62.0f };
    const auto cap = body.reduced (5.0f);
    const auto bodyPath = roundedRect (body, 7.0f);
    const auto capPath = roundedRect (cap, 4.0f);

    if (lit)
        drawGlow (g, bodyPath, 5.0f, lampAmber.withAlpha (0.35f));

    drawShadow (g, bodyPath, shadowOffset (4.0f), 4.0f, juce::Colours::black.withAlpha (0.55f));

    // Black moulded surround.
    juce::ColourGradient surround (juce::Colour (0xff35363a), body.getTopLeft(), juce::Colour (0xff0f0f11),
                                   body.getBottomLeft(), false);
    g.setGradientFill (surround);
    g.fillPath (bodyPath);
    drawBevel (g, bodyPath, 1.2f, 0.4f, true);

    // The cap: smoked glass, lit from behind when chosen.
    const auto centre = cap.getCentre();
    juce::ColourGradient glass (lit ? juce::Colour (0xff6b4318) : juce::Colour (0xff232224), centre,
                                lit ? juce::Colour (0xff2e1b0b) : juce::Colour (0xff121213),
                                { cap.getRight(), cap.getBottom() }, true);
    g.setGradientFill (glass);
    g.fillPath (capPath);

    const auto legend = lit ? juce::Colour (0xffffe7bf) : juce::Colour (0xff8d867b);

    if (lit)
    {
        juce::Path glyph = textPath (letter, 24.0f, 0.0f);
        const auto b = glyph.getBounds();
        glyph.applyTransform (juce::AffineTransform::translation (centre.x - b.getCentreX(), centre.y + 12.0f));
        drawGlow (g, glyph, 4.0f, lampAmber.withAlpha (0.9f));
    }

    g.setColour (legend);
    drawText (g, letter, centre, 24.0f, 0.0f);

    // Glass: the rim's shadow inside, a reflection on the upper half.
    drawInnerShadow (g, capPath, { 0.0f, 2.0f }, 2.0f, juce::Colours::black.withAlpha (0.6f));
    juce::ColourGradient reflection (juce::Colours::white.withAlpha (0.13f), cap.getTopLeft(),
                                     juce::Colours::white.withAlpha (0.0f), { cap.getX(), cap.getCentreY() }, false);
    g.setGradientFill (reflection);
    g.fillPath (roundedRect (cap.withHeight (cap.getHeight() * 0.5f), 4.0f));
    drawBevel (g, capPath, 1.0f, 0.3f, false);
}

//==============================================================================
// A slide switch: a pill-shaped slot with a metal slider that carries a lamp.
struct SlideLayout
{
    juce::Rectangle<float> slot;
    float sliderWidth;
    float lampRadius;
};

void drawSlide (juce::Graphics& g, const SlideLayout& layout, bool lit)
{
    const auto slot = layout.slot;
    const auto slotPath = roundedRect (slot, slot.getHeight() * 0.5f);

    // The slot, cut into the panel; when on, a lamp under it lights the slot's floor.
    if (lit)
        drawGlow (g, slotPath, 4.0f, lampAmber.withAlpha (0.45f));

    g.setColour (juce::Colour (0xff111113));
    g.fillPath (slotPath);

    if (lit)
    {
        const auto floor = slot.reduced (slot.getHeight() * 0.22f);
        juce::ColourGradient light (lampAmber.brighter (0.4f), floor.getCentre(), lampAmber.darker (0.6f),
                                    floor.getTopLeft(), true);
        g.setGradientFill (light);
        g.fillRoundedRectangle (floor, floor.getHeight() * 0.5f);
    }

    drawInnerShadow (g, slotPath, shadowOffset (2.0f), 2.0f, juce::Colours::black.withAlpha (0.8f));
    drawBevel (g, roundedRect (slot.expanded (0.8f), slot.getHeight() * 0.5f + 0.8f), 1.2f, 0.45f, false);

    const auto inset = 2.0f;
    auto slider = slot.reduced (inset).withWidth (layout.sliderWidth);

    if (lit)
        slider.setX (slot.getRight() - inset - layout.sliderWidth);

    const auto sliderPath = roundedRect (slider, slider.getHeight() * 0.5f);
    drawShadow (g, sliderPath, shadowOffset (1.8f), 1.6f, juce::Colours::black.withAlpha (0.7f));

    juce::ColourGradient metal (chrome.base.brighter (0.25f), slider.getTopLeft(), chrome.base.darker (0.55f),
                                slider.getBottomLeft(), false);
    metal.addColour (0.45, chrome.base);
    g.setGradientFill (metal);
    g.fillPath (sliderPath);
    drawBevel (g, sliderPath, 1.0f, 0.45f, true);

    // Grip ridges on the side away from the lamp, the lamp towards the slot's middle.
    const auto lampX = lit ? slider.getX() + slider.getHeight() * 0.5f : slider.getRight() - slider.getHeight() * 0.5f;
    const auto gripX = lit ? slider.getRight() - slider.getHeight() * 0.75f : slider.getX() + slider.getHeight() * 0.5f;

    for (int i = -1; i <= 1; ++i)
    {
        const auto x = gripX + (float) i * slider.getHeight() * 0.16f;
        g.setColour (juce::Colours::black.withAlpha (0.45f));
        g.drawLine (x, slider.getY() + 3.0f, x, slider.getBottom() - 3.0f, 1.0f);
        g.setColour (juce::Colours::white.withAlpha (0.45f));
        g.drawLine (x + 1.0f, slider.getY() + 3.0f, x + 1.0f, slider.getBottom() - 3.0f, 0.8f);
    }

    drawLamp (g, { lampX, slider.getCentreY() }, layout.lampRadius, lampAmber, lit);
}

//==============================================================================
void drawPowerSymbol (juce::Graphics& g, juce::Point<float> centre, float radius, float thickness)
{
    juce::Path symbol;
    symbol.addCentredArc (centre.x, centre.y, radius, radius, 0.0f, juce::degreesToRadians (38.0f),
                          juce::degreesToRadians (322.0f), true);
    symbol.startNewSubPath (centre.x, centre.y - radius * 1.25f);
    symbol.lineTo (centre.x, centre.y - radius * 0.25f);
    g.strokePath (symbol, juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}

void drawPowerKey (juce::Graphics& g, const juce::Image& bezel, juce::Point<float> centre, bool lit)
{
    constexpr float bezelRadius = 70.0f;
    constexpr float lensRadius = 50.0f;

    if (lit)
        drawGlow (g, disc (centre, bezelRadius), 9.0f, lampRed.withAlpha (0.35f));

    g.setOpacity (1.0f);
    g.drawImageAt (bezel, 0, 0);

    // The lens: deep red glass, burning from behind when on.
    const auto lens = disc (centre, lensRadius);
    juce::ColourGradient glass (lit ? juce::Colour (0xffff6a4a) : juce::Colour (0xff4a1410), centre,
                                lit ? juce::Colour (0xffa8180f) : juce::Colour (0xff1c0706),
                                centre + juce::Point<float> (lensRadius, lensRadius * 0.6f), true);
    g.setGradientFill (glass);
    g.fillPath (lens);

    if (lit)
    {
        juce::Path symbol;
        symbol.addEllipse (centre.x - 20.0f, centre.y - 20.0f, 40.0f, 40.0f);
        drawGlow (g, symbol, 9.0f, juce::Colour (0xffffd2b8).withAlpha (0.55f));
    }

    g.setColour (lit ? juce::Colour (0xfffff1e6) : juce::Colour (0xff9a7e78));
    drawPowerSymbol (g, centre, 19.0f, 6.0f);

    drawInnerShadow (g, lens, shadowOffset (3.0f), 3.5f, juce::Colours::black.withAlpha (0.6f));
    juce::ColourGradient reflection (juce::Colours::white.withAlpha (0.28f), centre + juce::Point<float> (0.0f, -lensRadius),
                                     juce::Colours::white.withAlpha (0.0f), centre, false);
    g.setGradientFill (reflection);
    g.fillPath (disc (centre + juce::Point<float> (-6.0f, -16.0f), lensRadius * 0.62f));
}

// The chromed bezel and its black gap round the lens: the same in both frames.
juce::Image drawPowerBezel (juce::Point<float> centre)
{
    constexpr float bezelRadius = 70.0f;
    constexpr float gapRadius = 55.0f;
    auto layer = makeLayer (206, 206);

    {
        juce::Graphics g (layer);
        drawShadow (g, disc (centre, bezelRadius), shadowOffset (6.0f), 6.0f, juce::Colours::black.withAlpha (0.6f));
    }

    paintSpunMetal (layer, centre, bezelRadius, chrome, 41);

    juce::Graphics g (layer);
    drawBevel (g, disc (centre, bezelRadius - 1.0f), 2.0f, 0.5f, true);
    const auto gap = disc (centre, gapRadius);
    g.setColour (juce::Colour (0xff0d0d0e));
    g.fillPath (gap);
    drawBevel (g, disc (centre, gapRadius + 1.0f), 1.6f, 0.5f, false);
    return layer;
}
} // namespace

juce::Image drawTypeButton (const juce::String& letter)
{
    return twoFrames (165, 78, [&] (juce::Graphics& g, bool lit) { drawTypeKey (g, letter, lit); });
}

juce::Image drawSpeedSwitch()
{
    const SlideLayout layout { { 7.0f, 12.0f, 89.0f, 28.0f }, 46.0f, 5.0f };
    return twoFrames (103, 52, [&] (juce::Graphics& g, bool lit) { drawSlide (g, layout, lit); });
}

juce::Image drawLockSwitch()
{
    const SlideLayout layout { { 5.0f, 8.0f, 63.0f, 22.0f }, 33.0f, 3.8f };
    return twoFrames (73, 39, [&] (juce::Graphics& g, bool lit) { drawSlide (g, layout, lit); });
}

juce::Image drawPowerSwitch()
{
    // The editor shows the frame 6 pixels short at the left: the key sits right of the middle.
    const juce::Point<float> centre { 106.0f, 100.0f };
    const auto bezel = drawPowerBezel (centre);
    return twoFrames (206, 206, [&] (juce::Graphics& g, bool lit) { drawPowerKey (g, bezel, centre, lit); });
}
} // namespace pictures
