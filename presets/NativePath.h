#pragma once

#include <juce_core/juce_core.h>

#include <filesystem>

// The file's path for std::filesystem, which JUCE lacks for real paths (links resolved) and for
// telling regular files from pipes and devices. Windows paths go through UTF-16, the others UTF-8.
inline std::filesystem::path toNativePath (const juce::File& file)
{
   #if JUCE_WINDOWS
    return std::filesystem::path (file.getFullPathName().toWideCharPointer());
   #else
    return std::filesystem::path (file.getFullPathName().toStdString());
   #endif
}
