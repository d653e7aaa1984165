// What tavorin-render writes: the product's processor run sample for sample as a host would run
// it, with the preset and the --set values as parameters, through a file that replaces OUT only
// when it is complete, and with nothing written anywhere else.

#include "ToolTestSupport.h"

#include "ProcessorHarness.h"
#include "plugin/ParameterIds.h"
#include "presets/ProcessorPresetManager.h"

#include <csignal>
#include <sys/wait.h>
#include <thread>

using namespace tooltest;

namespace
{
using Settings = std::vector<std::pair<const char*, float>>;

// What the in-process processor makes of the input, in the same blocks, tail included.
juce::AudioBuffer<float> processInProcess (const juce::AudioBuffer<float>& input, double sampleRate, int blockSize,
                                           int tailSamples, const Settings& settings)
{
    auto processor = makeProcessor();
    EXPECT_TRUE (test::setChannels (*processor, input.getNumChannels()));

    for (const auto& [id, value] : settings)
        test::setParameter (*processor, id, value);

    processor->prepareToPlay (sampleRate, blockSize);
    juce::AudioBuffer<float> audio (input.getNumChannels(), input.getNumSamples() + tailSamples);
    audio.clear();

    for (auto channel = 0; channel < input.getNumChannels(); ++channel)
        audio.copyFrom (channel, 0, input, channel, 0, input.getNumSamples());

    test::processInBlocks (*processor, audio, blockSize);
    return audio;
}

// The Settings line that the tool prints.
juce::String settingsLine (const juce::String& output)
{
    return juce::StringArray::fromLines (output)[0];
}

void expectNoPresetFolderAndNoScratchLeft()
{
    EXPECT_FALSE (userPresetFolder().exists()) << "the tool wrote into the user's preset folder";
    EXPECT_EQ (listing (toolTemporaryFolder()), juce::StringArray()) << "the tool left temporary files behind";
}

struct RenderCase
{
    const char* name;
    int numChannels;
    double sampleRate;
    int blockSize;
    double seconds, tailSeconds;
    juce::StringArray options;
    Settings settings; // the same, as the in-process processor gets them
};

std::ostream& operator<< (std::ostream& stream, const RenderCase& c) { return stream << c.name; }

using namespace ParameterIds;

const RenderCase renderCases[] = {
    { "DefaultsStereo48k", 2, 48000.0, 512, 0.5, 0.0, {}, {} },
    { "MonoTypeCSlowWithBias", 1, 44100.0, 100, 0.5, 0.0, { "--type", "C", "--speed", "slow", "--set", "biasKnob=0.3" },
      { { typeAbutton, 0.0f }, { typeCbutton, 1.0f }, { speedPower, 0.0f }, { biasKnob, 0.3f } } },
    { "EveryStageAt96kOddBlocksAndATail", 2, 96000.0, 37, 0.4, 0.25,
      { "--type", "f", "--set", "compKnob=5", "--set", "crosstalkKnob=0.5", "--set", "lpfKnob=8000", "--set",
        "hpfKnob=120", "--set", "inputGainKnob=9", "--set", "gainlockPower=off", "--set", "outputGainKnob=-3" },
      { { typeAbutton, 0.0f }, { typeFbutton, 1.0f }, { compKnob, 5.0f }, { crosstalkKnob, 0.5f }, { lpfKnob, 8000.0f },
        { hpfKnob, 120.0f }, { inputGainKnob, 9.0f }, { gainlockPower, 0.0f }, { outputGainKnob, -3.0f } } },
    { "OneSampleBlocks", 1, 48000.0, 1, 0.05, 0.0, { "--set", "typeEbutton=on" }, { { typeEbutton, 1.0f } } },
    { "ABlockLongerThanTheInput", 2, 22050.0, 8192, 0.1, 0.1, { "--set", "powerPower=on" }, {} },
};

class RenderMatchesTheProcessor : public ::testing::TestWithParam<RenderCase>
{
};
} // namespace

TEST_P (RenderMatchesTheProcessor, SampleForSampleInTheSameBlocks)
{
    const auto& c = GetParam();
    const auto folder = scratchFolder ("render-match");
    const auto inputFile = folder.getChildFile ("in.wav"), outputFile = folder.getChildFile ("out.wav");
    const auto input = testMaterial (c.numChannels, static_cast<int> (c.seconds * c.sampleRate), c.sampleRate);
    writeWav (inputFile, input, c.sampleRate);

    juce::StringArray arguments { inputFile.getFullPathName(), outputFile.getFullPathName(), "--bits", "32f",
                                  "--block", juce::String (c.blockSize), "--tail", juce::String (c.tailSeconds) };
    arguments.addArray (c.options);
    const auto run = runTool (arguments);
    ASSERT_EQ (run.exitCode, 0) << run.output;

    double rate = 0.0;
    int bits = 0;
    const auto rendered = readWav (outputFile, &rate, &bits);
    const auto expected = processInProcess (input, c.sampleRate, c.blockSize,
                                            static_cast<int> (std::llround (c.tailSeconds * c.sampleRate)), c.settings);

    EXPECT_EQ (rate, c.sampleRate);
    EXPECT_EQ (bits, 32);
    EXPECT_EQ (rendered.getNumChannels(), c.numChannels);
    EXPECT_EQ (rendered.getNumSamples(), expected.getNumSamples());
    EXPECT_TRUE (test::bitIdentical (rendered, expected));
    EXPECT_EQ (listing (folder), juce::StringArray ({ "in.wav", "out.wav" }));
    expectNoPresetFolderAndNoScratchLeft();
}

