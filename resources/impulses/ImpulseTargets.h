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

// The unnormalised slots aim at unity small-signal gain at 1 kHz through their whole chain (drive
// x 2/pi, the arc tangent's slope, x make-up x the response) where the file can hold it.
// studerA812_gain1_2 (drive 1.5, make-up 2.4): 1 / 2.2918 = -7.20 dB.
// typeA_75 (0.18, 1.9) would need +13.24 dB, more than a 16-bit file of this shape holds with its
// peak below full scale: it is as loud as the file allows (peak -0.1 dBFS), +10.5 dB, so that slot
// plays 2.7 dB below unity.
constexpr double studerA812Gain1GainAt1kDb = -7.20;
constexpr double typeA75GainAt1kDb = 10.5;

// Tolerances: the low end and the bump 0.5 dB, presence and 5 kHz 0.4 dB, the roll-off 0.6 dB up
// to 12.5 kHz and 1 dB at 16 kHz (wide enough for the second channel's slightly earlier roll-off).
// The Teac files are 4 ms long: they resolve nothing below about 250 Hz, so they hold no head bump
// and are flat to DC; the 30 and 200 Hz points say so.

// clang-format off
inline constexpr std::array<SlotTarget, 6> designedTargets {{
    // Type A, 7.5 ips: broad bump around 70 Hz, early roll-off (-3 dB near 11 kHz).
    { "typeA_75_ir_wav",        false, {{ { 30, 0.5, 0.5 }, { 70, 1.1, 0.5 },  { 140, 0.0, 0.5 },  { 5000, -0.2, 0.4 }, { 10000, -2.3, 0.6 },  { 16000, -8.8, 1.0 } }}, typeA75GainAt1kDb, 0.3 },
    // Type A, 15 ips: bump around 110 Hz, open top (-3 dB near 17 kHz).
    { "typeA_15_ir_wav",        false, {{ { 30, 0.1, 0.5 }, { 110, 1.3, 0.5 }, { 220, -0.2, 0.5 }, { 5000, 0.0, 0.4 },  { 10000, -0.5, 0.6 },  { 16000, -2.4, 1.0 } }}, 0.0, 0.0 },
    // Type B, slow: tighter bump at 65 Hz, flat to 10 kHz, -4 dB at 16 kHz.
    { "studerA812_gain4_2_wav", false, {{ { 30, 0.4, 0.5 }, { 65, 1.1, 0.5 },  { 130, -0.3, 0.5 }, { 5000, 0.0, 0.4 },  { 10000, -0.3, 0.6 },  { 16000, -4.0, 1.0 } }}, 0.0, 0.0 },
    // Type B, fast: bump at 130 Hz, flat to 16 kHz.
    { "studerA812_gain1_2_wav", false, {{ { 30, 0.0, 0.5 }, { 130, 0.9, 0.5 }, { 260, -0.3, 0.5 }, { 5000, 0.0, 0.4 },  { 10000, 0.0, 0.6 },   { 16000, -0.9, 1.0 } }}, studerA812Gain1GainAt1kDb, 0.3 },
    // Type D, 3.75 ips: flat low end, a little presence at 4 kHz, dark top (-3 dB near 8 kHz).
    { "Teac_3_34_ips_2_wav",    true,  {{ { 30, -0.1, 0.5 }, { 200, -0.1, 0.5 }, { 4000, 0.5, 0.4 }, { 8000, -3.0, 0.6 },  { 10000, -5.5, 0.6 },  { 16000, -13.0, 1.0 } }}, 0.0, 0.0 },
    // Type D, 7.5 ips: presence at 6 kHz, -3 dB near 12.5 kHz.
    { "Teac_7_12_ips_2_wav",    true,  {{ { 30, 0.0, 0.5 }, { 200, 0.0, 0.5 }, { 6000, 0.3, 0.4 },  { 10000, -1.3, 0.6 }, { 12500, -3.1, 0.6 },  { 16000, -6.2, 1.0 } }}, 0.0, 0.0 },
}};
// clang-format on
} // namespace impulses
