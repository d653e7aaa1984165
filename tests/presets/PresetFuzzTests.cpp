// A few thousand malformed preset files and favourites lists, from a fixed seed. Loading never
// crashes, never takes a file it must refuse, and leaves every parameter finite and in range.

#include "PresetTestSupport.h"

#include "ProcessorHarness.h"
#include "plugin/StateBlob.h"
#include "presets/FavoritesManager.h"

#include <cmath>
#include <random>

using namespace presettest;

namespace
{
constexpr int numPresetFiles = 3000;
constexpr int numFavoritesFiles = 2000;
constexpr unsigned fuzzSeed = 20240611;

using Random = std::mt19937;

int uniform (Random& random, int low, int high) { return std::uniform_int_distribution<int> (low, high) (random); }

juce::MemoryBlock bytesOf (const juce::String& text) { return { text.toRawUTF8(), text.getNumBytesAsUTF8() }; }

juce::MemoryBlock randomBytes (Random& random, int maxLength)
{
    juce::MemoryBlock bytes (static_cast<size_t> (uniform (random, 0, maxLength)));

    for (size_t i = 0; i < bytes.getSize(); ++i)
        bytes[i] = static_cast<char> (uniform (random, 0, 255));

    return bytes;
}

juce::String randomText (Random& random, int maxLength, const char* alphabet)
{
    juce::String text;
    const auto alphabetSize = static_cast<int> (std::strlen (alphabet));

    for (auto i = uniform (random, 0, maxLength); --i >= 0;)
        text += juce::String::charToString (static_cast<juce::juce_wchar> (alphabet[uniform (random, 0, alphabetSize - 1)]));

    return text;
}

juce::String randomValue (Random& random)
{
    const char* special[] = { "nan", "-nan", "inf", "-inf", "1e999", "-1e999", "", "abc", "0x10", "1e-45", "  7  " };

    switch (uniform (random, 0, 2))
    {
        case 0:  return special[uniform (random, 0, static_cast<int> (std::size (special)) - 1)];
        case 1:  return juce::String (std::uniform_real_distribution<double> (-1.0e6, 1.0e6) (random));
        default: return juce::String (std::uniform_real_distribution<double> (-2.0, 25000.0) (random));
    }
}

// Well-formed XML of any shape: a root of some type with random attributes and a few levels of
// children, some of them parameter entries with odd values.
std::unique_ptr<juce::XmlElement> randomShape (Random& random, GuipluginAudioProcessor& processor, int depth,
                                               int hugeAttributeBytes)
{
    const char* tags[] = { "TapeMachine", "PARAM", "Other", "x" };
    const char* attributes[] = { "Current_Selected_Preset", "Preset_Has_Been_Modified", "id", "value", "colour" };

    auto element = std::make_unique<juce::XmlElement> (tags[uniform (random, 0, depth == 0 ? 3 : 1)]);

    for (auto i = uniform (random, 0, 4); --i >= 0;)
        element->setAttribute (attributes[uniform (random, 0, 4)], randomValue (random));

    if (hugeAttributeBytes > 0)
        element->setAttribute ("huge", juce::String::repeatedString ("&<\"x", hugeAttributeBytes / 4));

    if (depth >= 3)
        return element;

    const auto& parameters = processor.getParameters();

    for (auto i = uniform (random, 0, depth == 0 ? 20 : 3); --i >= 0;)
    {
        if (uniform (random, 0, 3) > 0)
        {
            auto* entry = element->createNewChildElement ("PARAM");
            const auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[uniform (random, 0, parameters.size() - 1)]);
            entry->setAttribute ("id", uniform (random, 0, 5) > 0 ? parameter->paramID : juce::String ("unknown"));
            entry->setAttribute ("value", randomValue (random));
        }
        else
        {
            element->addChildElement (randomShape (random, processor, depth + 1, 0).release());
        }
    }

    return element;
}

juce::MemoryBlock mutate (Random& random, juce::MemoryBlock bytes)
{
    for (auto i = uniform (random, 1, 10); --i >= 0 && ! bytes.isEmpty();)
    {
        const auto at = static_cast<size_t> (uniform (random, 0, static_cast<int> (bytes.getSize()) - 1));

        switch (uniform (random, 0, 2))
        {
            case 0:  bytes[at] = static_cast<char> (uniform (random, 0, 255)); break;
            case 1:  bytes.removeSection (at, 1); break;
            default: { const char b = static_cast<char> (uniform (random, 0, 255)); bytes.insert (&b, 1, at); }
        }
    }

    return bytes;
}

enum class Expect
{
    unchanged,          // the file must be refused
    mirrorsXml,         // the file is well-formed XML: the state takes its root attributes
    unchangedOrApplied  // damaged: refused, or taken as the XML or the blob it still is
};

