#pragma once

#include <juce_core/juce_core.h>

// Reads small files that users or other programs may have replaced with anything at all.
namespace BoundedFileReader
{
// Fills `result` with the whole content of `file` and returns true when it is a regular file
// (links followed) holding at most `maxBytes` bytes. Anything else (missing, unreadable, a folder,
// a device or pipe, or larger) reads nothing and returns false.
bool read (const juce::File& file, juce::int64 maxBytes, juce::MemoryBlock& result);
} // namespace BoundedFileReader
