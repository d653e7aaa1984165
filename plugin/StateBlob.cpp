#include "plugin/StateBlob.h"

#include <limits>

namespace
{
// Nesting deeper than this is refused; real state trees are two levels deep.
constexpr int maxNestingDepth = 32;

// Type markers of juce::var's binary encoding.
enum VarMarker : juce::uint8
{
    markerInt = 1,
    markerBoolTrue = 2,
    markerBoolFalse = 3,
    markerDouble = 4,
    markerString = 5,
    markerInt64 = 6,
    markerArray = 7,
    markerBinary = 8,
    markerUndefined = 9
};

// A cursor that fails instead of reading past the end.
class Scanner
{
public:
    Scanner (const void* data, size_t numBytes) : bytes (static_cast<const juce::uint8*> (data)), size (numBytes) {}

    bool atEnd() const noexcept { return position == size; }
    size_t tell() const noexcept { return position; }

    bool skip (size_t count) noexcept
    {
        if (count > size - position)
            return false;

        position += count;
        return true;
    }

    bool readByte (juce::uint8& value) noexcept
    {
        if (position >= size)
            return false;

        value = bytes[position++];
        return true;
    }

    // OutputStream::writeCompressedInt: a size byte (sign in the top bit), then 1 to 4 bytes.
    bool readCount (int& count) noexcept
    {
        juce::uint8 sizeByte = 0;

        if (! readByte (sizeByte))
            return false;

        if (sizeByte == 0)
        {
            count = 0;
            return true;
        }

        const auto numBytes = sizeByte & 0x7f;

        if ((sizeByte & 0x80) != 0 || numBytes < 1 || numBytes > 4)
            return false;

        juce::uint32 value = 0;

        for (auto i = 0; i < numBytes; ++i)
        {
            juce::uint8 b = 0;

            if (! readByte (b))
                return false;

            value |= static_cast<juce::uint32> (b) << (8 * i);
        }

        if (value > static_cast<juce::uint32> (std::numeric_limits<int>::max()))
            return false;

        count = static_cast<int> (value);
        return true;
    }

    // A NUL-terminated string; names may not be empty.
    bool skipName() noexcept
    {
        const auto start = position;

        while (position < size)
            if (bytes[position++] == 0)
                return position - start > 1;

        return false;
    }

private:
    const juce::uint8* bytes;
    size_t size;
    size_t position = 0;
};

bool scanVar (Scanner& in, int depth);

// The payload of an array: an element count, then the elements, filling exactly payloadSize bytes.
bool scanArray (Scanner& in, int payloadSize, int depth)
{
    auto elements = in;

    if (! in.skip (static_cast<size_t> (payloadSize)))
        return false;

    int numElements = 0;

    if (! elements.readCount (numElements))
        return false;

    for (auto i = 0; i < numElements; ++i)
        if (! scanVar (elements, depth + 1))
            return false;

    return elements.tell() == in.tell();
}

bool scanVar (Scanner& in, int depth)
{
    if (depth > maxNestingDepth)
        return false;

    int numBytes = 0;

    if (! in.readCount (numBytes))
        return false;

    if (numBytes == 0)
        return true; // a void var

    juce::uint8 marker = 0;

    if (! in.readByte (marker))
        return false;

    const auto payloadSize = numBytes - 1;

    switch (marker)
    {
        case markerInt:         return payloadSize == 4 && in.skip (4);
        case markerInt64:
        case markerDouble:      return payloadSize == 8 && in.skip (8);
        case markerBoolTrue:
        case markerBoolFalse:
        case markerUndefined:   return payloadSize == 0;
        case markerString:
        case markerBinary:      return in.skip (static_cast<size_t> (payloadSize));
        case markerArray:       return scanArray (in, payloadSize, depth);
        default:                return false;
    }
}

bool scanTree (Scanner& in, int depth)
{
    if (depth > maxNestingDepth || ! in.skipName())
        return false;

    int numProperties = 0;

    if (! in.readCount (numProperties))
        return false;

    for (auto i = 0; i < numProperties; ++i)
        if (! in.skipName() || ! scanVar (in, depth))
            return false;

    int numChildren = 0;

    if (! in.readCount (numChildren))
        return false;

    for (auto i = 0; i < numChildren; ++i)
        if (! scanTree (in, depth + 1))
            return false;

    return true;
}
} // namespace

juce::ValueTree StateBlob::decode (const void* data, size_t numBytes, const juce::Identifier& expectedType)
{
    if (data == nullptr || numBytes == 0)
        return {};

    Scanner scanner (data, numBytes);

    if (! scanTree (scanner, 0) || ! scanner.atEnd())
        return {};

    auto tree = juce::ValueTree::readFromData (data, numBytes);
    return tree.hasType (expectedType) ? tree : juce::ValueTree();
}