struct FuzzCase
{
    const char* kind;
    juce::MemoryBlock bytes;
    Expect expect;
};

class PresetFuzz : public PresetFixture
{
protected:
    FuzzCase makeCase (Random& random)
    {
        switch (uniform (random, 0, 8))
        {
            case 0: return { "random bytes", randomBytes (random, 2048), Expect::unchangedOrApplied };
            case 1:
            {
                const auto cut = uniform (random, 0, static_cast<int> (presetBytes.getSize()) - 1);
                return { "truncated preset", juce::MemoryBlock (presetBytes.getData(), static_cast<size_t> (cut)),
                         Expect::unchangedOrApplied };
            }
            case 2:
            {
                const auto cut = uniform (random, 1, static_cast<int> (blobBytes.getSize()) - 1);
                return { "truncated blob", juce::MemoryBlock (blobBytes.getData(), static_cast<size_t> (cut)), Expect::unchanged };
            }
            case 3:
            {
                const auto depth = uniform (random, ProcessorPresetManager::maxPresetXmlTags, 100000);
                auto text = juce::String::repeatedString (uniform (random, 0, 1) ? "<a>" : "<a x='/>'>", depth);
                if (uniform (random, 0, 1))
                    text << juce::String::repeatedString ("</a>", depth);
                return { "deeply nested XML", bytesOf (text), Expect::unchanged };
            }
            case 4:
                return { "XML of any shape", bytesOf (randomShape (random, *processor, 0, 0)->toString()), Expect::mirrorsXml };
            case 5:
            {
                const auto size = uniform (random, 0, 20) == 0 ? uniform (random, 1 << 16, 4 << 20) : uniform (random, 1, 4096);
                auto bytes = bytesOf (randomShape (random, *processor, 0, size)->toString());
                const auto parsed = bytes.getSize() <= static_cast<size_t> (ProcessorPresetManager::maxPresetXmlBytes);
                return { "huge attribute", std::move (bytes), parsed ? Expect::mirrorsXml : Expect::unchanged };
            }
            case 6: return { "damaged preset", mutate (random, presetBytes), Expect::unchangedOrApplied };
            case 7: return { "damaged blob", mutate (random, blobBytes), Expect::unchangedOrApplied };
            default:
            {
                const auto text = "<!DOCTYPE TapeMachine [<!ENTITY " + randomText (random, 8, "ab%&; \"<>") + ">]><TapeMachine "
                                  "Current_Selected_Preset=\"&a;\">" + randomText (random, 64, "ab&;<>/") + "</TapeMachine>";
                return { "document type declaration", bytesOf (text), Expect::unchanged };
            }
        }
    }

    // What a damaged file may still be taken as: the tree JUCE reads from it, if any.
    static juce::ValueTree treeTheFileStillHolds (const juce::MemoryBlock& bytes)
    {
        const auto text = juce::String::createStringFromData (bytes.getData(), static_cast<int> (bytes.getSize()));

        if (const auto xml = juce::XmlDocument::parse (text))
            if (auto tree = juce::ValueTree::fromXml (*xml); tree.isValid())
                return tree;

        return StateBlob::decode (bytes.getData(), bytes.getSize(), "TapeMachine");
    }

    bool stateHasPropertiesOf (const juce::ValueTree& tree)
    {
        if (state().getNumProperties() != tree.getNumProperties())
            return false;

        for (auto i = 0; i < tree.getNumProperties(); ++i)
        {
            const auto name = tree.getPropertyName (i);
            if (! state().hasProperty (name) || state()[name].toString() != tree[name].toString())
                return false;
        }

        return true;
    }

    void expectParametersSound (const char* kind, int index)
    {
        for (auto* parameter : processor->getParameters())
        {
            const auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
            const auto value = test::rawParameter (*processor, ranged->paramID);
            const auto& range = ranged->getNormalisableRange();

            ASSERT_TRUE (std::isfinite (value) && value >= range.start && value <= range.end)
                << kind << " #" << index << ": " << ranged->paramID << " = " << value;
        }

        EXPECT_EQ (state().getType().toString(), "TapeMachine") << kind << " #" << index;
    }

    juce::MemoryBlock presetBytes, blobBytes;
};
} // namespace

