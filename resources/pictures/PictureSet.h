#pragma once

// The embedded pictures: their names, sizes and frame counts, the geometry the generator draws them
// with, and where each control stands on the panel. Plain data, shared by the generator, the
// contact-sheet tool and the tests.

#include <array>
#include <cstddef>

namespace pictures
{
// One picture file: frames of frameWidth x frameHeight stacked vertically, frame 0 at the top.
struct PictureSpec
{
    const char* resourceName;
    const char* fileName;
    int frameWidth;
    int frameHeight;
    int frames;
    bool opaque; // covers its whole frame: no pixel is transparent
};

// Two-frame pictures: top frame unlit, bottom frame lit.
inline constexpr int unlitFrame = 0;
inline constexpr int litFrame = 1;

inline constexpr int knobFrames = 129;
inline constexpr int meterFrames = 76;

inline constexpr std::array<PictureSpec, 20> allPictures { {
    { "Tape_Machine_BG_png", "Tape_Machine_BG.png", 1934, 880, 1, true },
    { "Bias_x129_png", "Bias_x129.png", 156, 155, knobFrames, false },
    { "Comp_x129_png", "Comp_x129.png", 156, 155, knobFrames, false },
    { "HighPass_x129_png", "HighPass_x129.png", 156, 155, knobFrames, false },
    { "LowPass_x129_png", "LowPass_x129.png", 156, 155, knobFrames, false },
    { "Crosswalk_x129_png", "Crosswalk_x129.png", 101, 114, knobFrames, false },
    { "Input_129_png", "Input_129.png", 167, 166, knobFrames, false },
    { "Output_129_png", "Output_129.png", 167, 166, knobFrames, false },
    { "VU1_x76_png", "VU1_x76.png", 355, 190, meterFrames, true },
    { "VU2_x76_png", "VU2_x76.png", 355, 190, meterFrames, true },
    { "TypeA_png", "TypeA.png", 165, 78, 2, false },
    { "TypeB_png", "TypeB.png", 165, 78, 2, false },
    { "TypeC_png", "TypeC.png", 165, 78, 2, false },
    { "TypeD_png", "TypeD.png", 165, 78, 2, false },
    { "TypeE_png", "TypeE.png", 165, 78, 2, false },
    { "TypeF_png", "TypeF.png", 165, 78, 2, false },
    { "Speed_png", "Speed.png", 103, 52, 2, false },
    { "Switch_png", "Switch.png", 73, 39, 2, false },
    { "Power_png", "Power.png", 206, 206, 2, false },
    { "VX_W_Logo_png", "VX_W_Logo.png", 92, 86, 1, false },
} };

//==============================================================================
// Knobs: the pointer sweeps the rotary arc clockwise, frame 0 at the start. The arc is the slider's
// default one (1.2 pi to 2.8 pi), in degrees clockwise from 12 o'clock.
inline constexpr float knobStartDegrees = -144.0f;
inline constexpr float knobEndDegrees = 144.0f;

inline constexpr float knobDegreesForFrame (int frame)
{
    return knobStartDegrees + (knobEndDegrees - knobStartDegrees) * (float) frame / (float) (knobFrames - 1);
}

// A knob family's geometry in its frame's pixels. The skirt's outer rim carries the grip ridges;
// the pointer line runs from pointerInner to pointerOuter on the skirt, between the cap and the rim.
struct KnobGeometry
{
    float centreX, centreY;
    float skirtRadius;
    float capRadius;
    float pointerInner, pointerOuter;
    int ridges; // grip ridges around the skirt
};

inline constexpr KnobGeometry largeKnob { 83.5f, 80.0f, 64.0f, 43.0f, 47.0f, 57.0f, 60 };
inline constexpr KnobGeometry mediumKnob { 78.0f, 75.0f, 59.0f, 39.0f, 43.0f, 52.5f, 54 };
// The editor shows only the left 90 pixels of the crosstalk frame: the knob and its shadow fit there.
inline constexpr KnobGeometry smallKnob { 45.0f, 54.0f, 35.0f, 23.0f, 25.5f, 30.5f, 36 };

//==============================================================================
// VU meters: the needle turns about a pivot below the face; frame f shows the needle at fraction
// f / 75 of its travel, which is linear in amplitude (the printed +3 VU at full travel).
struct MeterGeometry
{
    float pivotX, pivotY;
    float needleLength;
    float restDegrees, endDegrees; // clockwise from 12 o'clock
    float clearInner, clearOuter;  // a band of the face where only the needle passes
};

inline constexpr MeterGeometry meter { 177.5f, 214.0f, 160.0f, -52.0f, 52.0f, 84.0f, 104.0f };

inline constexpr float meterDegreesForFrame (int frame)
{
    return meter.restDegrees + (meter.endDegrees - meter.restDegrees) * (float) frame / (float) (meterFrames - 1);
}

//==============================================================================
// The panel: the editor draws the background into y 62 to 502 of its 967 x 502 design at half size,
// so a control at design (x, y) stands at background pixel (2 x, 2 (y - 62)).
inline constexpr int designWidth = 967;
inline constexpr int designHeight = 502;
inline constexpr int panelTop = 62;
inline constexpr int panelScale = 2;
inline constexpr int bottomRowTop = 467; // the info line and the BYPASS button lie over this row

inline constexpr float panelX (float designX) { return designX * (float) panelScale; }
inline constexpr float panelY (float designY) { return (designY - (float) panelTop) * (float) panelScale; }

// A control: its rectangle in design units and the size its picture is drawn at (from the top-left).
struct ControlPlace
{
    const char* name;
    const char* resourceName;
    int x, y, width, height;
    int drawnWidth, drawnHeight;
};

inline constexpr std::array<ControlPlace, 18> controlPlaces { {
    { "biasKnob", "Bias_x129_png", 740, 189, 78, 77, 78, 77 },
    { "compKnob", "Comp_x129_png", 740, 307, 78, 77, 78, 77 },
    { "crosstalkKnob", "Crosswalk_x129_png", 862, 253, 45, 60, 50, 57 },
    { "lpfKnob", "LowPass_x129_png", 147, 307, 78, 77, 78, 77 },
    { "hpfKnob", "HighPass_x129_png", 147, 189, 78, 77, 78, 77 },
    { "inputGainKnob", "Input_129_png", 272, 234, 83, 83, 83, 83 },
    { "outputGainKnob", "Output_129_png", 614, 234, 83, 83, 83, 83 },
    { "typeAButton", "TypeA_png", 237, 397, 82, 39, 82, 39 },
    { "typeBButton", "TypeB_png", 320, 397, 82, 39, 82, 39 },
    { "typeCButton", "TypeC_png", 402, 397, 82, 39, 82, 39 },
    { "typeDButton", "TypeD_png", 485, 397, 82, 39, 82, 39 },
    { "typeEButton", "TypeE_png", 567, 397, 82, 39, 82, 39 },
    { "typeFButton", "TypeF_png", 650, 397, 82, 39, 82, 39 },
    { "speedButton", "Speed_png", 859, 403, 51, 26, 51, 26 },
    { "gainLockButton", "Switch_png", 294, 337, 36, 19, 36, 19 },
    { "powerButton", "Power_png", -3, 364, 103, 103, 103, 103 },
    { "vuLeft", "VU1_x76_png", 395, 179, 176, 95, 176, 95 },
    { "vuRight", "VU2_x76_png", 395, 284, 176, 95, 176, 95 },
} };

inline constexpr const PictureSpec* findPicture (const char* resourceName)
{
    for (const auto& picture : allPictures)
    {
        const char* a = picture.resourceName;
        const char* b = resourceName;

        while (*a != 0 && *a == *b)
            ++a, ++b;

        if (*a == *b)
            return &picture;
    }

    return nullptr;
}

inline constexpr const ControlPlace* findPlace (const char* name)
{
    for (const auto& place : controlPlaces)
    {
        const char* a = place.name;
        const char* b = name;

        while (*a != 0 && *a == *b)
            ++a, ++b;

        if (*a == *b)
            return &place;
    }

    return nullptr;
}
} // namespace pictures
