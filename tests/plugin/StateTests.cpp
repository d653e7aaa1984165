#include "ProcessorHarness.h"

#include "plugin/PluginProcessor.h"
#include "plugin/StateBlob.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace
{
const juce::Identifier currentPresetProperty ("Current_Selected_Preset");
const juce::Identifier presetModifiedProperty ("Preset_Has_Been_Modified");

// A value other than the default for every parameter, in the parameter's own units.
const std::pair<const char*, float> changedValues[] = {
    { "biasKnob", 0.37f },       { "compKnob", 6.5f },        { "crosstalkKnob", 0.42f },
    { "lpfKnob", 3150.0f },      { "hpfKnob", 95.5f },        { "inputGainKnob", 7.25f },
    { "outputGainKnob", -3.5f }, { "speedPower", 0.0f },      { "gainlockPower", 0.0f },
    { "powerPower", 0.0f },      { "typeAbutton", 0.0f },     { "typeBbutton", 1.0f },
    { "typeCbutton", 1.0f },     { "typeDbutton", 1.0f },     { "typeEbutton", 1.0f },
    { "typeFbutton", 1.0f },     { "os", 2.0f },
};

juce::MemoryBlock stateOf (juce::AudioProcessor& processor)
{
    juce::MemoryBlock block;
    processor.getStateInformation (block);
    return block;
}

std::vector<float> parameterValues (juce::AudioProcessor& processor)
{
    std::vector<float> values;
    for (auto* parameter : processor.getParameters())
        values.push_back (parameter->getValue());
    return values;
}

// A processor whose state is far from the defaults, with both preset properties set.
void makeDistinctive (GuipluginAudioProcessor& processor)
{
    for (const auto& [id, value] : changedValues)
        test::setParameter (processor, id, value);

    auto& state = processor.getState().state;
    state.setProperty (currentPresetProperty, "Warm Bus", nullptr);
    state.setProperty (presetModifiedProperty, true, nullptr);
}

class StateRefusal : public ::testing::Test
{
protected:
    void SetUp() override
    {
        makeDistinctive (processor);
        before = stateOf (processor);
    }

    // The bytes must be refused: nothing about the processor may change.
    void expectRefused (const void* data, size_t size)
    {
        processor.setStateInformation (data, static_cast<int> (size));
        ASSERT_EQ (stateOf (processor), before) << "a blob of " << size << " bytes was taken";
    }

    GuipluginAudioProcessor processor;
    juce::MemoryBlock before;
};
} // namespace

TEST (State, RoundTripKeepsEveryParameterAndBothPresetProperties)
{
    GuipluginAudioProcessor source;
    makeDistinctive (source);
    const auto blob = stateOf (source);

    GuipluginAudioProcessor restored;
    restored.setStateInformation (blob.getData(), static_cast<int> (blob.getSize()));

    for (const auto& [id, value] : changedValues)
        EXPECT_FLOAT_EQ (test::rawParameter (restored, id), test::rawParameter (source, id)) << id;

    EXPECT_EQ (parameterValues (restored), parameterValues (source));
    EXPECT_EQ (restored.getState().state[currentPresetProperty].toString(), "Warm Bus");
    EXPECT_TRUE (static_cast<bool> (restored.getState().state[presetModifiedProperty]));
    EXPECT_EQ (stateOf (restored), blob);
}

TEST (State, IsTheBinaryEncodingOfTheTapeMachineTree)
{
    GuipluginAudioProcessor processor;
    const auto blob = stateOf (processor);
    const auto tree = juce::ValueTree::readFromData (blob.getData(), blob.getSize());

    EXPECT_TRUE (tree.hasType ("TapeMachine"));
    EXPECT_EQ (tree.getNumChildren(), 17);
    EXPECT_TRUE (tree.getChild (0).hasType ("PARAM"));

    // Writing replaces what the block held before.
    juce::MemoryBlock reused ("stale bytes that must go", 24);
    processor.getStateInformation (reused);
    EXPECT_EQ (reused, blob);
}

TEST (State, AcceptsAChangedTreeOfItsOwnType)
{
    GuipluginAudioProcessor processor;
    auto tree = processor.getState().copyState();
    tree.getChildWithProperty ("id", "compKnob").setProperty ("value", 4.0f, nullptr);

    juce::MemoryOutputStream out;
    tree.writeToStream (out);
    processor.setStateInformation (out.getData(), static_cast<int> (out.getDataSize()));

    EXPECT_FLOAT_EQ (test::rawParameter (processor, "compKnob"), 4.0f);
}

