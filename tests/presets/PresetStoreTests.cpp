// The preset store on real files: first run, the file format, save and load, the binary-blob
// fallback, the vanished-file dialog, and the files it must refuse.

#include "PresetTestSupport.h"

#include "ProcessorHarness.h"
#include "plugin/StateBlob.h"

#include <sys/stat.h>

using namespace presettest;

namespace
{
const char* const expectedDefaultPreset =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "\r\n"
    "<TapeMachine Current_Selected_Preset=\"Default\" Preset_Has_Been_Modified=\"0\">\r\n"
    "  <PARAM id=\"biasKnob\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"compKnob\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"crosstalkKnob\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"gainlockPower\" value=\"1.0\"/>\r\n"
    "  <PARAM id=\"hpfKnob\" value=\"20.0\"/>\r\n"
    "  <PARAM id=\"inputGainKnob\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"lpfKnob\" value=\"20000.0\"/>\r\n"
    "  <PARAM id=\"os\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"outputGainKnob\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"powerPower\" value=\"1.0\"/>\r\n"
    "  <PARAM id=\"speedPower\" value=\"1.0\"/>\r\n"
    "  <PARAM id=\"typeAbutton\" value=\"1.0\"/>\r\n"
    "  <PARAM id=\"typeBbutton\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"typeCbutton\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"typeDbutton\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"typeEbutton\" value=\"0.0\"/>\r\n"
    "  <PARAM id=\"typeFbutton\" value=\"0.0\"/>\r\n"
    "</TapeMachine>\r\n";

juce::MemoryBlock bytesOf (const juce::String& text)
{
    return { text.toRawUTF8(), text.getNumBytesAsUTF8() };
}

juce::String textOf (const juce::File& file)
{
    const auto bytes = readBytes (file);
    return juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()), static_cast<int> (bytes.getSize()));
}

class PresetStore : public PresetFixture
{
protected:
    // The state before a load that must change nothing, far from the defaults.
    void makeStateDistinctive()
    {
        makeDistinctive (*processor);
        setCurrentName ("Before", true);
        before = stateOf (*processor);
    }

    void expectStateUnchanged (const juce::String& what)
    {
        EXPECT_EQ (stateOf (*processor), before) << what;
    }

    juce::MemoryBlock before;
};
} // namespace

TEST_F (PresetStore, FirstRunCreatesTheFolderAndTheDefaultPresetInTheExactFormat)
{
    const auto defaultFile = root.getChildFile ("Default.tvx");

    ASSERT_TRUE (root.isDirectory());
    ASSERT_TRUE (defaultFile.existsAsFile());
    EXPECT_EQ (textOf (defaultFile), juce::String (expectedDefaultPreset));
    EXPECT_EQ (store().getCurrentPresetName(), "Default");
    EXPECT_FALSE (store().isPresetModified());
    EXPECT_TRUE (state().hasProperty (store().getPresetModifiedId()));
}

TEST_F (PresetStore, AnExistingDefaultPresetIsNeverRewritten)
{
    const auto defaultFile = root.getChildFile ("Default.tvx");
    const juce::String edited ("edited by the user, not even XML\n");
    writeText (defaultFile, edited);

    processor = std::make_unique<GuipluginAudioProcessor>();

    EXPECT_EQ (textOf (defaultFile), edited);
    EXPECT_EQ (processor->getPresetManager().getCurrentPresetName(), "Default");
}

TEST_F (PresetStore, AProcessorGivenAnotherRootLeavesTheUsersFolderAlone)
{
    library.reset();
    processor.reset();
    root.deleteRecursively();
    const auto elsewhere = clearedScratchFolder ("other-root");

    processor = std::make_unique<GuipluginAudioProcessor> (elsewhere);

    EXPECT_FALSE (root.exists());
    EXPECT_EQ (store().getPresetDirectory(), elsewhere);
    EXPECT_EQ (textOf (elsewhere.getChildFile ("Default.tvx")), juce::String (expectedDefaultPreset));
}

TEST_F (PresetStore, SaveAndLoadRoundTripEveryParameterWithoutWaitingForTheStateFlush)
{
    // No message loop runs between the changes and the save: the tree alone would still hold the
    // defaults.
    makeDistinctive (*processor);
    setCurrentName ("Other", true);
    const auto saved = rawValues (*processor);
    const auto file = root.getChildFile ("Round Trip.tvx");

    store().savePreset (file);

    EXPECT_EQ (store().getCurrentPresetName(), "Round Trip");
    EXPECT_FALSE (store().isPresetModified());
    EXPECT_TRUE (textOf (file).contains ("Current_Selected_Preset=\"Round Trip\" Preset_Has_Been_Modified=\"0\""));

    GuipluginAudioProcessor fresh;
    ASSERT_NE (rawValues (fresh), saved);
    fresh.getPresetManager().loadPreset (file);

    EXPECT_EQ (rawValues (fresh), saved);
    EXPECT_EQ (fresh.getPresetManager().getCurrentPresetName(), "Round Trip");
    EXPECT_FALSE (fresh.getPresetManager().isPresetModified());
}

