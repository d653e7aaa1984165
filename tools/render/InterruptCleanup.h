#pragma once

#include <juce_core/juce_core.h>

// Removes the tool's temporary files and folders when the run is interrupted (SIGINT, SIGTERM,
// SIGHUP), then exits with 128 + the signal number. Destructors do not run on a signal, and a
// half-written output must not stay behind beside the real one.
namespace InterruptCleanup
{
// Installs the handlers; call once, early in main.
void install();

// Registers a file, or a folder holding only registered files, to remove on interruption (in
// reverse order of registration, so a folder after its files); `forget` takes it off the list.
void removeOnInterrupt (const juce::File& fileOrFolder);
void forget (const juce::File& fileOrFolder);
} // namespace InterruptCleanup
