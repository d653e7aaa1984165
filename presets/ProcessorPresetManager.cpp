#include "presets/ProcessorPresetManager.h"

#include "plugin/NonFiniteParameters.h"
#include "presets/BoundedFileReader.h"


namespace
{
juce::File runNativeFileChooser (const juce::String& title, const juce::File& initialFolder,
                                 const juce::String& wildcard)
{
    juce::FileChooser chooser (title, initialFolder, wildcard);
    return chooser.browseForFileToOpen() ? chooser.getResult() : juce::File();
}

// JUCE's XML parser recurses once per nesting level, expands entities declared in a DTD without
// bounds (an entity may even name itself, which overflows the stack), and its time grows with the
// square of some inputs. Our own files are small, with no DTD and about twenty tags, and only text
// like that is parsed: every nesting level needs a '<' of its own.
bool looksLikeOurXml (const juce::MemoryBlock& bytes, const juce::String& text)
{
    if (bytes.getSize() > static_cast<size_t> (ProcessorPresetManager::maxPresetXmlBytes)
        || text.containsIgnoreCase ("<!DOCTYPE"))
        return false;

    auto tags = 0;

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
        if (p.getAndAdvance() == '<' && ++tags > ProcessorPresetManager::maxPresetXmlTags)
            return false;

    return true;
}

// The two preset properties as they stood before a save, to put back when the write fails.
struct PresetIdentity
{
    PresetIdentity (const juce::ValueTree& state, const juce::Identifier& name, const juce::Identifier& flag)
        : hadName (state.hasProperty (name)), hadFlag (state.hasProperty (flag)),
          nameValue (state.getProperty (name)), flagValue (state.getProperty (flag))
    {
    }

    void restore (juce::ValueTree& state, const juce::Identifier& name, const juce::Identifier& flag) const
    {
        put (state, name, hadName, nameValue);
        put (state, flag, hadFlag, flagValue);
    }

    static void put (juce::ValueTree& state, const juce::Identifier& id, bool had, const juce::var& value)
    {
        if (had)
            state.setProperty (id, value, nullptr);
        else
            state.removeProperty (id, nullptr);
    }

    bool hadName, hadFlag;
    juce::var nameValue, flagValue;
};
} // namespace

ProcessorPresetManager::ProcessorPresetManager (juce::AudioProcessor& processorToUse,
                                                juce::AudioProcessorValueTreeState& state,
                                                const juce::File& directory, const juce::String& extension)
    : processor (processorToUse),
      valueTreeState (state),
      presetModifiedId ("Preset_Has_Been_Modified"),
      currentPresetId ("Current_Selected_Preset"),
      presetDirectory (directory),
      presetExtension (extension),
      chooseFile (runNativeFileChooser)
{
    if (! presetDirectory.exists())
        presetDirectory.createDirectory();

    valueTreeState.state.setProperty (currentPresetId, defaultPresetName, nullptr);
    valueTreeState.state.setProperty (presetModifiedId, false, nullptr);

    favoritesManager = std::make_unique<FavoritesManager> (presetDirectory);

    checkAndGenDefault();
}

ProcessorPresetManager::~ProcessorPresetManager() = default;

void ProcessorPresetManager::setFileChooser (FileChooserFunction chooser)
{
    chooseFile = chooser != nullptr ? std::move (chooser) : FileChooserFunction (runNativeFileChooser);
}

juce::String ProcessorPresetManager::getCurrentPresetName() const
{
    return valueTreeState.state.getProperty (currentPresetId).toString();
}

bool ProcessorPresetManager::isPresetModified() const
{
    return static_cast<bool> (valueTreeState.state.getProperty (presetModifiedId));
}

void ProcessorPresetManager::savePreset (juce::File file)
{
    savePresetInternal (file);
}

void ProcessorPresetManager::loadPreset (juce::File file)
{
    loadPresetInternal (file);
}

void ProcessorPresetManager::checkAndGenDefault()
{
    const auto defaultFile = presetDirectory.getChildFile (defaultPresetName + presetExtension);

    if (! defaultFile.existsAsFile())
        savePresetInternal (defaultFile);
}

void ProcessorPresetManager::savePresetInternal (juce::File file)
{
    auto& state = valueTreeState.state;
    const PresetIdentity previous (state, currentPresetId, presetModifiedId);

    // Set first, so the file records its own name and a cleared flag.
    state.setProperty (currentPresetId, file.getFileNameWithoutExtension(), nullptr);
    state.setProperty (presetModifiedId, false, nullptr);

    // copyState brings the tree up to date with the parameters first; the bare tree lags behind
    // them until a message-thread timer flushes it, and the file would miss the latest changes.
    const auto xml = valueTreeState.copyState().createXml();

    // The state must not name a preset that was never written.
    if (xml == nullptr || ! file.replaceWithText (xml->toString(), false, false, "\r\n"))
        previous.restore (state, currentPresetId, presetModifiedId);
}

juce::ValueTree ProcessorPresetManager::parsePresetXml (const juce::MemoryBlock& bytes)
{
    if (bytes.getSize() > static_cast<size_t> (maxPresetXmlBytes))
        return {}; // not even decoded as text

    const auto text = juce::String::createStringFromData (bytes.getData(), static_cast<int> (bytes.getSize()));

    if (! looksLikeOurXml (bytes, text))
        return {};

    if (const auto xml = juce::XmlDocument::parse (text))
        return juce::ValueTree::fromXml (*xml);

    return {};
}

void ProcessorPresetManager::loadPresetInternal (juce::File file)
{
    // The file can vanish between the library's scan and this load: let the user pick another.
    if (! file.existsAsFile())
    {
        if (const auto replacement = chooseFile ("Choose preset...", presetDirectory, "*" + presetExtension);
            replacement != juce::File())
            file = replacement;
    }

    juce::MemoryBlock bytes;
    if (BoundedFileReader::read (file, maxPresetFileBytes, bytes))
        applyPresetData (bytes);
}

void ProcessorPresetManager::applyPresetData (const juce::MemoryBlock& bytes)
{
    if (const auto tree = parsePresetXml (bytes); tree.isValid())
    {
        valueTreeState.state.copyPropertiesAndChildrenFrom (tree, nullptr);
        reconnectMissingParameters();
    }
    else if (bytes.getSize() > 0)
    {
        // Not XML: perhaps the processor's binary state, which accepts only a complete state tree.
        processor.setStateInformation (bytes.getData(), static_cast<int> (bytes.getSize()));
    }

    resetNonFiniteParameters (valueTreeState);
}

// The parameter state connects a parameter to its entry only when the entry appears; a parameter
// whose entry the file lacked would keep its value but drop out of every later save and host state.
void ProcessorPresetManager::reconnectMissingParameters()
{
    static const juce::Identifier parameterType ("PARAM"), idProperty ("id"), valueProperty ("value");
    auto& state = valueTreeState.state;

    const auto hasEntry = [&] (const juce::String& parameterId)
    {
        for (const auto& child : state)
            if (child.hasType (parameterType) && child.getProperty (idProperty).toString() == parameterId)
                return true;

        return false;
    };

    for (auto* parameter : processor.getParameters())
    {
        const auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);

        if (ranged == nullptr || hasEntry (ranged->paramID))
            continue;

        const auto* rawValue = valueTreeState.getRawParameterValue (ranged->paramID);
        if (rawValue == nullptr)
            continue;

        juce::ValueTree entry (parameterType);
        entry.setProperty (idProperty, ranged->paramID, nullptr);
        entry.setProperty (valueProperty, rawValue->load(), nullptr);
        state.appendChild (entry, nullptr);
    }
}
