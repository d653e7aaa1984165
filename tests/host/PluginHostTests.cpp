// The built VST3 and LV2 bundles, loaded through JUCE's hosting classes: the wrapper code a DAW
// meets, driven through the host interface.

#include "ProcessorHarness.h"

#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <gtest/gtest.h>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
const juce::String lv2Uri = "https://tavorin.audio/plugins/TavorinProV3";

enum class Format { VST3, LV2 };

std::string formatName (const ::testing::TestParamInfo<Format>& info)
{
    return info.param == Format::VST3 ? "VST3" : "LV2";
}

// JUCE finds LV2 bundles only in ~/.lv2 and the system folders; HOME is a temporary folder here.
void installLv2BundleLink()
{
    const auto folder = juce::File ("~/.lv2");
    const auto link = folder.getChildFile ("TavorinProV3.lv2");

    if (! link.exists())
    {
        folder.createDirectory();
        juce::File (TAVORIN_LV2_BUNDLE).createSymbolicLink (link, true);
    }
}

std::unique_ptr<juce::AudioPluginInstance> loadBundle (Format format)
{
    std::unique_ptr<juce::AudioPluginFormat> host;
    juce::String identifier;

    if (format == Format::VST3)
    {
        host = std::make_unique<juce::VST3PluginFormat>();
        identifier = TAVORIN_VST3_BUNDLE;
    }
    else
    {
        installLv2BundleLink();
        host = std::make_unique<juce::LV2PluginFormat>();
        identifier = lv2Uri;
    }

    juce::OwnedArray<juce::PluginDescription> types;
    host->findAllTypesForFile (types, identifier);

    if (types.isEmpty())
        return nullptr;

    juce::String error;
    auto instance = host->createInstanceFromDescription (*types[0], sampleRate, blockSize, error);

    if (instance != nullptr)
        instance->prepareToPlay (sampleRate, blockSize);

    return instance;
}

juce::AudioProcessorParameter* findByName (juce::AudioProcessor& processor, const juce::String& name)
{
    for (auto* parameter : processor.getParameters())
        if (parameter->getName (100) == name)
            return parameter;

    return nullptr;
}

// The host-side 0..1 value that stands for the parameter's present value. VST3 carries the plug-in's
// own normalised value; LV2 carries plain values, which JUCE's LV2 host maps linearly onto 0..1.
float hostValue (Format format, const juce::RangedAudioParameter& parameter)
{
    if (format == Format::VST3)
        return parameter.getValue();

    const auto& range = parameter.getNormalisableRange();
    return (parameter.convertFrom0to1 (parameter.getValue()) - range.start) / (range.end - range.start);
}

// Gives the hosted plug-in and the in-process processor the same settings, in the parameters' own
// units, through each one's host interface.
void setBoth (Format format, juce::AudioPluginInstance& hosted, GuipluginAudioProcessor& local,
              std::initializer_list<std::pair<const char*, float>> values)
{
    for (const auto& [id, value] : values)
    {
        auto* parameter = local.getState().getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));

        auto* remote = findByName (hosted, parameter->getName (100));
        ASSERT_NE (remote, nullptr) << id;
        remote->setValueNotifyingHost (hostValue (format, *parameter));
    }
}

// Parameter changes travel with the next block, and LV2 reports values back only from a block.
void processOneBlock (juce::AudioProcessor& processor)
{
    auto buffer = test::makeSine (2, blockSize, sampleRate, 100.0f, 0.1f);
    test::processInBlocks (processor, buffer, blockSize);
}

class HostedPlugin : public ::testing::TestWithParam<Format>
{
protected:
    void SetUp() override
    {
        hosted = loadBundle (GetParam());
        ASSERT_NE (hosted, nullptr) << "the bundle did not load";
        local.prepareToPlay (sampleRate, blockSize);
    }

    void TearDown() override
    {
        if (hosted != nullptr)
            hosted->releaseResources();
    }

    // Runs the input through the bundle and through the in-process processor: the same samples, and
    // not the input itself.
    void expectTheSameRender (const juce::AudioBuffer<float>& input)
    {
        auto fromBundle = input;
        auto fromProcess = input;
        test::processInBlocks (*hosted, fromBundle, blockSize);
        test::processInBlocks (local, fromProcess, blockSize);

        ASSERT_TRUE (test::bitIdentical (fromBundle, fromProcess));
        EXPECT_FALSE (test::bitIdentical (fromBundle, input));
    }