TEST_F (PresetStore, SavingAgainUnderTheSameNameReplacesTheFile)
{
    const auto file = root.getChildFile ("Same.tvx");
    store().savePreset (file);
    test::setParameter (*processor, "compKnob", 4.0f);
    store().savePreset (file);

    GuipluginAudioProcessor fresh;
    fresh.getPresetManager().loadPreset (file);
    EXPECT_FLOAT_EQ (test::rawParameter (fresh, "compKnob"), 4.0f);
}

TEST_F (PresetStore, EveryLineOfASavedFileEndsWithCrLf)
{
    setCurrentName ("a name long enough to make the root element wrap its attributes");
    store().savePreset (root.getChildFile ("Long Line Endings With A Long Name As Well.tvx"));

    const auto text = textOf (root.getChildFile ("Long Line Endings With A Long Name As Well.tvx"));
    ASSERT_TRUE (text.endsWith ("\r\n"));

    for (auto i = 0; i < text.length(); ++i)
    {
        if (text[i] == '\n')
        {
            ASSERT_EQ (text[i - 1], '\r') << "bare LF at " << i;
        }
        else if (text[i] == '\r')
        {
            ASSERT_EQ (text[i + 1], '\n') << "bare CR at " << i;
        }
    }
}

TEST_F (PresetStore, ALoadSetsTheNameStoredInTheFileNotTheFileName)
{
    store().savePreset (root.getChildFile ("A.tvx"));
    ASSERT_TRUE (root.getChildFile ("A.tvx").moveFileTo (root.getChildFile ("B.tvx")));
    setCurrentName ("Something else");

    store().loadPreset (root.getChildFile ("B.tvx"));

    EXPECT_EQ (store().getCurrentPresetName(), "A");
}

TEST_F (PresetStore, TheModifiedFlagComesFromTheFileAndTheNextSaveClearsIt)
{
    const auto file = writePreset ("Flagged.tvx");
    writeText (file, textOf (file).replace ("Preset_Has_Been_Modified=\"0\"", "Preset_Has_Been_Modified=\"1\""));

    store().loadPreset (file);
    EXPECT_TRUE (store().isPresetModified());
    EXPECT_EQ (library->getDisplayName(), "Flagged*");

    store().savePreset (root.getChildFile ("Cleared.tvx"));
    EXPECT_FALSE (store().isPresetModified());
}

TEST_F (PresetStore, ABinaryStateBlobLoadsExactlyLikeTheHostState)
{
    GuipluginAudioProcessor source;
    makeDistinctive (source);
    source.getState().state.setProperty ("Current_Selected_Preset", "From A Project", nullptr);
    const auto blob = stateOf (source);
    const auto file = root.getChildFile ("Blob.tvx");
    writeBytes (file, blob);

    store().loadPreset (file);

    EXPECT_EQ (stateOf (*processor), blob);
    EXPECT_EQ (rawValues (*processor), rawValues (source));
    EXPECT_EQ (store().getCurrentPresetName(), "From A Project");
}

TEST_F (PresetStore, XmlOfAnotherTreeTypeIsAppliedAsWritten)
{
    const auto file = root.getChildFile ("Foreign.tvx");
    writeText (file, "<Other Current_Selected_Preset=\"Foreign\" colour=\"red\"><PARAM id=\"biasKnob\" value=\"0.25\"/></Other>");
    test::setParameter (*processor, "compKnob", 3.0f);

    store().loadPreset (file);

    EXPECT_EQ (state().getType().toString(), "TapeMachine");
    EXPECT_EQ (state().getNumProperties(), 2);
    EXPECT_EQ (state()["colour"].toString(), "red");
    EXPECT_FALSE (state().hasProperty (store().getPresetModifiedId()));
    EXPECT_EQ (store().getCurrentPresetName(), "Foreign");
    EXPECT_FLOAT_EQ (test::rawParameter (*processor, "biasKnob"), 0.25f);
    // Parameters the file leaves out keep their values.
    EXPECT_FLOAT_EQ (test::rawParameter (*processor, "compKnob"), 3.0f);
}

