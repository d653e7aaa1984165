#include "presets/BoundedFileReader.h"

#include "presets/NativePath.h"

bool BoundedFileReader::read (const juce::File& file, juce::int64 maxBytes, juce::MemoryBlock& result)
{
    result.reset();

    // Opening a pipe would block until someone writes to it; a device may never end.
    std::error_code error;
    if (! std::filesystem::is_regular_file (toNativePath (file), error))
        return false;

    juce::FileInputStream in (file);

    if (in.failedToOpen() || in.getTotalLength() > maxBytes)
        return false;

    // The file may grow between the size check and the read: read one byte past the limit to see.
    juce::int64 numRead = 0;
    {
        juce::MemoryOutputStream out (result, false);
        numRead = out.writeFromInputStream (in, maxBytes + 1);
    }

    if (numRead > maxBytes)
    {
        result.reset();
        return false;
    }

    return true;
}
