// The embedded pictures and font: their sizes and frame order, the panel's calm bottom row, and that
// they are exactly what the generator draws.

#include "BinaryData.h"
#include "resources/pictures/PictureSet.h"

#include <juce_graphics/juce_graphics.h>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

namespace
{
using namespace pictures;

juce::Image decode (const char* resourceName)
{
    int size = 0;
    const auto* data = BinaryData::getNamedResource (resourceName, size);
    return data != nullptr ? juce::ImageFileFormat::loadFrom (data, (size_t) size) : juce::Image();
}

float luminance (juce::Colour c)
{
    return c.getFloatAlpha() * (0.2126f * (float) c.getRed() + 0.7152f * (float) c.getGreen() + 0.0722f * (float) c.getBlue());
}

// Where a pointer can be: between inner and outer from centre, at most maxDegrees either side of
// 12 o'clock.
struct Sector
{
    juce::Point<float> centre;
    float inner, outer, maxDegrees;
};

// The direction, in degrees clockwise from 12 o'clock, of the pixels of one frame that lie in the
// sector and pass the test; none when no pixel does.
template <typename Test>
std::optional<float> directionOf (const juce::Image& strip, int frame, int frameHeight, const Sector& sector, Test&& test)
{
    const juce::Image::BitmapData pixels (strip, juce::Image::BitmapData::readOnly);
    double sumX = 0.0, sumY = 0.0;
    int count = 0;

    for (int y = 0; y < frameHeight; ++y)
    {
        for (int x = 0; x < pixels.width; ++x)
        {
            const auto dx = (float) x + 0.5f - sector.centre.x;
            const auto dy = (float) y + 0.5f - sector.centre.y;
            const auto d = std::hypot (dx, dy);
            const auto degrees = juce::radiansToDegrees (std::atan2 (dx, -dy));

            if (d < sector.inner || d > sector.outer || std::abs (degrees) > sector.maxDegrees
                || ! test (pixels.getPixelColour (x, frame * frameHeight + y)))
                continue;

            sumX += dx / d;
            sumY += dy / d;
            ++count;
        }
    }

    if (count == 0)
        return std::nullopt;

    return (float) juce::radiansToDegrees (std::atan2 (sumX, -sumY));
}

// Each frame's direction, checked to rise strictly from first to last.
template <typename Direction>
void expectSweep (int frames, float firstDegrees, float lastDegrees, float tolerance, Direction&& direction)
{
    std::optional<float> previous;

    for (int frame = 0; frame < frames; ++frame)
    {
        const auto degrees = direction (frame);
        ASSERT_TRUE (degrees.has_value()) << "frame " << frame << " shows no pointer";

        if (previous.has_value())
        {
            EXPECT_GT (*degrees, *previous) << "frame " << frame;
        }

        previous = degrees;
    }

    EXPECT_NEAR (*direction (0), firstDegrees, tolerance);
    EXPECT_NEAR (*direction (frames - 1), lastDegrees, tolerance);
}
} // namespace

TEST (Pictures, EveryPictureDecodesWithItsFrameSizeAndCount)
{
    for (const auto& spec : allPictures)
    {
        SCOPED_TRACE (spec.resourceName);
        const auto image = decode (spec.resourceName);
        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), spec.frameWidth);
        EXPECT_EQ (image.getHeight(), spec.frameHeight * spec.frames);

        if (spec.opaque)
        {
            const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
            int transparent = 0;

            for (int y = 0; y < pixels.height; y += 7)
                for (int x = 0; x < pixels.width; ++x)
                    transparent += pixels.getPixelColour (x, y).getAlpha() < 255 ? 1 : 0;

            EXPECT_EQ (transparent, 0);
        }
    }
}

TEST (Pictures, KnobPointersSweepTheRotaryArcFrameByFrame)
{
    const struct { const char* resourceName; KnobGeometry geometry; } knobs[] {
        { "Bias_x129_png", mediumKnob },      { "Comp_x129_png", mediumKnob },  { "HighPass_x129_png", mediumKnob },
        { "LowPass_x129_png", mediumKnob },   { "Crosswalk_x129_png", smallKnob }, { "Input_129_png", largeKnob },
        { "Output_129_png", largeKnob },
    };

    for (const auto& knob : knobs)
    {
        SCOPED_TRACE (knob.resourceName);
        const auto strip = decode (knob.resourceName);
        const auto frameHeight = findPicture (knob.resourceName)->frameHeight;
        const auto& k = knob.geometry;

        // The pointer is the only near-white paint on the skirt.
        expectSweep (knobFrames, knobStartDegrees, knobEndDegrees, 1.5f, [&] (int frame)
        {
            const Sector skirt { { k.centreX, k.centreY }, k.pointerInner + 1.0f, k.pointerOuter - 1.0f, 180.0f };
            return directionOf (strip, frame, frameHeight, skirt, [] (juce::Colour c) { return luminance (c) > 190.0f; });
        });
    }
}

