// tavorin-contact-sheet OUTPUT.png [PICTURE_FOLDER]
// Draws every picture of the editor on one sheet: the panel at the 967 x 502 design size with each
// control at its place (once at frame 0, once lit or half-way), the knob strips' frames 0, 32, 64,
// 96 and 128, the VU frames 0, 38 and 75, and both frames of every button and switch. The pictures
// come from the embedded resources, or from PICTURE_FOLDER (a generator's output) when given.

#include "BinaryData.h"
#include "resources/pictures/PictureSet.h"

#include <juce_events/juce_events.h>
#include <juce_graphics/juce_graphics.h>

#include <iostream>
#include <vector>

namespace
{
using pictures::PictureSpec;

constexpr int margin = 24;
constexpr int labelHeight = 22;
const juce::Colour sheetColour (0xff2b2c2f);
const juce::Colour panelTone (0xffb8babd); // what the controls stand on

juce::Font labelFont;

juce::Image loadPicture (const PictureSpec& spec, const juce::File& folder)
{
    if (folder != juce::File())
        return juce::ImageFileFormat::loadFrom (folder.getChildFile (spec.fileName));

    int size = 0;
    const auto* data = BinaryData::getNamedResource (spec.resourceName, size);
    return data != nullptr ? juce::ImageFileFormat::loadFrom (data, (size_t) size) : juce::Image();
}

struct Pictures
{
    explicit Pictures (const juce::File& folder)
    {
        for (const auto& spec : pictures::allPictures)
            images.push_back (loadPicture (spec, folder));
    }

    const juce::Image& operator[] (const char* resourceName) const
    {
        return images[(size_t) (pictures::findPicture (resourceName) - pictures::allPictures.data())];
    }

