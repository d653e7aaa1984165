#pragma once

#include <juce_core/juce_core.h>

// A file that is written beside its target under a temporary name and replaces the target in one
// step (a rename) only when `commit` is called: a failed or interrupted run leaves an existing
// target as it was and no partial file. Destroyed without a commit, it removes what it wrote.
class PendingFile
{
public:
    // `role` names the file in messages ("output", "chart"). Throws a ToolError when the target
    // is a folder or its folder does not exist.
    PendingFile (const juce::File& target, const juce::String& role);
    ~PendingFile();

    // The file to write into; it does not exist yet.
    const juce::File& getTemporary() const noexcept { return temporary; }
    const juce::File& getTarget() const noexcept { return target; }

    // "output /path/out.wav", for messages.
    juce::String describe() const { return role + " " + target.getFullPathName(); }

    // Throws a ToolError when the rename fails.
    void commit();
    void discard();

    // Writes the whole data into the temporary file and commits; throws a ToolError on failure.
    void write (const juce::MemoryBlock& data);

private:
    juce::File target, temporary;
    juce::String role;
};
