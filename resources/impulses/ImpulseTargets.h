// What each designed impulse response must measure: its magnitude at a few frequencies relative to
// 1 kHz, and for the slots that load without normalising, its own gain at 1 kHz. The generator
// refuses to write files that miss these; the resource tests measure the embedded files against them.
#pragma once

#include <array>

namespace impulses
{
struct ResponseTarget
{
    double frequencyHz;
    double relativeDb;  // magnitude at frequencyHz minus magnitude at 1 kHz
    double toleranceDb;
};

struct SlotTarget
{
    const char* resource;               // BinaryData name
    bool negativeGoing;                 // largest sample negative (the bias stage inverts these types)
    std::array<ResponseTarget, 6> response;
    double gainAt1kDb;                  // absolute gain at 1 kHz; only where the slot loads without Normalise
    double gainToleranceDb;             // 0: level not targeted (the loader normalises it)
};

// Small-signal gain of a slot's chain before its response: drive x 2/pi (the arc tangent's slope) x make-up.
constexpr double chainGain (double drive, double makeup) { return drive * 0.63661975 * makeup; }

// The unnormalised slots aim at unity small-signal gain at 1 kHz through their whole chain.
// studerA812_gain1_2 (drive 1.5, make-up 2.4): 1 / 2.2918 = -7.20 dB.
constexpr double studerA812Gain1GainAt1kDb = -7.20;

// clang-format off
inline constexpr std::array<SlotTarget, 6> designedTargets {{
    // resource                  negative   30 Hz             100 Hz            200 Hz            5 kHz             10 kHz            16 kHz
    { "typeA_75_ir_wav",          false, {{ { 30, 0.8, 1.0 }, { 100, 0.8, 1.0 }, { 200, 0.2, 0.8 }, { 5000, -0.1, 0.5 }, { 10000, -1.5, 0.6 }, { 16000, -5.7, 1.0 } }}, 0.0, 0.0 },
    { "typeA_15_ir_wav",          false, {{ { 30, 0.1, 1.0 }, { 100, 1.5, 1.0 }, { 200, -0.1, 0.8 }, { 5000, 0.0, 0.5 }, { 10000, -0.2, 0.6 }, { 16000, -1.3, 1.0 } }}, 0.0, 0.0 },
    { "studerA812_gain4_2_wav",   false, {{ { 30, 0.2, 1.0 }, { 100, 0.6, 1.0 }, { 200, 0.2, 0.8 }, { 5000, 0.0, 0.5 }, { 10000, -0.2, 0.6 }, { 16000, -2.5, 1.0 } }}, 0.0, 0.0 },
    { "studerA812_gain1_2_wav",   false, {{ { 30, 0.0, 1.0 }, { 100, 0.7, 1.0 }, { 200, 0.1, 0.8 }, { 5000, 0.0, 0.5 }, { 10000, -0.1, 0.6 }, { 16000, -0.9, 1.0 } }}, studerA812Gain1GainAt1kDb, 0.3 },
    { "Teac_3_34_ips_2_wav",      true,  {{ { 30, 0.0, 1.0 }, { 100, 0.0, 1.0 }, { 200, 0.0, 0.8 }, { 5000, 0.4, 0.8 }, { 10000, -4.6, 1.0 }, { 16000, -11.5, 1.5 } }}, 0.0, 0.0 },
    { "Teac_7_12_ips_2_wav",      true,  {{ { 30, 0.0, 1.0 }, { 100, 0.0, 1.0 }, { 200, 0.0, 0.8 }, { 5000, 0.5, 0.8 }, { 10000, -1.0, 1.0 }, { 16000, -5.2, 1.5 } }}, 0.0, 0.0 },
}};
// clang-format on
} // namespace impulses