INSTANTIATE_TEST_SUITE_P (Cases, RenderMatchesTheProcessor, ::testing::ValuesIn (renderCases),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST (RenderOutput, IntegerFormatsHoldTheFloatRenderToTheirResolution)
{
    const auto folder = scratchFolder ("render-bits");
    const auto inputFile = folder.getChildFile ("in.wav");
    writeWav (inputFile, testMaterial (2, 9600, 48000.0), 48000.0);

    const auto render = [&] (const char* bits)
    {
        const auto file = folder.getChildFile (juce::String ("out") + bits + ".wav");
        EXPECT_EQ (runTool ({ inputFile.getFullPathName(), file.getFullPathName(), "--bits", bits }).exitCode, 0);
        int written = 0;
        auto audio = readWav (file, nullptr, &written);
        return std::pair (audio, written);
    };

    const auto [reference, floatBits] = render ("32f");

    for (const auto bits : { 16, 24 })
    {
        const auto [audio, written] = render (juce::String (bits).toRawUTF8());
        EXPECT_EQ (written, bits);
        ASSERT_EQ (audio.getNumSamples(), reference.getNumSamples());

        const auto step = 1.0f / static_cast<float> (1 << (bits - 1));
        auto largest = 0.0f;

        for (auto channel = 0; channel < 2; ++channel)
            for (auto i = 0; i < audio.getNumSamples(); ++i)
                largest = std::max (largest, std::abs (audio.getSample (channel, i) - reference.getSample (channel, i)));

        EXPECT_LE (largest, step) << bits << "-bit";
        EXPECT_GT (largest, 0.0f) << bits << "-bit output is no quantisation of the float one";
    }

    // 24-bit is the default.
    const auto defaultFile = folder.getChildFile ("default.wav");
    ASSERT_EQ (runTool ({ inputFile.getFullPathName(), defaultFile.getFullPathName() }).exitCode, 0);
    int defaultBits = 0;
    readWav (defaultFile, nullptr, &defaultBits);
    EXPECT_EQ (defaultBits, 24);
}

namespace
{
// A preset far from the defaults, and the --set values given on top of it.
const Settings presetSettings { { typeAbutton, 0.0f }, { typeDbutton, 1.0f }, { speedPower, 0.0f },
                                { biasKnob, 0.2f },    { compKnob, 3.0f },    { lpfKnob, 8000.0f } };
const juce::StringArray overrides { "--set", "biasKnob=0.4", "--set", "crosstalkKnob=0.25" };
const Settings overriddenSettings { { biasKnob, 0.4f }, { crosstalkKnob, 0.25f } };
const juce::String expectedSettingsLine =
    "Settings: biasKnob=0.4 compKnob=3 crosstalkKnob=0.25 lpfKnob=8000 speedPower=off typeAbutton=off typeDbutton=on";

enum class PresetForm
{
    xmlFile,
    stateBlobFile,
    nameInUsersFolder
};

struct PresetCase
{
    const char* name;
    PresetForm form;
};

std::ostream& operator<< (std::ostream& stream, const PresetCase& c) { return stream << c.name; }

// Writes the preset in its form; returns what --preset is given.
juce::String writePreset (PresetForm form, const juce::File& folder)
{
    auto processor = makeProcessor();

    for (const auto& [id, value] : presetSettings)
        test::setParameter (*processor, id, value);

    if (form == PresetForm::stateBlobFile)
    {
        juce::MemoryBlock state;
        processor->getStateInformation (state);
        const auto file = folder.getChildFile ("blob.tvx");
        file.replaceWithData (state.getData(), state.getSize());
        return file.getFullPathName();
    }

    const auto file = form == PresetForm::xmlFile ? folder.getChildFile ("Warm.tvx")
                                                  : userPresetFolder().getChildFile ("User/Warm.tvx");
    file.getParentDirectory().createDirectory();
    processor->getPresetManager().savePreset (file);
    return form == PresetForm::xmlFile ? file.getFullPathName() : juce::String ("User/Warm");
}

class PresetAndOverrides : public ::testing::TestWithParam<PresetCase>
{
protected:
    void TearDown() override { userPresetFolder().deleteRecursively(); }
};
} // namespace

TEST_P (PresetAndOverrides, ArriveAsParametersAndTheUsersFolderIsOnlyRead)
{
    const auto folder = scratchFolder ("render-preset");
    const auto inputFile = folder.getChildFile ("in.wav"), outputFile = folder.getChildFile ("out.wav");
    const auto input = testMaterial (2, 12000, 48000.0);
    writeWav (inputFile, input, 48000.0);
    const auto preset = writePreset (GetParam().form, folder);
    const auto usersFolder = listing (userPresetFolder());

    juce::StringArray arguments { inputFile.getFullPathName(), outputFile.getFullPathName(), "--bits", "32f", "--preset", preset };
    arguments.addArray (overrides);
    const auto run = runTool (arguments);
    ASSERT_EQ (run.exitCode, 0) << run.output;

    EXPECT_EQ (settingsLine (run.output), expectedSettingsLine);

    auto settings = presetSettings;
    settings.insert (settings.end(), overriddenSettings.begin(), overriddenSettings.end());
    EXPECT_TRUE (test::bitIdentical (readWav (outputFile), processInProcess (input, 48000.0, 512, 0, settings)));
    EXPECT_EQ (listing (userPresetFolder()), usersFolder);
}

INSTANTIATE_TEST_SUITE_P (Forms, PresetAndOverrides,
                          ::testing::Values (PresetCase { "XmlFile", PresetForm::xmlFile },
                                             PresetCase { "StateBlobFile", PresetForm::stateBlobFile },
                                             PresetCase { "NameInTheUsersFolder", PresetForm::nameInUsersFolder }),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST (RenderOutput, TheSummaryGivesLevelsInAndOut)
{
    const auto folder = scratchFolder ("render-summary");
    const auto inputFile = folder.getChildFile ("in.wav"), outputFile = folder.getChildFile ("out.wav");
    writeWav (inputFile, test::makeSine (1, 44100, 44100.0, 1000.0f, 0.5f), 44100.0);

    // Power off passes the sine through: peak -6.0 dBFS and RMS -9.0 dBFS on both sides.
    const auto run = runTool ({ inputFile.getFullPathName(), outputFile.getFullPathName(), "--set", "powerPower=off" });
    ASSERT_EQ (run.exitCode, 0) << run.output;

    const auto lines = juce::StringArray::fromLines (run.output.trim());
    ASSERT_EQ (lines.size(), 2) << run.output;
    EXPECT_EQ (lines[0], "Settings: powerPower=off");
    EXPECT_TRUE (lines[1].startsWith ("Rendered in.wav -> " + outputFile.getFullPathName()
                                      + ": mono, 44100 Hz, 24-bit, 1.00 s; in peak -6.0 dBFS, RMS -9.0 dBFS; "
                                        "out peak -6.0 dBFS, RMS -9.0 dBFS; took "))
        << lines[1];
    EXPECT_TRUE (lines[1].endsWith ("x real time")) << lines[1];
}

TEST (RenderOutput, AnInterruptedRunLeavesTheExistingOutputAndNoPartialFile)
{
    const auto folder = scratchFolder ("render-interrupt");
    const auto inputFile = folder.getChildFile ("long.wav"), outputFile = folder.getChildFile ("out.wav");
    constexpr double rate = 48000.0;
    writeWav (inputFile, test::makeSine (1, static_cast<int> (300 * rate), rate, 440.0f, 0.5f), rate, 16); // five minutes
    const juce::String previous ("the previous output\n");
    ASSERT_TRUE (outputFile.replaceWithText (previous, false, false, nullptr));
    const auto before = listing (folder);

    const auto pid = startTool ({ inputFile.getFullPathName(), outputFile.getFullPathName() });
    ASSERT_GT (pid, 0);

    // Interrupt once the partial file is being written.
    const auto partial = folder.getChildFile (".out.wav.partial");
    for (auto attempt = 0; attempt < 10000 && ! (partial.exists() && partial.getSize() > 0); ++attempt)
        std::this_thread::sleep_for (std::chrono::milliseconds (1));

    ASSERT_TRUE (partial.exists()) << "the run never started writing";
    ::kill (pid, SIGTERM);
    int status = 0;
    ASSERT_EQ (::waitpid (pid, &status, 0), pid);

    ASSERT_TRUE (WIFEXITED (status));
    EXPECT_EQ (WEXITSTATUS (status), 128 + SIGTERM) << "the run finished before it was interrupted";
    EXPECT_EQ (outputFile.loadFileAsString(), previous);
    EXPECT_EQ (listing (folder), before);
    expectNoPresetFolderAndNoScratchLeft();
}

TEST (RenderOutput, HelpNamesEveryOption)
{
    const auto run = runTool ({ "--help" });
    EXPECT_EQ (run.exitCode, 0);

    for (const auto* option : { "--preset", "--type", "--speed", "--set", "--block", "--bits", "--tail", "--analyze",
                                "--rate", "--csv" })
        EXPECT_TRUE (run.output.contains (option)) << option;
}
