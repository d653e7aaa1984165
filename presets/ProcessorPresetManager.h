#pragma once

#include "presets/FavoritesManager.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>
#include <memory>

// Turns the processor's whole state tree into a preset file and back, keeps the current preset's
// name and modified flag on that tree, and writes the default preset at first run. It knows nothing
// about categories or menus: the preset library decides which file to save or load.
//
// Preset files are the state tree as XML text (UTF-8, CR LF line endings); a file holding the
// processor's binary state blob is accepted on load as well.
class ProcessorPresetManager
{
public:
    // Asks the user for a file to open: (title, initial folder, wildcard) -> the file, or an empty
    // juce::File when cancelled.
    using FileChooserFunction = std::function<juce::File (const juce::String& title, const juce::File& initialFolder,
                                                          const juce::String& wildcard)>;

    ProcessorPresetManager (juce::AudioProcessor& processor, juce::AudioProcessorValueTreeState& valueTreeState,
                            const juce::File& presetDirectory, const juce::String& presetExtension);
    ~ProcessorPresetManager();

    // Writes the current state to `file` and makes it the current preset. A failed write leaves the
    // current name and flag as they were.
    void savePreset (juce::File file);
    // Replaces the current state by the content of `file`; an unusable file changes nothing.
    void loadPreset (juce::File file);
    // Writes the default preset when it is missing; an existing one is never rewritten.
    void checkAndGenDefault();

    void savePresetInternal (juce::File file);
    void loadPresetInternal (juce::File file);

    // The load's work once the file is read: preset XML text replaces the state tree, other bytes
    // go to the processor as a binary state blob (which it takes only when complete and valid).
    void applyPresetData (const juce::MemoryBlock& bytes);

    // The tree that preset XML text holds, or an invalid tree when the bytes are not such text
    // (too large, not XML, or beyond the parser's limits below). Its type is not checked.
    static juce::ValueTree parsePresetXml (const juce::MemoryBlock& bytes);

    // Replaces the native dialog that offers another file when a preset has vanished before its
    // load (tests cannot answer a modal dialog). An empty function brings the native one back.
    void setFileChooser (FileChooserFunction chooser);

    juce::AudioProcessorValueTreeState& getValueTreeState() noexcept { return valueTreeState; }
    FavoritesManager& getFavoritesManager() noexcept { return *favoritesManager; }
    const juce::File& getPresetDirectory() const noexcept { return presetDirectory; }
    const juce::String& getPresetExtension() const noexcept { return presetExtension; }
    const juce::Identifier& getCurrentPresetId() const noexcept { return currentPresetId; }
    const juce::Identifier& getPresetModifiedId() const noexcept { return presetModifiedId; }

    // "Current_Selected_Preset" ("" when the state has none) and "Preset_Has_Been_Modified".
    juce::String getCurrentPresetName() const;
    bool isPresetModified() const;

    static constexpr const char* defaultPresetName = "Default";
    // Real presets are a few KB; a file larger than this is not read into memory.
    static constexpr juce::int64 maxPresetFileBytes = 16 * 1024 * 1024;
    // Limits on the text handed to JUCE's XML parser, far above a real preset (about 1.3 KB and
    // twenty tags). The parser's time grows with the square of the entities in an attribute and of
    // the attributes of an element (a 13 MB file took 100 s), and it recurses once per nesting level.
    static constexpr juce::int64 maxPresetXmlBytes = 64 * 1024;
    static constexpr int maxPresetXmlTags = 1024;

private:
    // Gives every parameter whose entry a loaded preset lacked its entry back, at its present value.
    void reconnectMissingParameters();

    juce::AudioProcessor& processor;
    juce::AudioProcessorValueTreeState& valueTreeState;
    const juce::Identifier presetModifiedId;
    const juce::Identifier currentPresetId;
    const juce::File presetDirectory;
    const juce::String presetExtension;
    std::unique_ptr<FavoritesManager> favoritesManager;
    FileChooserFunction chooseFile;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ProcessorPresetManager)
};
