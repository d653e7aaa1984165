#include "ProcessorHarness.h"

#include "editor/PluginEditor.h"
#include "plugin/PluginProcessor.h"

#include <gtest/gtest.h>

namespace
{
enum class Kind { Float, Bool, Choice };

struct ExpectedParameter
{
    const char* id;
    const char* name;
    Kind kind;
    float start, end, interval, skew, defaultValue;
    const char* label;
};

// The parameter set in host order, as hosts, presets and the editor know it.
const ExpectedParameter expectedParameters[] = {
    { "biasKnob", "Bias Knob", Kind::Float, 0.0f, 0.5f, 0.01f, 1.0f, 0.0f, "biasKnob" },
    { "compKnob", "Comp Knob", Kind::Float, 0.0f, 10.0f, 0.01f, 1.0f, 0.0f, "compKnob" },
    { "crosstalkKnob", "Crosstalk Knob", Kind::Float, 0.0f, 1.0f, 0.01f, 1.0f, 0.0f, "crosstalkKnob" },
    { "lpfKnob", "Low Pass Knob", Kind::Float, 20.0f, 20000.0f, 0.01f, 0.22f, 20000.0f, "lpfKnob" },
    { "hpfKnob", "High Pass Knob", Kind::Float, 20.0f, 20000.0f, 0.01f, 0.22f, 20.0f, "hpfKnob" },
    { "inputGainKnob", "Input Gain Knob", Kind::Float, -24.0f, 24.0f, 0.01f, 1.0f, 0.0f, "inputGainKnob" },
    { "outputGainKnob", "Output Gain Knob", Kind::Float, -24.0f, 24.0f, 0.01f, 1.0f, 0.0f, "outputGainKnob" },
    { "speedPower", "Speed", Kind::Bool, 0, 1, 1, 1, 1.0f, "speedPower" },
    { "gainlockPower", "GainLock", Kind::Bool, 0, 1, 1, 1, 1.0f, "gainlockPower" },
    { "powerPower", "Main Power", Kind::Bool, 0, 1, 1, 1, 1.0f, "powerPower" },
    { "typeAbutton", "Type A", Kind::Bool, 0, 1, 1, 1, 1.0f, "typeAbutton" },
    { "typeBbutton", "Type B", Kind::Bool, 0, 1, 1, 1, 0.0f, "typeBbutton" },
    { "typeCbutton", "Type C", Kind::Bool, 0, 1, 1, 1, 0.0f, "typeCbutton" },
    { "typeDbutton", "Type D", Kind::Bool, 0, 1, 1, 1, 0.0f, "typeDbutton" },
    { "typeEbutton", "Type E", Kind::Bool, 0, 1, 1, 1, 0.0f, "typeEbutton" },
    { "typeFbutton", "Type F", Kind::Bool, 0, 1, 1, 1, 0.0f, "typeFbutton" },
    { "os", "OverSampling", Kind::Choice, 0, 3, 1, 1, 0.0f, "Oversampling Factor" },
};
} // namespace

TEST (ParameterSet, MatchesTheTableInHostOrder)
{
    GuipluginAudioProcessor processor;
    const auto& parameters = processor.getParameters();
    ASSERT_EQ (parameters.size(), static_cast<int> (std::size (expectedParameters)));

    for (size_t index = 0; index < std::size (expectedParameters); ++index)
    {
        const auto& expected = expectedParameters[index];
        SCOPED_TRACE (expected.id);
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (parameters[static_cast<int> (index)]);
        ASSERT_NE (parameter, nullptr);

        EXPECT_EQ (parameter->paramID, expected.id);
        EXPECT_EQ (parameter->getVersionHint(), 0);
        EXPECT_EQ (parameter->getName (100), expected.name);
        EXPECT_EQ (parameter->getLabel(), expected.label);
        EXPECT_EQ (test::rawParameter (processor, expected.id), expected.defaultValue);
        EXPECT_FLOAT_EQ (parameter->convertFrom0to1 (parameter->getDefaultValue()), expected.defaultValue);

        const auto& range = parameter->getNormalisableRange();

        switch (expected.kind)
        {
            case Kind::Float:
                ASSERT_NE (dynamic_cast<juce::AudioParameterFloat*> (parameter), nullptr);
                EXPECT_EQ (range.start, expected.start);
                EXPECT_EQ (range.end, expected.end);
                EXPECT_EQ (range.interval, expected.interval);
                EXPECT_EQ (range.skew, expected.skew);
                EXPECT_FALSE (range.symmetricSkew);
                EXPECT_EQ (parameter->getCategory(), juce::AudioProcessorParameter::genericParameter);
                break;

            case Kind::Bool:
                EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (parameter), nullptr);
                break;

            case Kind::Choice:
            {
                auto* choice = dynamic_cast<juce::AudioParameterChoice*> (parameter);
                ASSERT_NE (choice, nullptr);
                EXPECT_EQ (choice->choices, juce::StringArray ({ "off", "2x", "4x", "8x" }));
                EXPECT_EQ (choice->choices, processor.oversamplingChoices);
                break;
            }
        }
    }
}

TEST (HostQueries, AnswerAsAnEffectWithOneNamedProgram)
{
    GuipluginAudioProcessor processor;
    EXPECT_EQ (processor.getName(), "TavorinProV3");
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_EQ (processor.getTailLengthSeconds(), 0.0);
    EXPECT_EQ (processor.getLatencySamples(), 0);
    EXPECT_TRUE (processor.hasEditor());

    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getProgramName (0), "Default");
    EXPECT_EQ (processor.getProgramName (5), "");
    processor.setCurrentProgram (3);
    processor.changeProgramName (0, "Renamed");
    EXPECT_EQ (processor.getCurrentProgram(), 0);
    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getProgramName (0), "Default");
}

TEST (HostQueries, EditorOpensAtThreeQuartersOfTheDesign)
{
    GuipluginAudioProcessor processor;
    std::unique_ptr<juce::AudioProcessorEditor> editor (processor.createEditor());
    ASSERT_NE (dynamic_cast<GuipluginAudioProcessorEditor*> (editor.get()), nullptr);
    EXPECT_EQ (editor->getWidth(), 725);
    EXPECT_EQ (editor->getHeight(), 376);
}

TEST (BusLayouts, AcceptMonoAndStereoWithMatchingInput)
{
    using Set = juce::AudioChannelSet;

    struct Case
    {
        Set input, output;
        bool accepted;
    };

    const Case cases[] = {
        { Set::mono(), Set::mono(), true },
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::stereo(), false },
        { Set::stereo(), Set::mono(), false },
        { Set::disabled(), Set::stereo(), false },
        { Set::disabled(), Set::disabled(), false },
        { Set::create5point1(), Set::create5point1(), false },
        { Set::createLCR(), Set::createLCR(), false },
    };

    GuipluginAudioProcessor processor;

    for (const auto& c : cases)
    {
        SCOPED_TRACE ((c.input.getDescription() + " -> " + c.output.getDescription()).toStdString());
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.input);
        layout.outputBuses.add (c.output);
        EXPECT_EQ (processor.checkBusesLayoutSupported (layout), c.accepted);
    }

    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getTotalNumInputChannels(), 2);
    EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
}

TEST (PresetRoot, LiesUnderTheApplicationDataFolder)
{
    const auto expected = juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                              .getChildFile (".config/Application Support/VX Presets/TavorinV3");
    EXPECT_EQ (GuipluginAudioProcessor::getPresetRootDirectory(), expected);
}