TEST_F (PresetStore, AParameterAPresetLeavesOutStillReachesLaterSavesAndTheHostState)
{
    const auto partial = root.getChildFile ("Partial.tvx");
    writeText (partial, "<TapeMachine Current_Selected_Preset=\"Partial\"><PARAM id=\"biasKnob\" value=\"0.25\"/></TapeMachine>");
    store().loadPreset (partial);

    test::setParameter (*processor, "compKnob", 7.5f);
    const auto full = root.getChildFile ("Full.tvx");
    store().savePreset (full);

    GuipluginAudioProcessor fromPreset;
    fromPreset.getPresetManager().loadPreset (full);
    EXPECT_FLOAT_EQ (test::rawParameter (fromPreset, "compKnob"), 7.5f);

    const auto hostState = stateOf (*processor);
    GuipluginAudioProcessor fromHost;
    fromHost.setStateInformation (hostState.getData(), static_cast<int> (hostState.getSize()));
    EXPECT_FLOAT_EQ (test::rawParameter (fromHost, "compKnob"), 7.5f);
    EXPECT_FLOAT_EQ (test::rawParameter (fromHost, "biasKnob"), 0.25f);
}

TEST_F (PresetStore, AValueThatIsNotANumberGivesTheParameterItsDefault)
{
    makeDistinctive (*processor);
    const auto file = root.getChildFile ("Nan.tvx");
    writeText (file, "<TapeMachine Current_Selected_Preset=\"Nan\">"
                     "<PARAM id=\"biasKnob\" value=\"nan\"/><PARAM id=\"lpfKnob\" value=\"NaN\"/>"
                     "<PARAM id=\"speedPower\" value=\"nan\"/><PARAM id=\"os\" value=\"nan\"/>"
                     "<PARAM id=\"compKnob\" value=\"inf\"/></TapeMachine>");

    store().loadPreset (file);

    EXPECT_EQ (test::rawParameter (*processor, "biasKnob"), 0.0f);
    EXPECT_EQ (test::rawParameter (*processor, "lpfKnob"), 20000.0f);
    EXPECT_EQ (test::rawParameter (*processor, "speedPower"), 1.0f);
    EXPECT_EQ (test::rawParameter (*processor, "os"), 0.0f);
    EXPECT_EQ (test::rawParameter (*processor, "compKnob"), 10.0f); // the library clamps infinity

    for (auto value : rawValues (*processor))
        EXPECT_TRUE (std::isfinite (value));

    store().savePreset (file);
    EXPECT_FALSE (textOf (file).containsIgnoreCase ("value=\"nan")) << "the next save writes the defaults";
    EXPECT_TRUE (textOf (file).contains ("<PARAM id=\"biasKnob\" value=\"0.0\"/>"));
}

TEST_F (PresetStore, FilesThatAreNeitherPresetXmlNorAStateBlobChangeNothing)
{
    makeStateDistinctive();

    GuipluginAudioProcessor other;
    const auto blob = stateOf (other);
    juce::MemoryBlock truncatedBlob (blob.getData(), blob.getSize() - 3);
    auto foreignTree = juce::ValueTree ("Other");
    foreignTree.setProperty ("Current_Selected_Preset", "Foreign", nullptr);
    juce::MemoryBlock foreignBlob;
    {
        juce::MemoryOutputStream out (foreignBlob, false);
        foreignTree.writeToStream (out);
    }
    const auto presetText = textOf (root.getChildFile ("Default.tvx"));

    const auto deepNesting = juce::String::repeatedString ("<a>", 200000);

    const std::pair<const char*, juce::MemoryBlock> cases[] = {
        { "empty", {} },
        { "plain text", bytesOf ("just some words\r\n") },
        { "truncated XML", bytesOf (presetText.dropLastCharacters (20)) },
        { "truncated blob", truncatedBlob },
        { "blob of another tree type", foreignBlob },
        { "deeply nested XML", bytesOf (deepNesting) },
        { "self-referencing entity", bytesOf ("<!DOCTYPE x [<!ENTITY a \"&xa;\">]><TapeMachine>&a;</TapeMachine>") },
    };

    for (const auto& [what, bytes] : cases)
    {
        const auto file = root.getChildFile ("Case.tvx");
        writeBytes (file, bytes);
        store().loadPreset (file);
        expectStateUnchanged (what);
    }

    EXPECT_EQ (chooserCalls, 0);
}