TEST (Pictures, VuNeedlesTravelFromRestToTheRightEnd)
{
    for (const auto* name : { "VU1_x76_png", "VU2_x76_png" })
    {
        SCOPED_TRACE (name);
        const auto strip = decode (name);

        // Between the pivot cover and the scale only the black needle crosses the cream face.
        expectSweep (meterFrames, meter.restDegrees, meter.endDegrees, 1.0f, [&] (int frame)
        {
            const Sector face { { meter.pivotX, meter.pivotY }, meter.clearInner, meter.clearOuter, meter.endDegrees + 4.0f };
            return directionOf (strip, frame, findPicture (name)->frameHeight, face,
                                [] (juce::Colour c) { return luminance (c) < 90.0f; });
        });
    }
}

TEST (Pictures, LitFramesAreBrighterThanUnlitOnes)
{
    for (const auto& spec : allPictures)
    {
        if (spec.frames != 2)
            continue;

        SCOPED_TRACE (spec.resourceName);
        const auto image = decode (spec.resourceName);
        const juce::Image::BitmapData pixels (image, juce::Image::BitmapData::readOnly);
        double brightness[2] {};

        for (int frame : { unlitFrame, litFrame })
            for (int y = 0; y < spec.frameHeight; ++y)
                for (int x = 0; x < spec.frameWidth; ++x)
                    brightness[frame] += luminance (pixels.getPixelColour (x, frame * spec.frameHeight + y));

        EXPECT_GT (brightness[litFrame], 1.1 * brightness[unlitFrame]);
    }
}

TEST (Pictures, TheBottomRowIsDarkAndEvenForTheInfoLineAndBypass)
{
    const auto panel = decode ("Tape_Machine_BG_png");
    ASSERT_TRUE (panel.isValid());
    const juce::Image::BitmapData pixels (panel, juce::Image::BitmapData::readOnly);

    // Design rows 467 to 493, where white text at 70 % stands on the panel.
    const auto top = (int) panelY ((float) bottomRowTop);
    const auto bottom = (int) panelY ((float) bottomRowTop + 26.0f);
    double sum = 0.0, sumOfSquares = 0.0;
    int count = 0;

    for (int y = top; y < bottom; ++y)
    {
        for (int x = 0; x < pixels.width; ++x)
        {
            const auto l = (double) luminance (pixels.getPixelColour (x, y));
            sum += l;
            sumOfSquares += l * l;
            ++count;
        }
    }

    const auto mean = sum / count;
    EXPECT_LT (mean, 50.0);
    EXPECT_LT (std::sqrt (sumOfSquares / count - mean * mean), 6.0);
}

TEST (Pictures, EmbeddedPicturesAreExactlyWhatTheGeneratorDraws)
{
    // A second run of the generator must give the embedded bytes again: the pictures are made
    // here, and the same inputs always make the same files.
    const auto folder = juce::File::createTempFile ("pictures");
    juce::ChildProcess generator;
    ASSERT_TRUE (generator.start (juce::StringArray { TAVORIN_PICTURE_GENERATOR, folder.getFullPathName(), TAVORIN_PANEL_FONT }));
    ASSERT_TRUE (generator.waitForProcessToFinish (180000));
    ASSERT_EQ (generator.getExitCode(), 0u);

    for (const auto& spec : allPictures)
    {
        SCOPED_TRACE (spec.resourceName);
        juce::MemoryBlock drawn;
        ASSERT_TRUE (folder.getChildFile (spec.fileName).loadFileAsData (drawn));

        int size = 0;
        const auto* embedded = BinaryData::getNamedResource (spec.resourceName, size);
        ASSERT_NE (embedded, nullptr);
        EXPECT_TRUE (drawn == juce::MemoryBlock (embedded, (size_t) size));
    }

    folder.deleteRecursively();
}

TEST (Pictures, TheEmbeddedFontLoadsAsASemiBoldTypeface)
{
    ASSERT_GT (BinaryData::VogieSemiBoldExpanded_ttfSize, 0);
    const auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::VogieSemiBoldExpanded_ttf,
                                                                   (size_t) BinaryData::VogieSemiBoldExpanded_ttfSize);
    ASSERT_NE (typeface, nullptr);
    EXPECT_EQ (typeface->getStyle(), "SemiBold");

    // It draws the oversampling box's texts.
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (juce::Font (typeface).withHeight (20.0f), "off 2x 4x 8x", 0.0f, 0.0f);
    juce::Path outline;
    glyphs.createPath (outline);
    EXPECT_GT (outline.getBounds().getWidth(), 50.0f);
}
