#pragma once

#include "dsp/TapeType.h"

#include <juce_dsp/juce_dsp.h>

// How each (type, speed) slot loads its embedded impulse response and how hard its chain drives it.
namespace TapeSlotTable
{
using Convolution = juce::dsp::Convolution;

struct Slot
{
    const char* resource; // BinaryData name
    Convolution::Stereo stereo;
    Convolution::Trim trim;
    size_t frames; // read from the file; 0 reads all of it
    Convolution::Normalise normalise;
    float drive;  // linear, before the saturation
    float makeup; // linear, at the end of the chain
};

inline constexpr auto perChannel = Convolution::Stereo::yes;  // each channel its own, if the file has two
inline constexpr auto firstChannel = Convolution::Stereo::no; // the file's first channel for both
inline constexpr auto trim = Convolution::Trim::yes;
inline constexpr auto keep = Convolution::Trim::no;
inline constexpr auto normalise = Convolution::Normalise::yes;
inline constexpr auto asIs = Convolution::Normalise::no;

// In slot order: types A to F at Slow, then types A to F at Fast.
// resource, channels, trim, frames, normalise, drive, make-up
inline constexpr Slot slots[TapeSlots::numSlots] = {
    { "typeA_75_ir_wav", perChannel, keep, 0, asIs, 0.18f, 1.9f },
    { "studerA812_gain4_2_wav", firstChannel, trim, 0, normalise, 1.8f, 5.7f },
    { "Studer_A80_IR_7_5_wav", perChannel, trim, 2, normalise, 4.5f, 2.7f },
    { "Teac_3_34_ips_2_wav", perChannel, trim, 0, normalise, 1.5f, 4.4f },
    { "telefunken_m20_6_dc_96_wav", firstChannel, trim, 2, normalise, 1.5f, 7.9f },
    { "B77_7_5__96_wav", perChannel, keep, 10, normalise, 3.0f, 3.0f },
    { "typeA_15_ir_wav", perChannel, trim, 0, normalise, 0.9f, 12.0f },
    { "studerA812_gain1_2_wav", firstChannel, trim, 0, asIs, 1.5f, 2.4f },
    { "Studer_A80_IR_15a_wav", firstChannel, trim, 2, normalise, 1.5f, 8.9f },
    { "Teac_7_12_ips_2_wav", perChannel, trim, 0, normalise, 1.5f, 5.6f },
    { "telefunken_m20_6_dc_96_30ips_wav", firstChannel, trim, 2, normalise, 1.5f, 7.9f },
    { "B77_3_75_96_wav", perChannel, trim, 10, normalise, 1.5f, 5.8f },
};

// The slot whose response is `resource`, or nullptr.
inline const Slot* findByResource (const char* resource) noexcept
{
    for (const auto& slot : slots)
        if (juce::String (slot.resource) == resource)
            return &slot;

    return nullptr;
}
} // namespace TapeSlotTable