TEST (State, ANonFiniteStoredValueTakesTheParameterDefault)
{
    GuipluginAudioProcessor processor;
    test::setParameter (processor, "compKnob", 3.0f);
    auto tree = processor.getState().copyState();
    tree.getChildWithProperty ("id", "inputGainKnob").setProperty ("value", std::nan (""), nullptr);
    tree.getChildWithProperty ("id", "compKnob").setProperty ("value", 7.0, nullptr);

    juce::MemoryOutputStream out;
    tree.writeToStream (out);
    processor.setStateInformation (out.getData(), static_cast<int> (out.getDataSize()));

    EXPECT_EQ (test::rawParameter (processor, "inputGainKnob"), 0.0f);
    EXPECT_FLOAT_EQ (test::rawParameter (processor, "compKnob"), 7.0f);

    processor.prepareToPlay (48000.0, 256);
    auto buffer = test::makeSine (2, 1024, 48000.0, 440.0f, 0.5f);
    test::processInBlocks (processor, buffer, 256);
    EXPECT_TRUE (test::allFinite (buffer));
}

TEST_F (StateRefusal, EmptyData)
{
    expectRefused (nullptr, 0);
    expectRefused (before.getData(), 0);
}

TEST_F (StateRefusal, EveryTruncationOfAValidBlob)
{
    for (size_t length = 1; length < before.getSize(); ++length)
        expectRefused (before.getData(), length);
}

TEST_F (StateRefusal, ValidTreeOfAnotherType)
{
    auto foreign = processor.getState().copyState();
    juce::ValueTree renamed ("SomethingElse");
    renamed.copyPropertiesAndChildrenFrom (foreign, nullptr);

    juce::MemoryOutputStream out;
    renamed.writeToStream (out);
    expectRefused (out.getData(), out.getDataSize());
}

TEST_F (StateRefusal, ValidBlobWithTrailingBytes)
{
    juce::MemoryBlock padded (before);
    padded.append ("\0\0\0\1", 4);
    expectRefused (padded.getData(), padded.getSize());
}

TEST_F (StateRefusal, ThousandsOfRandomBlobs)
{
    std::mt19937 random (20261211);

    for (auto round = 0; round < 3000; ++round)
    {
        std::vector<unsigned char> bytes (1 + random() % 400);
        for (auto& b : bytes)
            b = static_cast<unsigned char> (random());

        // Half of them start like a real state, so the walk gets past the type name.
        if (round % 2 == 1)
            std::memcpy (bytes.data(), before.getData(), std::min (bytes.size(), size_t (14)));

        expectRefused (bytes.data(), bytes.size());
    }
}

TEST_F (StateRefusal, HugeCountsAreNotBelieved)
{
    // Type "TapeMachine", then 2^30 properties: JUCE's own reader would loop a billion times.
    const unsigned char manyProperties[] = { 'T', 'a', 'p', 'e', 'M', 'a', 'c', 'h', 'i', 'n', 'e', 0,
                                             4, 0, 0, 0, 0x40 };
    expectRefused (manyProperties, sizeof (manyProperties));

    // No properties, then 2^30 children: JUCE would reserve gigabytes for them.
    const unsigned char manyChildren[] = { 'T', 'a', 'p', 'e', 'M', 'a', 'c', 'h', 'i', 'n', 'e', 0,
                                           0, 4, 0, 0, 0, 0x40 };
    expectRefused (manyChildren, sizeof (manyChildren));

    // One property holding a binary var that claims 2 GB.
    const unsigned char hugeVar[] = { 'T', 'a', 'p', 'e', 'M', 'a', 'c', 'h', 'i', 'n', 'e', 0,
                                      1, 1, 'x', 0, 4, 0xff, 0xff, 0xff, 0x7f, 8 };
    expectRefused (hugeVar, sizeof (hugeVar));
}

TEST_F (StateRefusal, DeepNesting)
{
    // Every level is a one-letter tree with one child: deep enough to overflow a recursive reader.
    juce::MemoryOutputStream out;
    out.writeString ("TapeMachine");
    out.writeCompressedInt (0);
    out.writeCompressedInt (1);

    for (auto level = 0; level < 100000; ++level)
    {
        out.writeString ("x");
        out.writeCompressedInt (0);
        out.writeCompressedInt (1);
    }

    expectRefused (out.getData(), out.getDataSize());
}

TEST (StateBlobDecode, ReadsNestedArraysAndEveryValueKind)
{
    juce::ValueTree tree ("TapeMachine");
    juce::Array<juce::var> inner { 1, "two", 3.5 };
    tree.setProperty ("int", 7, nullptr);
    tree.setProperty ("int64", juce::int64 (1) << 40, nullptr);
    tree.setProperty ("double", 0.25, nullptr);
    tree.setProperty ("yes", true, nullptr);
    tree.setProperty ("no", false, nullptr);
    tree.setProperty ("text", "h\xc3\xa9llo", nullptr);
    tree.setProperty ("binary", juce::var (juce::MemoryBlock ("\0\1\2", 3)), nullptr);
    tree.setProperty ("array", juce::Array<juce::var> { juce::var (inner), juce::var(), "x" }, nullptr);
    tree.appendChild (juce::ValueTree ("PARAM"), nullptr);

    juce::MemoryOutputStream out;
    tree.writeToStream (out);

    const auto decoded = StateBlob::decode (out.getData(), out.getDataSize(), "TapeMachine");
    ASSERT_TRUE (decoded.isValid());
    EXPECT_TRUE (decoded.isEquivalentTo (tree));
}
