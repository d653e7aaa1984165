#pragma once

// The six machine types and the two tape speeds. A (type, speed) pair names one of twelve slots,
// type + 6 x speed: slots 0 to 5 are types A to F at Slow, 6 to 11 types A to F at Fast. Every
// per-slot table is indexed by it.
enum class TapeType
{
    TypeA,
    TypeB,
    TypeC,
    TypeD,
    TypeE,
    TypeF
};

enum class TapeSpeed
{
    Slow,
    Fast
};

namespace TapeSlots
{
inline constexpr int numTypes = 6;
inline constexpr int numSpeeds = 2;
inline constexpr int numSlots = numTypes * numSpeeds;

constexpr bool isValid (TapeType type, TapeSpeed speed) noexcept
{
    const auto t = static_cast<int> (type);
    const auto s = static_cast<int> (speed);
    return t >= 0 && t < numTypes && s >= 0 && s < numSpeeds;
}

// Only meaningful for a valid pair.
constexpr int slotOf (TapeType type, TapeSpeed speed) noexcept
{
    return static_cast<int> (type) + numTypes * static_cast<int> (speed);
}

constexpr TapeType typeOf (int slot) noexcept { return static_cast<TapeType> (slot % numTypes); }
constexpr TapeSpeed speedOf (int slot) noexcept { return static_cast<TapeSpeed> (slot / numTypes); }
} // namespace TapeSlots
