#pragma once

#include <juce_data_structures/juce_data_structures.h>

// Decoding of host state and binary preset blobs (JUCE's binary ValueTree encoding).
//
// JUCE's own reader trusts every count in the data: random bytes make it loop for billions of
// iterations or allocate gigabytes, and a truncated blob comes back as a partial "valid" tree.
// The blob is therefore walked with bounds checks first, and handed to JUCE only when it is one
// complete, well-formed tree of the expected type that uses every byte.
namespace StateBlob
{
// The decoded tree, or an invalid tree when the bytes are anything else.
juce::ValueTree decode (const void* data, size_t numBytes, const juce::Identifier& expectedType);
} // namespace StateBlob