TEST_F (PresetFuzz, MalformedPresetFilesNeverCrashAndChangeOnlyWhatTheRulesAllow)
{
    Random random (fuzzSeed);
    presetBytes = readBytes (root.getChildFile ("Default.tvx"));
    makeDistinctive (*processor);
    setCurrentName ("Baseline", true);
    const auto baseline = stateOf (*processor);
    blobBytes = baseline;
    const auto file = root.getChildFile ("Fuzz.tvx");

    std::map<juce::String, int> counts;
    auto applied = 0;

    for (auto i = 0; i < numPresetFiles; ++i)
    {
        const auto fuzz = makeCase (random);
        ++counts[fuzz.kind];
        writeBytes (file, fuzz.bytes);

        store().loadPreset (file);

        const auto unchanged = stateOf (*processor) == baseline;

        if (fuzz.expect == Expect::unchanged)
        {
            ASSERT_TRUE (unchanged) << fuzz.kind << " #" << i << " was taken";
        }
        else if (fuzz.expect == Expect::mirrorsXml || ! unchanged)
        {
            ASSERT_TRUE (stateHasPropertiesOf (treeTheFileStillHolds (fuzz.bytes)))
                << fuzz.kind << " #" << i << ": the state does not hold what the file says";
        }

        applied += unchanged ? 0 : 1;
        expectParametersSound (fuzz.kind, i);

        processor->setStateInformation (baseline.getData(), static_cast<int> (baseline.getSize()));
        ASSERT_EQ (stateOf (*processor), baseline);
    }

    EXPECT_EQ (chooserCalls, 0);

    for (const auto& [kind, count] : counts)
        std::printf ("  %-26s %d\n", kind.toRawUTF8(), count);
    std::printf ("  %d of %d files were taken as presets\n", applied, numPresetFiles);
}

TEST (FavoritesFuzz, MalformedListsAreReadByTheLineRulesAndRewrittenCleanly)
{
    Random random (fuzzSeed + 1);
    const auto root = clearedScratchFolder ("favorites-fuzz");
    const char* presets[] = { "a.tvx", "b.tvx", "Bass/b1.tvx", "User/u 1.tvx" };

    for (auto* preset : presets)
        writeText (root.getChildFile (preset), "preset");

    const auto listFile = root.getChildFile ("Favorites.txt");
    const char* pieces[] = { "a.tvx", "b.tvx", "Bass/b1.tvx", "User/u 1.tvx", "gone.tvx", "../outside.tvx", "/abs/x.tvx",
                             "~", ".", "\r", "\n", "\r\n", "\n\r", " ", "\t", "\xc3\xa9", "\xff\xfe", "\xe2\x82", "\0" };

    for (auto i = 0; i < numFavoritesFiles; ++i)
    {
        juce::MemoryBlock bytes;

        if (uniform (random, 0, 3) == 0)
        {
            bytes = randomBytes (random, 4096);
        }
        else
        {
            for (auto n = uniform (random, 0, 40); --n >= 0;)
            {
                const auto* piece = pieces[uniform (random, 0, static_cast<int> (std::size (pieces)) - 1)];
                bytes.append (piece, std::max<size_t> (1, std::strlen (piece)));
            }

            if (uniform (random, 0, 50) == 0)
                bytes.append (juce::String::repeatedString ("y", 100000).toRawUTF8(), 100000);
        }

        writeBytes (listFile, bytes);
        FavoritesManager favorites (root);

        // The rules: lines end at CR LF, LF or CR; each is trimmed; empty ones are skipped.
        const auto text = juce::String::createStringFromData (bytes.getData(), static_cast<int> (bytes.getSize()));
        juce::StringArray expected;
        juce::String line;

        for (auto p = text.getCharPointer(); ; )
        {
            const auto c = p.getAndAdvance();

            if (c == 0 || c == '\r' || c == '\n')
            {
                if (line.trim().isNotEmpty())
                    expected.add (line.trim());
                line.clear();

                if (c == '\r' && *p == '\n')
                    ++p;
                if (c == 0)
                    break;
            }
            else
            {
                line += juce::String::charToString (c);
            }
        }

        juce::Array<juce::File> existing;
        for (const auto& entry : expected)
            if (root.getChildFile (entry).existsAsFile())
                existing.add (root.getChildFile (entry));

        ASSERT_EQ (favorites.getFavorites(), existing) << "list #" << i;

        // A change rewrites the list with CR LF after every entry and nothing else.
        const auto toggled = root.getChildFile (presets[uniform (random, 0, 3)]);
        const auto wasFavorite = expected.contains (toggled.getRelativePathFrom (root));
        favorites.toggleFavorite (toggled);

        if (wasFavorite)
            expected.removeString (toggled.getRelativePathFrom (root));
        else
            expected.add (toggled.getRelativePathFrom (root));

        const auto rewritten = expected.joinIntoString ("\r\n") + (expected.isEmpty() ? "" : "\r\n");
        ASSERT_EQ (readBytes (listFile), bytesOf (rewritten)) << "list #" << i;
        ASSERT_EQ (favorites.isFavorite (toggled), ! wasFavorite);
    }
}
