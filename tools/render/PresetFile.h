#pragma once

#include "plugin/PluginProcessor.h"

// Loads a preset into the processor through its preset store, after checking that the file is one:
// the store's own load ignores unusable files without a word and offers a file chooser for a
// missing one. `nameOrPath` is a file (relative to the working folder), or else a preset's name or
// relative path in the user's preset folder, with or without ".tvx". The file is only read.
// Throws a ToolError when it is missing, unreadable, or neither preset XML nor a saved state.
void loadPresetFile (GuipluginAudioProcessor& processor, const juce::String& nameOrPath);
