#include "Panel.h"

#include "Materials.h"
#include "PictureSet.h"

#include <vector>

namespace pictures
{
namespace
{
constexpr int panelWidth = 1934;
constexpr int panelHeight = 880;

const juce::Colour ink (0xff1e1f22);
const MetalTone aluminium { juce::Colour (0xffb8babd), 0.045f, 0.10f };

constexpr float captionHeight = 20.0f; // capital height of the section captions
constexpr float markHeight = 14.0f;      // capital height of the scale marks
constexpr float captionTracking = 0.22f;

// The bottom row under the info line and the BYPASS button: a calm dark strip.
constexpr float bottomStripTop = 796.0f;

//==============================================================================
// Where a control's picture lands on the panel, and a point of its frame there.
struct Placed
{
    juce::Rectangle<float> area;
    float scaleX, scaleY; // panel pixels per frame pixel

    juce::Point<float> at (float frameX, float frameY) const
    {
        return { area.getX() + frameX * scaleX, area.getY() + frameY * scaleY };
    }
};

Placed placed (const char* controlName)
{
    const auto* place = findPlace (controlName);
    const auto* picture = findPicture (place->resourceName);
    const juce::Rectangle<float> area { panelX ((float) place->x), panelY ((float) place->y),
                                        (float) (place->drawnWidth * panelScale), (float) (place->drawnHeight * panelScale) };
    return { area, area.getWidth() / (float) picture->frameWidth, area.getHeight() / (float) picture->frameHeight };
}

juce::Point<float> knobCentre (const char* controlName, const KnobGeometry& geometry)
{
    return placed (controlName).at (geometry.centreX, geometry.centreY);
}

juce::Path roundedRect (juce::Rectangle<float> r, float corner)
{
    juce::Path p;
    p.addRoundedRectangle (r, corner);
    return p;
}

//==============================================================================
// A recess in the panel: darker, with its rim's shadow inside.
void drawRecess (juce::Graphics& g, juce::Rectangle<float> area, float corner, juce::Colour fill)
{
    const auto shape = roundedRect (area, corner);
    g.setColour (fill);
    g.fillPath (shape);
    drawInnerShadow (g, shape, shadowOffset (3.0f), 4.0f, juce::Colours::black.withAlpha (0.5f));
    drawBevel (g, roundedRect (area.expanded (1.0f), corner + 1.0f), 1.5f, 0.5f, false);
}

struct ScaleMark
{
    float degrees;
    const char* text;
};

// The printed scale round a knob: ticks along the pointer's arc, marks at the given angles.
void drawKnobScale (juce::Graphics& g, juce::Point<float> centre, float skirtRadius, std::vector<ScaleMark> marks,
                    int divisions = 10)
{
    const auto inner = skirtRadius + 7.0f;
    g.setColour (ink);

    for (int i = 0; i <= divisions; ++i)
    {
        const auto degrees = knobStartDegrees + (knobEndDegrees - knobStartDegrees) * (float) i / (float) divisions;
        const auto major = i == 0 || i == divisions || 2 * i == divisions;
        const auto outer = inner + (major ? 9.0f : 6.0f);
        g.drawLine ({ polar (centre, inner, degrees), polar (centre, outer, degrees) }, major ? 2.4f : 1.6f);
    }

    for (const auto& mark : marks)
    {
        // Marks stand beyond the tick ends, pushed out a little more at the sides.
        const auto radius = inner + 26.0f + 6.0f * std::abs (std::sin (juce::degreesToRadians (mark.degrees)));
        drawText (g, mark.text, polar (centre, radius, mark.degrees), markHeight, 0.06f);
    }
}

void drawCaption (juce::Graphics& g, const juce::String& text, juce::Point<float> centre,
                  juce::Justification justification = juce::Justification::centred, float height = captionHeight)
{
    g.setColour (ink);
    drawText (g, text, centre, height, captionTracking, justification);
}

// A padlock, closed or with its shackle swung open.
void drawPadlock (juce::Graphics& g, juce::Point<float> centre, bool closed)
{
    const juce::Rectangle<float> body { centre.x - 9.0f, centre.y - 2.0f, 18.0f, 13.0f };
    juce::Path shackle;
    const auto left = body.getX() + 3.5f;
    const auto right = body.getRight() - 3.5f;
    const auto lift = closed ? 0.0f : 5.0f;
    shackle.startNewSubPath (left, body.getY() - lift);
    shackle.lineTo (left, body.getY() - 6.0f - lift);
    shackle.addCentredArc (centre.x, body.getY() - 6.0f - lift, (right - left) * 0.5f, (right - left) * 0.5f, 0.0f,
                           -juce::MathConstants<float>::halfPi, juce::MathConstants<float>::halfPi);
    shackle.lineTo (right, closed ? body.getY() : body.getY() - 4.0f - lift);

    g.setColour (ink);
    g.strokePath (shackle, juce::PathStrokeType (2.8f, juce::PathStrokeType::curved, juce::PathStrokeType::butt));
    g.fillRoundedRectangle (body, 2.5f);
    g.setColour (aluminium.base);
    g.fillEllipse (centre.x - 1.8f, body.getY() + 4.0f, 3.6f, 3.6f);
}

//==============================================================================
void drawPanelEdges (juce::Graphics& g)
{
    // The top bar's lip shades the panel's upper edge.
    juce::ColourGradient lip (juce::Colours::black.withAlpha (0.55f), { 0.0f, 0.0f }, juce::Colours::transparentBlack,
                              { 0.0f, 14.0f }, false);
    g.setGradientFill (lip);
    g.fillRect (0.0f, 0.0f, (float) panelWidth, 14.0f);

    // Soft darkening at the far left and right ends of the plate.
    for (const auto side : { 0.0f, 1.0f })
    {
        const auto x = side * (float) panelWidth;
        juce::ColourGradient end (juce::Colours::black.withAlpha (0.16f), { x, 0.0f }, juce::Colours::transparentBlack,
                                  { x + (side > 0.5f ? -90.0f : 90.0f), 0.0f }, false);
        g.setGradientFill (end);
        g.fillRect (side > 0.5f ? (float) panelWidth - 90.0f : 0.0f, 0.0f, 90.0f, bottomStripTop);
    }
}

void drawBottomStrip (juce::Graphics& g)
{
    const juce::Rectangle<float> strip { 0.0f, bottomStripTop, (float) panelWidth, (float) panelHeight - bottomStripTop };
    drawShadow (g, roundedRect (strip.withHeight (6.0f), 0.0f), { 0.0f, -1.0f }, 3.0f, juce::Colours::black.withAlpha (0.4f));

    juce::ColourGradient anodised (juce::Colour (0xff232427), strip.getTopLeft(), juce::Colour (0xff141416),
                                   strip.getBottomLeft(), false);
    g.setGradientFill (anodised);
    g.fillRect (strip);

    g.setColour (juce::Colours::white.withAlpha (0.16f));
    g.fillRect (strip.withHeight (1.5f));
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.fillRect (strip.withTrimmedTop (1.5f).withHeight (1.5f));
}

void drawMeterHousing (juce::Graphics& g)
{
    const auto upper = placed ("vuLeft").area;
    const auto lower = placed ("vuRight").area;
    const auto housing = upper.getUnion (lower).expanded (14.0f);
    const auto shape = roundedRect (housing, 12.0f);

    drawShadow (g, shape, shadowOffset (4.0f), 5.0f, juce::Colours::black.withAlpha (0.45f));
    juce::ColourGradient moulding (juce::Colour (0xff2c2d30), housing.getTopLeft(), juce::Colour (0xff131315),
                                   housing.getBottomLeft(), false);
    g.setGradientFill (moulding);
    g.fillPath (shape);
    drawBevel (g, shape, 2.0f, 0.45f, true);

    // Each meter sits in its own opening of the housing.
    for (const auto& meterArea : { upper, lower })
    {
        g.setColour (juce::Colours::black);
        g.fillRoundedRectangle (meterArea.expanded (2.0f), 10.0f);
    }
}

void drawKnobScales (juce::Graphics& g)
{
    const auto hpf = knobCentre ("hpfKnob", mediumKnob);
    const auto lpf = knobCentre ("lpfKnob", mediumKnob);
    const auto bias = knobCentre ("biasKnob", mediumKnob);
    const auto comp = knobCentre ("compKnob", mediumKnob);
    const auto input = knobCentre ("inputGainKnob", largeKnob);
    const auto output = knobCentre ("outputGainKnob", largeKnob);
    const auto crosstalk = knobCentre ("crosstalkKnob", smallKnob);

    // The middle frame of the filter knobs is 1 kHz (high pass) and 5 kHz (low pass).
    drawKnobScale (g, hpf, mediumKnob.skirtRadius, { { -144.0f, "20" }, { 0.0f, "1k" }, { 144.0f, "20k" } });
    drawKnobScale (g, lpf, mediumKnob.skirtRadius, { { -144.0f, "20" }, { 0.0f, "5k" }, { 144.0f, "20k" } });
    drawKnobScale (g, bias, mediumKnob.skirtRadius, { { -144.0f, "0" }, { 0.0f, "5" }, { 144.0f, "10" } });
    drawKnobScale (g, comp, mediumKnob.skirtRadius, { { -144.0f, "0" }, { 0.0f, "5" }, { 144.0f, "10" } });
    drawKnobScale (g, input, largeKnob.skirtRadius, { { -144.0f, "-24" }, { 0.0f, "0" }, { 144.0f, "+24" } });
    drawKnobScale (g, output, largeKnob.skirtRadius, { { -144.0f, "-24" }, { 0.0f, "0" }, { 144.0f, "+24" } });
    drawKnobScale (g, crosstalk, smallKnob.skirtRadius - 2.0f, {}, 8);

    const auto above = [] (juce::Point<float> centre, float radius) { return centre.translated (0.0f, -radius); };
    drawCaption (g, "HIGH PASS", above (hpf, 118.0f));
    drawCaption (g, "LOW PASS", above (lpf, 118.0f));
    drawCaption (g, "BIAS", above (bias, 118.0f));
    drawCaption (g, "COMP", above (comp, 118.0f));
    drawCaption (g, "INPUT", above (input, 126.0f));
    drawCaption (g, "OUTPUT", above (output, 126.0f));
    drawCaption (g, "CROSSTALK", above (crosstalk, 70.0f));

    // dB under the gain knobs' end marks, Hz under the filters'.
    for (const auto& centre : { input, output })
        drawCaption (g, "dB", centre.translated (0.0f, 100.0f), juce::Justification::centred, 12.0f);

    for (const auto& centre : { hpf, lpf })
        drawCaption (g, "Hz", centre.translated (0.0f, 92.0f), juce::Justification::centred, 12.0f);
}

void drawSwitchCaptions (juce::Graphics& g)
{
    const auto speed = placed ("speedButton").area;
    drawCaption (g, "SPEED", { speed.getCentreX(), speed.getY() - 24.0f });
    drawCaption (g, "SLOW", { speed.getX() - 10.0f, speed.getCentreY() }, juce::Justification::right, 13.0f);
    drawCaption (g, "FAST", { speed.getRight() + 10.0f, speed.getCentreY() }, juce::Justification::left, 13.0f);

    const auto lock = placed ("gainLockButton").area;
    drawPadlock (g, { lock.getX() - 18.0f, lock.getCentreY() - 2.0f }, false);
    drawPadlock (g, { lock.getRight() + 18.0f, lock.getCentreY() - 2.0f }, true);

    const auto power = placed ("powerButton").area;
    drawCaption (g, "POWER", { power.getX() + 106.0f, power.getY() + 4.0f });

    const auto typeA = placed ("typeAButton").area;
    const auto typeF = placed ("typeFButton").area;
    const auto row = typeA.getUnion (typeF);
    drawRecess (g, row.reduced (2.0f, 4.0f).expanded (8.0f, 6.0f), 10.0f, juce::Colours::black.withAlpha (0.12f));
    drawCaption (g, "TYPE", { row.getCentreX(), row.getBottom() + 26.0f });
}

void drawSectionLines (juce::Graphics& g)
{
    // Engraved lines between the filters, the gain and meter section and the tape controls.
    const auto input = placed ("inputGainKnob").area;
    const auto output = placed ("outputGainKnob").area;
    const auto hpf = placed ("hpfKnob").area;
    const auto bias = placed ("biasKnob").area;
    const auto top = hpf.getY() - 40.0f;
    const auto bottom = placed ("lpfKnob").area.getBottom() - 10.0f;

    for (const auto x : { 0.5f * (hpf.getRight() + input.getX()) + 30.0f, 0.5f * (output.getRight() + bias.getX()) })
    {
        const juce::Line<float> line { x, top, x, bottom };
        g.setColour (juce::Colours::black.withAlpha (0.30f));
        g.drawLine (line, 1.4f);
        g.setColour (juce::Colours::white.withAlpha (0.40f));
        g.drawLine (line.getStartX() + 1.4f, line.getStartY(), line.getEndX() + 1.4f, line.getEndY(), 1.0f);
    }
}

void drawScrews (juce::Graphics& g)
{
    // The corners above, and half-way down the sides (the power key takes the lower left corner).
    const juce::Point<float> positions[] { { 32.0f, 34.0f }, { (float) panelWidth - 32.0f, 34.0f },
                                           { 32.0f, 500.0f }, { (float) panelWidth - 32.0f, 500.0f } };
    const float slots[] { 28.0f, -52.0f, 71.0f, 12.0f };

    for (size_t i = 0; i < std::size (positions); ++i)
        drawScrew (g, positions[i], 9.0f, slots[i]);
}

// The maker's mark: a tape reel with three windows and a hub.
juce::Path reelMark (juce::Point<float> centre, float radius)
{
    juce::Path reel;
    reel.addEllipse (centre.x - radius, centre.y - radius, 2.0f * radius, 2.0f * radius);

    for (int i = 0; i < 3; ++i)
    {
        const auto window = polar (centre, radius * 0.54f, 120.0f * (float) i);
        const auto r = radius * 0.29f;
        reel.addEllipse (window.x - r, window.y - r, 2.0f * r, 2.0f * r);
    }

    const auto hub = radius * 0.11f;
    reel.addEllipse (centre.x - hub, centre.y - hub, 2.0f * hub, 2.0f * hub);
    reel.setUsingNonZeroWinding (false);
    return reel;
}

// The maker's badge over the meters.
void drawBadge (juce::Graphics& g)
{
    const auto meters = placed ("vuLeft").area;
    const juce::Rectangle<float> badge { meters.getCentreX() - 290.0f, 62.0f, 580.0f, 100.0f };
    const auto shape = roundedRect (badge, 8.0f);

    drawShadow (g, shape, shadowOffset (3.0f), 3.0f, juce::Colours::black.withAlpha (0.5f));
    juce::ColourGradient anodised (juce::Colour (0xff2a2b2f), badge.getTopLeft(), juce::Colour (0xff111113),
                                   badge.getBottomLeft(), false);
    g.setGradientFill (anodised);
    g.fillPath (shape);
    drawBevel (g, shape, 2.0f, 0.5f, true);

    const juce::Colour silver (0xffd9dbde);
    g.setColour (silver);
    g.fillPath (reelMark ({ badge.getX() + 62.0f, badge.getCentreY() }, 30.0f));

    drawText (g, "TAVORIN", { badge.getX() + 118.0f, badge.getY() + 42.0f }, 34.0f, 0.42f, juce::Justification::left);
    g.setColour (silver.withAlpha (0.75f));
    drawText (g, "PRO V3   ANALOGUE TAPE MACHINE", { badge.getX() + 120.0f, badge.getY() + 77.0f }, 11.0f, 0.32f,
              juce::Justification::left);

    for (const auto x : { badge.getX() + 14.0f, badge.getRight() - 14.0f })
        drawScrew (g, { x, badge.getCentreY() }, 5.5f, x > badge.getCentreX() ? 40.0f : -20.0f);
}
} // namespace

juce::Image drawPanel()
{
    juce::Image panel (juce::Image::RGB, panelWidth, panelHeight, true);
    paintBrushedMetal (panel, panel.getBounds(), aluminium, 7);

    juce::Graphics g (panel);
    drawPanelEdges (g);
    drawSectionLines (g);
    drawBadge (g);
    drawMeterHousing (g);
    drawKnobScales (g);
    drawSwitchCaptions (g);
    drawScrews (g);
    drawBottomStrip (g);
    return panel;
}

juce::Image drawLogo()
{
    juce::Image logo (juce::Image::ARGB, 92, 86, true);
    juce::Graphics g (logo);
    g.setColour (juce::Colours::white);
    g.fillPath (reelMark ({ 46.0f, 43.0f }, 41.0f));
    return logo;
}
} // namespace pictures
