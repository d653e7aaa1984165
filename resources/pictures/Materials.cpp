#include "Materials.h"

#include <cmath>
#include <vector>

namespace pictures
{
juce::Point<float> shadowOffset (float height)
{
    return -towardsLight * height;
}

//==============================================================================
namespace
{
uint32_t mixBits (uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

float smoothStep (float t)
{
    return t * t * (3.0f - 2.0f * t);
}
} // namespace

float Noise::lattice (int x, int y) const
{
    const auto h = mixBits (seed ^ mixBits ((uint32_t) x * 0x9e3779b1U + mixBits ((uint32_t) y + 0x632be5abU)));
    return (float) (h & 0xffffffU) / (float) 0x7fffffU - 1.0f;
}

float Noise::smooth (float x, float y) const
{
    const auto x0 = (int) std::floor (x);
    const auto y0 = (int) std::floor (y);
    const auto tx = smoothStep (x - (float) x0);
    const auto ty = smoothStep (y - (float) y0);

    const auto top = juce::jmap (tx, lattice (x0, y0), lattice (x0 + 1, y0));
    const auto bottom = juce::jmap (tx, lattice (x0, y0 + 1), lattice (x0 + 1, y0 + 1));
    return juce::jmap (ty, top, bottom);
}

juce::Colour mix (juce::Colour a, juce::Colour b, float t)
{
    return a.interpolatedWith (b, juce::jlimit (0.0f, 1.0f, t));
}

//==============================================================================
namespace
{
juce::Colour scaled (juce::Colour c, float brightness)
{
    const auto channel = [brightness] (juce::uint8 v)
    { return (juce::uint8) juce::jlimit (0, 255, (int) std::lround ((float) v * brightness)); };

    return juce::Colour (channel (c.getRed()), channel (c.getGreen()), channel (c.getBlue()), c.getAlpha());
}
} // namespace

void paintBrushedMetal (juce::Image& image, juce::Rectangle<int> area, const MetalTone& tone, uint32_t seed)
{
    const Noise longStreaks (seed), shortStreaks (seed + 1), speckle (seed + 2);
    const auto width = (float) area.getWidth();
    const auto height = (float) area.getHeight();

    paintPixels (image, area, [&] (float x, float y)
    {
        const auto u = (x - (float) area.getX()) / width;
        const auto v = (y - (float) area.getY()) / height;

        // Streaks run along x: long ones vary slowly, short ones are the finer scratches.
        const auto streak = 0.6f * longStreaks.smooth (x / 310.0f, y / 1.7f)
                          + 0.3f * shortStreaks.smooth (x / 45.0f, y / 0.8f)
                          + 0.1f * speckle.lattice ((int) (x / 3.0f), (int) y);

        // The light's broad reflection across the plate, brightest towards the upper left.
        const auto sheen = 0.7f * std::exp (-std::pow ((u - 0.32f) / 0.38f, 2.0f)) - 0.35f - 0.45f * (v - 0.3f);
        return scaled (tone.base, 1.0f + tone.grain * streak + tone.sheen * sheen);
    });
}

void paintSpunMetal (juce::Image& image, juce::Point<float> centre, float radius, const MetalTone& tone, uint32_t seed)
{
    const Noise rings (seed), fineRings (seed + 1);
    const auto lightAngle = std::atan2 (towardsLight.y, towardsLight.x);
    const auto area = juce::Rectangle<float> (centre.x - radius - 1.0f, centre.y - radius - 1.0f, 2.0f * radius + 2.0f,
                                              2.0f * radius + 2.0f)
                          .getSmallestIntegerContainer();

    paintPixels (image, area, [&] (float x, float y)
    {
        const auto dx = x - centre.x;
        const auto dy = y - centre.y;
        const auto d = std::sqrt (dx * dx + dy * dy);
        const auto coverage = discCoverage (d, radius);

        if (coverage <= 0.0f)
            return juce::Colours::transparentBlack;

        // Turned grooves: a ring pattern that depends on the radius only.
        const auto groove = 0.65f * rings.smooth (d * 0.55f, 0.5f) + 0.35f * fineRings.smooth (d * 2.3f, 7.5f);

        // The cross-shaped sheen of turned metal: bright lobes towards and away from the light.
        const auto phi = std::atan2 (dy, dx) - lightAngle;
        const auto lobes = std::pow (0.5f + 0.5f * std::cos (2.0f * phi), 3.0f) * (0.75f + 0.25f * std::cos (phi));
        const auto falloff = 0.25f + 0.75f * (d / radius);
        const auto shade = 1.0f + tone.grain * groove + tone.sheen * (lobes * falloff - 0.3f)
                         - 0.08f * (dy / radius) * tone.sheen;

        return scaled (tone.base, shade).withMultipliedAlpha (coverage);
    });
}

//==============================================================================
namespace
{
// One-dimensional Gaussian blur of a float buffer, in place, along rows (step 1) or columns.
void blurLines (std::vector<float>& data, int width, int height, float sigma, bool alongRows)
{
    const auto radius = (int) std::ceil (3.0f * sigma);
    std::vector<float> kernel ((size_t) (2 * radius + 1));
    float sum = 0.0f;

    for (int i = -radius; i <= radius; ++i)
        sum += kernel[(size_t) (i + radius)] = std::exp (-0.5f * (float) (i * i) / (sigma * sigma));

    for (auto& k : kernel)
        k /= sum;

    const auto lines = alongRows ? height : width;
    const auto length = alongRows ? width : height;
    const auto step = alongRows ? 1 : width;
    std::vector<float> line ((size_t) length);

    for (int l = 0; l < lines; ++l)
    {
        float* start = data.data() + (alongRows ? l * width : l);

        for (int i = 0; i < length; ++i)
            line[(size_t) i] = start[i * step];

        for (int i = 0; i < length; ++i)
        {
            float acc = 0.0f;

            for (int k = -radius; k <= radius; ++k)
            {
                const auto j = i + k;

                if (j >= 0 && j < length)
                    acc += kernel[(size_t) (k + radius)] * line[(size_t) j];
            }

            start[i * step] = acc;
        }
    }
}

// shape rendered into a coverage mask and blurred, then tinted with colour; returned with the
// position where it belongs.
juce::Image blurredShape (const juce::Path& shape, juce::Point<float> offset, float sigma, juce::Colour colour,
                          juce::Point<int>& topLeft)
{
    const auto area = shape.getBounds().translated (offset.x, offset.y).expanded (3.0f * sigma + 2.0f)
                          .getSmallestIntegerContainer();
    topLeft = area.getPosition();

    juce::Image mask (juce::Image::SingleChannel, area.getWidth(), area.getHeight(), true);
    {
        juce::Graphics g (mask);
        g.setColour (juce::Colours::white);
        g.fillPath (shape, juce::AffineTransform::translation (offset.x - (float) area.getX(),
                                                               offset.y - (float) area.getY()));
    }

    const auto w = area.getWidth();
    const auto h = area.getHeight();
    std::vector<float> coverage ((size_t) (w * h));
    {
        const juce::Image::BitmapData pixels (mask, juce::Image::BitmapData::readOnly);

        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                coverage[(size_t) (y * w + x)] = (float) *pixels.getPixelPointer (x, y) / 255.0f;
    }

    if (sigma > 0.0f)
    {
        blurLines (coverage, w, h, sigma, true);
        blurLines (coverage, w, h, sigma, false);
    }

    juce::Image tinted (juce::Image::ARGB, w, h, true);
    {
        const juce::Image::BitmapData pixels (tinted, juce::Image::BitmapData::writeOnly);

        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels.setPixelColour (x, y, colour.withMultipliedAlpha (juce::jlimit (0.0f, 1.0f, coverage[(size_t) (y * w + x)])));
    }

    return tinted;
}
} // namespace

void drawShadow (juce::Graphics& g, const juce::Path& shape, juce::Point<float> offset, float sigma, juce::Colour colour)
{
    juce::Point<int> topLeft;
    const auto image = blurredShape (shape, offset, sigma, colour, topLeft);

    // Images are drawn with the current colour's alpha: the tint already carries it.
    juce::Graphics::ScopedSaveState state (g);
    g.setOpacity (1.0f);
    g.drawImageAt (image, topLeft.x, topLeft.y);
}

void drawGlow (juce::Graphics& g, const juce::Path& shape, float sigma, juce::Colour colour)
{
    drawShadow (g, shape, {}, sigma, colour);
}

void drawInnerShadow (juce::Graphics& g, const juce::Path& hole, juce::Point<float> offset, float sigma,
                      juce::Colour colour)
{
    // Everything around the hole casts the shadow; only what falls inside the hole is drawn.
    const auto margin = 3.0f * sigma + std::abs (offset.x) + std::abs (offset.y) + 4.0f;
    juce::Path surround;
    surround.addRectangle (hole.getBounds().expanded (margin));
    surround.addPath (hole);
    surround.setUsingNonZeroWinding (false);

    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (hole);
    drawShadow (g, surround, offset, sigma, colour);
}

void drawBevel (juce::Graphics& g, const juce::Path& outline, float thickness, float strength, bool raised)
{
    const auto bounds = outline.getBounds();
    const auto centre = bounds.getCentre();
    const auto reach = 0.5f * std::hypot (bounds.getWidth(), bounds.getHeight());
    const auto lit = juce::Colours::white.withAlpha (strength);
    const auto dark = juce::Colours::black.withAlpha (strength * 1.1f);

    juce::ColourGradient gradient (raised ? lit : dark, centre + towardsLight * reach,
                                   raised ? dark : lit, centre - towardsLight * reach, false);
    gradient.addColour (0.5, juce::Colours::transparentBlack);
    g.setGradientFill (gradient);
    g.strokePath (outline, juce::PathStrokeType (thickness));
}

void drawScrew (juce::Graphics& g, juce::Point<float> centre, float radius, float slotDegrees)
{
    // Countersink in the panel, then the head standing slightly proud of it.
    const auto sink = disc (centre, radius * 1.18f);
    g.setColour (juce::Colour (0xff2a2b2d).withAlpha (0.55f));
    g.fillPath (sink);
    drawBevel (g, sink, 1.2f, 0.45f, false);

    const auto head = disc (centre, radius);
    drawShadow (g, head, shadowOffset (1.5f), 1.5f, juce::Colours::black.withAlpha (0.5f));

    juce::ColourGradient metal (juce::Colour (0xffe4e5e6), centre + towardsLight * radius * 0.8f,
                                juce::Colour (0xff6d6f72), centre - towardsLight * radius, true);
    metal.addColour (0.55, juce::Colour (0xffa9abae));
    g.setGradientFill (metal);
    g.fillPath (head);
    drawBevel (g, head, 1.0f, 0.35f, true);

    // The slot: a groove whose far wall catches the light.
    juce::Path slot;
    const auto slotWidth = radius * 0.28f;
    slot.addRoundedRectangle (-radius * 0.86f, -slotWidth * 0.5f, radius * 1.72f, slotWidth, slotWidth * 0.3f);
    slot.applyTransform (juce::AffineTransform::rotation (juce::degreesToRadians (slotDegrees)).translated (centre));
    g.setColour (juce::Colour (0xff1c1d1f));
    g.fillPath (slot);
    drawInnerShadow (g, slot, shadowOffset (1.0f), 0.8f, juce::Colours::black.withAlpha (0.6f));
    drawBevel (g, slot, 0.8f, 0.4f, false);
}

//==============================================================================
namespace
{
juce::Typeface::Ptr& panelTypeface()
{
    static juce::Typeface::Ptr typeface;
    return typeface;
}

float& capHeightPerFontHeight()
{
    static float ratio = 0.7f;
    return ratio;
}
} // namespace

void loadPanelFont (const juce::File& fontFile)
{
    juce::MemoryBlock data;

    if (! fontFile.loadFileAsData (data))
        return;

    panelTypeface() = juce::Typeface::createSystemTypefaceFor (data.getData(), data.getSize());

    if (panelTypeface() == nullptr)
        return;

    juce::Font probe (panelTypeface());
    probe.setHeight (1.0f);
    juce::GlyphArrangement capital;
    capital.addLineOfText (probe.withHeight (100.0f), "H", 0.0f, 0.0f);
    juce::Path outline;
    capital.createPath (outline);
    capHeightPerFontHeight() = outline.getBounds().getHeight() / 100.0f;
}

bool panelFontLoaded()
{
    return panelTypeface() != nullptr;
}

juce::Font panelFont (float capHeight)
{
    juce::Font font (panelTypeface());
    font.setHeight (capHeight / capHeightPerFontHeight());
    return font;
}

juce::Path textPath (const juce::String& text, float capHeight, float tracking)
{
    auto font = panelFont (capHeight);
    font.setExtraKerningFactor (tracking * capHeight / font.getHeight());

    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (font, text, 0.0f, 0.0f);
    juce::Path path;
    glyphs.createPath (path);
    return path;
}

void drawText (juce::Graphics& g, const juce::String& text, juce::Point<float> centre, float capHeight,
               float tracking, juce::Justification horizontal)
{
    auto path = textPath (text, capHeight, tracking);
    const auto bounds = path.getBounds();

    float x = centre.x - bounds.getCentreX();

    if (horizontal.testFlags (juce::Justification::left))
        x = centre.x - bounds.getX();
    else if (horizontal.testFlags (juce::Justification::right))
        x = centre.x - bounds.getRight();

    path.applyTransform (juce::AffineTransform::translation (x, centre.y + 0.5f * capHeight));
    g.fillPath (path);
}
} // namespace pictures