    std::vector<juce::Image> images;
};

juce::Rectangle<int> frameArea (const PictureSpec& spec, int frame)
{
    return { 0, frame * spec.frameHeight, spec.frameWidth, spec.frameHeight };
}

void drawFrame (juce::Graphics& g, const juce::Image& strip, const PictureSpec& spec, int frame,
                juce::Rectangle<float> target)
{
    const auto source = frameArea (spec, frame);
    g.setOpacity (1.0f);
    g.drawImage (strip, juce::roundToInt (target.getX()), juce::roundToInt (target.getY()),
                 juce::roundToInt (target.getWidth()), juce::roundToInt (target.getHeight()), source.getX(),
                 source.getY(), source.getWidth(), source.getHeight());
}

void drawLabel (juce::Graphics& g, const juce::String& text, juce::Point<int> topLeft)
{
    g.setColour (juce::Colours::white.withAlpha (0.8f));
    g.setFont (labelFont);
    g.drawText (text, topLeft.x, topLeft.y, 600, labelHeight, juce::Justification::centredLeft);
}

// The frame a control shows in the second panel: lit, or half-way through its travel.
int showcaseFrame (const PictureSpec& spec)
{
    if (spec.frames == 2)
        return pictures::litFrame;

    return spec.frames == pictures::knobFrames ? 64 : 38;
}

// The editor's design: black top bar, the panel at half size below it, every control at its place.
void drawDesign (juce::Graphics& g, const Pictures& all, juce::Point<int> origin, bool showcase)
{
    using namespace pictures;
    juce::Graphics::ScopedSaveState state (g);
    g.setOrigin (origin);
    g.reduceClipRegion (0, 0, designWidth, designHeight);
    g.fillAll (juce::Colours::black);

    g.setColour (juce::Colours::white.withAlpha (0.7f));
    g.setFont (labelFont);
    g.drawText (showcase ? "lit / half-way frames" : "frame 0", 17, 16, 400, 30, juce::Justification::centredLeft);

    const auto& panel = all["Tape_Machine_BG_png"];
    g.setOpacity (1.0f);
    g.drawImage (panel, 0, panelTop, designWidth, designHeight - panelTop, 0, 0, panel.getWidth(), panel.getHeight());

    for (const auto& place : controlPlaces)
    {
        const auto& spec = *findPicture (place.resourceName);
        juce::Graphics::ScopedSaveState controlState (g);
        g.reduceClipRegion (place.x, place.y, place.width, place.height);
        drawFrame (g, all[place.resourceName], spec, showcase ? showcaseFrame (spec) : 0,
                   juce::Rectangle<int> (place.x, place.y, place.drawnWidth, place.drawnHeight).toFloat());
    }
}

// One row of frames of one picture at their own pixel size, on the panel's colour.
int drawFrames (juce::Graphics& g, const Pictures& all, const char* resourceName, std::initializer_list<int> frames,
                juce::Point<int> origin)
{
    const auto& spec = *pictures::findPicture (resourceName);
    juce::String label (resourceName);
    label << "  frames";

    for (const auto frame : frames)
        label << " " << frame;

    drawLabel (g, label, origin);
    auto x = origin.x;
    const auto y = origin.y + labelHeight;

    for (const auto frame : frames)
    {
        g.setColour (panelTone);
        g.fillRect (x, y, spec.frameWidth, spec.frameHeight);
        drawFrame (g, all[resourceName], spec, frame, juce::Rectangle<int> (x, y, spec.frameWidth, spec.frameHeight).toFloat());
        x += spec.frameWidth + 8;
    }

    return x - origin.x;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::cerr << "usage: tavorin-contact-sheet OUTPUT.png [PICTURE_FOLDER]\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const auto cwd = juce::File::getCurrentWorkingDirectory();
    const auto output = cwd.getChildFile (argv[1]);
    const auto folder = argc == 3 ? cwd.getChildFile (argv[2]) : juce::File();
    const Pictures all (folder);

    for (size_t i = 0; i < all.images.size(); ++i)
    {
        if (! all.images[i].isValid())
        {
            std::cerr << "tavorin-contact-sheet: cannot decode " << pictures::allPictures[i].fileName << "\n";
            return 1;
        }
    }

    labelFont = juce::Font (juce::Typeface::createSystemTypefaceFor (BinaryData::VogieSemiBoldExpanded_ttf,
                                                                      (size_t) BinaryData::VogieSemiBoldExpanded_ttfSize))
                    .withHeight (15.0f);

    const int width = 2 * pictures::designWidth + 3 * margin;
    const int height = 2520;
    juce::Image sheet (juce::Image::RGB, width, height, true);
    juce::Graphics g (sheet);
    g.fillAll (sheetColour);

    drawDesign (g, all, { margin, margin }, false);
    drawDesign (g, all, { 2 * margin + pictures::designWidth, margin }, true);

    auto y = 2 * margin + pictures::designHeight;
    const auto knobRow = [&] (const char* left, const char* right, int rowHeight)
    {
        drawFrames (g, all, left, { 0, 32, 64, 96, 128 }, { margin, y });

        if (right != nullptr)
            drawFrames (g, all, right, { 0, 32, 64, 96, 128 }, { width / 2 + margin / 2, y });

        y += labelHeight + rowHeight + 12;
    };

    knobRow ("Bias_x129_png", "Comp_x129_png", 155);
    knobRow ("HighPass_x129_png", "LowPass_x129_png", 155);
    knobRow ("Input_129_png", "Output_129_png", 166);
    knobRow ("Crosswalk_x129_png", nullptr, 114);

    for (const auto* vu : { "VU1_x76_png", "VU2_x76_png" })
    {
        drawFrames (g, all, vu, { 0, 38, 75 }, { margin, y });
        y += labelHeight + 190 + 12;
    }

    auto x = margin;
    auto rowTop = y;
    for (const auto* button : { "TypeA_png", "TypeB_png", "TypeC_png", "TypeD_png", "TypeE_png", "TypeF_png" })
    {
        drawFrames (g, all, button, { 0, 1 }, { x, rowTop });
        x += 2 * (165 + 8) + margin;

        if (x + 2 * 173 > width)
        {
            x = margin;
            rowTop += labelHeight + 78 + 12;
        }
    }

    y = rowTop + labelHeight + 78 + 12;
    x = margin;
    for (const auto* control : { "Speed_png", "Switch_png", "Power_png", "VX_W_Logo_png" })
    {
        const auto& spec = *pictures::findPicture (control);
        x += drawFrames (g, all, control, spec.frames == 2 ? std::initializer_list<int> { 0, 1 } : std::initializer_list<int> { 0 },
                         { x, y })
           + margin;
    }

    g.setColour (juce::Colours::black);
    g.fillRect (x, y + labelHeight, 92 + 16, 86 + 16);
    const auto& logoSpec = *pictures::findPicture ("VX_W_Logo_png");
    drawFrame (g, all["VX_W_Logo_png"], logoSpec, 0, juce::Rectangle<int> (x + 8, y + labelHeight + 8, 92, 86).toFloat());

    juce::MemoryOutputStream png;

    if (! juce::PNGImageFormat().writeImageToStream (sheet.getClippedImage ({ 0, 0, width, y + labelHeight + 206 + margin }), png)
        || ! output.replaceWithData (png.getData(), png.getDataSize()))
    {
        std::cerr << "tavorin-contact-sheet: cannot write " << argv[1] << "\n";
        return 1;
    }

    std::cout << output.getFullPathName() << "\n";
    return 0;
}
