#include "PresetTestSupport.h"

#include "ProcessorHarness.h"

#include <cstdio>
#include <cstdlib>

namespace presettest
{
namespace
{
// Tests may only delete inside the temporary HOME that the test main made: anything else stops
// the run before a file is touched.
void requireInsideTestHome (const juce::File& folder)
{
    const auto home = juce::File (juce::SystemStats::getEnvironmentVariable ("HOME", {}));

    if (home.getFileName().startsWith ("tavorin-test-home-") && folder.isAChildOf (home))
        return;

    std::fprintf (stderr, "refusing to clear %s outside the test HOME\n", folder.getFullPathName().toRawUTF8());
    std::abort();
}
} // namespace

juce::File clearedPresetRoot()
{
    const auto root = GuipluginAudioProcessor::getPresetRootDirectory();
    requireInsideTestHome (root);
    root.deleteRecursively();
    return root;
}

juce::File clearedScratchFolder (const juce::String& name)
{
    const auto folder = juce::File (juce::SystemStats::getEnvironmentVariable ("HOME", {})).getChildFile (name);
    requireInsideTestHome (folder);
    folder.deleteRecursively();
    folder.createDirectory();
    return folder;
}

void writeText (const juce::File& file, const juce::String& text)
{
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithText (text, false, false, nullptr)) << file.getFullPathName();
}

void writeBytes (const juce::File& file, const juce::MemoryBlock& bytes)
{
    file.getParentDirectory().createDirectory();

    // replaceWithData deletes the file for empty data.
    if (bytes.isEmpty())
    {
        file.deleteFile();
        ASSERT_TRUE (file.create().wasOk()) << file.getFullPathName();
        return;
    }

    ASSERT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize())) << file.getFullPathName();
}

juce::MemoryBlock readBytes (const juce::File& file)
{
    juce::MemoryBlock bytes;
    file.loadFileAsData (bytes);
    return bytes;
}

juce::MemoryBlock stateOf (juce::AudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

std::vector<float> rawValues (GuipluginAudioProcessor& processor)
{
    std::vector<float> values;

    for (auto* parameter : processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
            values.push_back (test::rawParameter (processor, ranged->paramID));

    return values;
}

void makeDistinctive (GuipluginAudioProcessor& processor)
{
    const std::pair<const char*, float> changed[] = {
        { "biasKnob", 0.37f },       { "compKnob", 6.5f },    { "crosstalkKnob", 0.42f }, { "lpfKnob", 3150.0f },
        { "hpfKnob", 95.5f },        { "inputGainKnob", 7.25f }, { "outputGainKnob", -3.5f }, { "speedPower", 0.0f },
        { "gainlockPower", 0.0f },   { "powerPower", 0.0f },  { "typeAbutton", 0.0f },    { "typeBbutton", 1.0f },
        { "typeCbutton", 1.0f },     { "typeDbutton", 1.0f }, { "typeEbutton", 1.0f },    { "typeFbutton", 1.0f },
        { "os", 2.0f },
    };

    for (const auto& [id, value] : changed)
        test::setParameter (processor, id, value);
}

std::vector<juce::String> relativePaths (const std::vector<juce::File>& files, const juce::File& root)
{
    std::vector<juce::String> paths;

    for (const auto& file : files)
        paths.push_back (file.getRelativePathFrom (root));

    return paths;
}

//==============================================================================
void PresetFixture::SetUp()
{
    root = clearedPresetRoot();
    processor = std::make_unique<GuipluginAudioProcessor>();
    store().setFileChooser ([this] (const juce::String&, const juce::File&, const juce::String&)
    {
        ++chooserCalls;
        return juce::File();
    });
    library = std::make_unique<ModernPresetSelectorWrapper> (&store(), [] {});
}

void PresetFixture::TearDown()
{
    library.reset();
    processor.reset();
}

juce::File PresetFixture::writePreset (const juce::String& relativePath)
{
    const auto file = root.getChildFile (relativePath);
    return writePreset (relativePath, file.getFileNameWithoutExtension());
}

juce::File PresetFixture::writePreset (const juce::String& relativePath, const juce::String& storedName)
{
    auto tree = processor->getState().copyState();
    tree.setProperty (store().getCurrentPresetId(), storedName, nullptr);
    tree.setProperty (store().getPresetModifiedId(), false, nullptr);

    const auto file = root.getChildFile (relativePath);
    file.getParentDirectory().createDirectory();
    EXPECT_TRUE (file.replaceWithText (tree.createXml()->toString(), false, false, "\r\n"));
    return file;
}

void PresetFixture::setCurrentName (const juce::String& name, bool modified)
{
    state().setProperty (store().getCurrentPresetId(), name, nullptr);
    state().setProperty (store().getPresetModifiedId(), modified, nullptr);
}

std::vector<juce::File> PresetFixture::flatList()
{
    std::vector<juce::File> files;
    ModernPresetSelectorWrapper::collectAllPresets (root, store().getPresetExtension(), files);
    return files;
}

std::vector<juce::String> PresetFixture::flatNames()
{
    std::vector<juce::String> names;

    for (const auto& file : flatList())
        names.push_back (file.getFileNameWithoutExtension());

    return names;
}
} // namespace presettest
