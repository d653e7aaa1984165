// tavorin-pictures OUTPUT_FOLDER FONT_FILE
// Draws every picture of the editor and writes it as PNG into OUTPUT_FOLDER. The panel's captions
// use FONT_FILE. The same inputs always give the same bytes.

#include "Knobs.h"
#include "Materials.h"
#include "Meters.h"
#include "Panel.h"
#include "PictureSet.h"
#include "PngFile.h"
#include "Switches.h"

#include <juce_events/juce_events.h>

#include <functional>
#include <iostream>
#include <map>
#include <string>

namespace
{
using Painter = std::function<juce::Image()>;

std::map<std::string, Painter> painters()
{
    using namespace pictures;

    const auto knob = [] (KnobGeometry geometry, const char* name, uint32_t seed)
    {
        const auto* spec = findPicture (name);
        return [=] { return drawKnobStrip ({ geometry, juce::Colour (0xfff2f2f2) }, spec->frameWidth, spec->frameHeight, seed); };
    };

    std::map<std::string, Painter> all {
        { "Tape_Machine_BG_png", [] { return drawPanel(); } },
        { "Bias_x129_png", knob (mediumKnob, "Bias_x129_png", 11) },
        { "Comp_x129_png", knob (mediumKnob, "Comp_x129_png", 12) },
        { "HighPass_x129_png", knob (mediumKnob, "HighPass_x129_png", 13) },
        { "LowPass_x129_png", knob (mediumKnob, "LowPass_x129_png", 14) },
        { "Crosswalk_x129_png", knob (smallKnob, "Crosswalk_x129_png", 15) },
        { "Input_129_png", knob (largeKnob, "Input_129_png", 16) },
        { "Output_129_png", knob (largeKnob, "Output_129_png", 17) },
        { "VU1_x76_png", [] { return drawMeterStrip ("L"); } },
        { "VU2_x76_png", [] { return drawMeterStrip ("R"); } },
        { "Speed_png", [] { return drawSpeedSwitch(); } },
        { "Switch_png", [] { return drawLockSwitch(); } },
        { "Power_png", [] { return drawPowerSwitch(); } },
        { "VX_W_Logo_png", [] { return drawLogo(); } },
    };

    for (const auto letter : { "A", "B", "C", "D", "E", "F" })
        all[std::string ("Type") + letter + "_png"] = [letter] { return drawTypeButton (letter); };

    return all;
}

} // namespace

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::cerr << "usage: tavorin-pictures OUTPUT_FOLDER FONT_FILE\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const juce::File folder (juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]));
    pictures::loadPanelFont (juce::File::getCurrentWorkingDirectory().getChildFile (argv[2]));

    if (! pictures::panelFontLoaded())
    {
        std::cerr << "tavorin-pictures: cannot load the font " << argv[2] << "\n";
        return 1;
    }

    if (! folder.createDirectory())
    {
        std::cerr << "tavorin-pictures: cannot create " << argv[1] << "\n";
        return 1;
    }

    const auto all = painters();

    for (const auto& spec : pictures::allPictures)
    {
        const auto painter = all.find (spec.resourceName);
        const auto image = painter != all.end() ? painter->second() : juce::Image();

        if (image.getWidth() != spec.frameWidth || image.getHeight() != spec.frameHeight * spec.frames)
        {
            std::cerr << "tavorin-pictures: " << spec.resourceName << " has the wrong size\n";
            return 1;
        }

        if (! pictures::writePng (image, folder.getChildFile (spec.fileName)))
        {
            std::cerr << "tavorin-pictures: cannot write " << spec.fileName << "\n";
            return 1;
        }
    }

    return 0;
}