    std::unique_ptr<juce::AudioPluginInstance> hosted;
    GuipluginAudioProcessor local;
};
} // namespace

TEST_P (HostedPlugin, ShowsItsNameAndTheSeventeenParametersByName)
{
    EXPECT_EQ (hosted->getName(), "TavorinProV3");
    EXPECT_FALSE (hosted->acceptsMidi());
    EXPECT_EQ (hosted->getLatencySamples(), 0);

    for (auto* parameter : local.getParameters())
    {
        const auto name = parameter->getName (100);
        auto* remote = findByName (*hosted, name);
        ASSERT_NE (remote, nullptr) << name;
        EXPECT_FLOAT_EQ (remote->getValue(), hostValue (GetParam(), *dynamic_cast<juce::RangedAudioParameter*> (parameter)))
            << name;
    }
}

TEST_P (HostedPlugin, RendersTheSameSamplesAsTheProcessorInProcess)
{
    setBoth (GetParam(), *hosted, local, { { "inputGainKnob", 4.5f }, { "outputGainKnob", -2.0f }, { "gainlockPower", 0.0f },
                               { "lpfKnob", 6000.0f }, { "hpfKnob", 120.0f } });

    expectTheSameRender (test::makeSine (2, 40 * blockSize, sampleRate, 1500.0f, 0.7f));
}

TEST_P (HostedPlugin, RendersEveryTypeAndSpeedLikeTheProcessorInProcess)
{
    // Every stage engaged; then each slot in turn, chosen through the host interface: its switching
    // block and a few blocks of the new slot alone.
    setBoth (GetParam(), *hosted, local, { { "lpfKnob", 8000.0f }, { "hpfKnob", 60.0f }, { "biasKnob", 0.3f },
                               { "compKnob", 5.0f }, { "crosstalkKnob", 0.5f } });

    constexpr int blocksPerSlot = 4;

    for (auto slot = 0; slot < 12; ++slot)
    {
        SCOPED_TRACE (slot);
        const auto type = slot % 6;
        for (auto t = 0; t < 6; ++t)
            setBoth (GetParam(), *hosted, local, { { ParameterIds::typeButtons[t], t == type ? 1.0f : 0.0f } });
        setBoth (GetParam(), *hosted, local, { { "speedPower", slot >= 6 ? 1.0f : 0.0f } });

        expectTheSameRender (test::makeSine (2, blocksPerSlot * blockSize, sampleRate, 220.0f * (1 + slot % 4), 0.6f));

        if (HasFatalFailure())
            return;
    }
}

TEST_P (HostedPlugin, PowerOffPassesTheInputThroughBitForBit)
{
    setBoth (GetParam(), *hosted, local, { { "inputGainKnob", 9.0f }, { "lpfKnob", 800.0f }, { "powerPower", 0.0f } });

    const auto input = test::makeSine (2, 10 * blockSize, sampleRate, 5000.0f, 0.9f);
    auto output = input;
    test::processInBlocks (*hosted, output, blockSize);
    EXPECT_TRUE (test::bitIdentical (output, input));
}

TEST_P (HostedPlugin, SavesAndRestoresItsState)
{
    setBoth (GetParam(), *hosted, local, { { "biasKnob", 0.3f }, { "compKnob", 5.0f }, { "typeCbutton", 1.0f },
                               { "speedPower", 0.0f }, { "os", 3.0f } });

    processOneBlock (*hosted);

    juce::MemoryBlock saved;
    hosted->getStateInformation (saved);
    const auto expected = [&] {
        std::vector<float> values;
        for (auto* parameter : local.getParameters())
            values.push_back (findByName (*hosted, parameter->getName (100))->getValue());
        return values;
    }();

    auto restored = loadBundle (GetParam());
    ASSERT_NE (restored, nullptr);
    restored->setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
    processOneBlock (*restored);

    auto index = 0u;
    for (auto* parameter : local.getParameters())
    {
        const auto name = parameter->getName (100);
        EXPECT_FLOAT_EQ (findByName (*restored, name)->getValue(), expected[index++]) << name;
        EXPECT_FLOAT_EQ (findByName (*restored, name)->getValue(),
                         hostValue (GetParam(), *dynamic_cast<juce::RangedAudioParameter*> (parameter))) << name;
    }

    restored->releaseResources();
}

INSTANTIATE_TEST_SUITE_P (Bundles, HostedPlugin, ::testing::Values (Format::VST3, Format::LV2), formatName);