TEST_F (PresetStore, APresetFileLargerThanTheLimitIsNotRead)
{
    makeStateDistinctive();

    // A state blob whose binary "pad" property brings it to exactly the size given.
    const auto blobOfSize = [] (size_t size)
    {
        for (auto padding = static_cast<juce::int64> (size);;)
        {
            juce::ValueTree tree (GuipluginAudioProcessor::stateType);
            tree.setProperty ("Current_Selected_Preset", "Huge", nullptr);
            tree.setProperty ("pad", juce::MemoryBlock (static_cast<size_t> (padding), true), nullptr);

            juce::MemoryOutputStream out;
            tree.writeToStream (out);

            if (out.getDataSize() == size)
                return out.getMemoryBlock();

            padding -= static_cast<juce::int64> (out.getDataSize()) - static_cast<juce::int64> (size);
        }
    };

    const auto limit = static_cast<size_t> (ProcessorPresetManager::maxPresetFileBytes);
    const auto file = root.getChildFile ("Huge.tvx");

    writeBytes (file, blobOfSize (limit + 1));
    store().loadPreset (file);
    expectStateUnchanged ("one byte over the limit");

    writeBytes (file, blobOfSize (limit));
    store().loadPreset (file);
    EXPECT_EQ (store().getCurrentPresetName(), "Huge") << "a file of exactly the limit is read";
}

TEST_F (PresetStore, OnlySmallTextIsParsedAsXml)
{
    makeStateDistinctive();

    // Preset XML padded by a long attribute to exactly the size given.
    const auto xmlOfSize = [] (int size)
    {
        const juce::String head ("<TapeMachine Current_Selected_Preset=\"Long\" pad=\"");
        const juce::String tail ("\"/>");
        return head + juce::String::repeatedString ("x", size - head.length() - tail.length()) + tail;
    };

    const auto limit = static_cast<int> (ProcessorPresetManager::maxPresetXmlBytes);
    const auto file = root.getChildFile ("Long.tvx");

    writeText (file, xmlOfSize (limit + 1));
    store().loadPreset (file);
    expectStateUnchanged ("one byte over the limit");

    // JUCE's parser would take minutes over this one.
    writeText (file, "<TapeMachine pad=\"" + juce::String::repeatedString ("&lt;", 4 << 20) + "\"/>");
    const auto start = juce::Time::getMillisecondCounterHiRes();
    store().loadPreset (file);
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 5000.0);
    expectStateUnchanged ("16 MiB of entities");

    writeText (file, xmlOfSize (limit));
    store().loadPreset (file);
    EXPECT_EQ (store().getCurrentPresetName(), "Long") << "text of exactly the limit is parsed";
}

TEST_F (PresetStore, APipeNamedLikeAPresetIsNotOpened)
{
    makeStateDistinctive();
    const auto pipe = root.getChildFile ("Pipe.tvx");
    ASSERT_EQ (mkfifo (pipe.getFullPathName().toRawUTF8(), 0600), 0);

    store().loadPreset (pipe); // opening it would wait for a writer forever

    expectStateUnchanged ("pipe");
}

TEST_F (PresetStore, AVanishedFileOffersTheDialogAndLoadsThePickedFile)
{
    const auto picked = writePreset ("Picked.tvx");
    juce::String title, wildcard;
    juce::File folder;
    store().setFileChooser ([&] (const juce::String& t, const juce::File& f, const juce::String& w)
    {
        title = t;
        folder = f;
        wildcard = w;
        return picked;
    });

    store().loadPreset (root.getChildFile ("Vanished.tvx"));

    EXPECT_EQ (title, "Choose preset...");
    EXPECT_EQ (folder, root);
    EXPECT_EQ (wildcard, "*.tvx");
    EXPECT_EQ (store().getCurrentPresetName(), "Picked");
}

TEST_F (PresetStore, AVanishedFileWithTheDialogCancelledChangesNothing)
{
    makeStateDistinctive();

    store().loadPreset (root.getChildFile ("Vanished.tvx"));

    EXPECT_EQ (chooserCalls, 1);
    expectStateUnchanged ("cancelled");
}

TEST_F (PresetStore, AFailedWriteKeepsThePreviousNameAndFlag)
{
    writeText (root.getChildFile ("Taken.tvx").getChildFile ("inside"), "keeps the folder in place");

    const juce::File targets[] = {
        root.getChildFile ("Taken.tvx"),                        // a folder of that name
        root.getChildFile ("Missing Folder").getChildFile ("X.tvx"), // no folder to write into
        root.getChildFile (juce::String::repeatedString ("n", 300) + ".tvx"), // name too long
    };

    for (const auto& target : targets)
    {
        setCurrentName ("Previous", true);
        store().savePreset (target);

        EXPECT_EQ (store().getCurrentPresetName(), "Previous") << target.getFileName();
        EXPECT_TRUE (store().isPresetModified()) << target.getFileName();
        EXPECT_FALSE (target.existsAsFile()) << target.getFileName();
    }

    state().removeProperty (store().getCurrentPresetId(), nullptr);
    store().savePreset (targets[0]);
    EXPECT_FALSE (state().hasProperty (store().getCurrentPresetId())) << "an absent name stays absent";
}
