// tavorin-render refuses what it cannot do with one line on stderr and a non-zero exit, before it
// writes anything: no new file appears, and an existing output stays as it was.

#include "ToolTestSupport.h"

#include <functional>
#include <unistd.h>

using namespace tooltest;

namespace
{
// The files every case picks from.
struct Files
{
    juce::File folder, input, out;

    juce::String path (const char* name) const { return folder.getChildFile (name).getFullPathName(); }
};

struct ErrorCase
{
    const char* name;
    std::function<juce::StringArray (const Files&)> arguments;
    int exitCode;
    juce::String message; // the line's text after "tavorin-render: ", or its start
    bool permissionsMatter = false; // root reads and writes whatever the permissions say
};

std::ostream& operator<< (std::ostream& stream, const ErrorCase& c) { return stream << c.name; }

juce::MemoryBlock truncatedState()
{
    auto processor = makeProcessor();
    juce::MemoryBlock state;
    processor->getStateInformation (state);
    state.setSize (state.getSize() / 2);
    return state;
}

// Built once: an input, files that are not what they claim, a folder that cannot be written.
Files makeFiles()
{
    Files files;
    files.folder = scratchFolder ("render-errors");
    files.input = files.folder.getChildFile ("in.wav");
    files.out = files.folder.getChildFile ("out.wav");

    writeWav (files.input, testMaterial (2, 4800, 48000.0), 48000.0);
    writeWav (files.folder.getChildFile ("three.wav"), testMaterial (3, 480, 48000.0), 48000.0);
    files.folder.getChildFile ("notaudio.wav").replaceWithText ("RIFF? no, a text file\n");
    files.folder.getChildFile ("a folder.wav").createDirectory();
    files.folder.getChildFile ("locked.wav").replaceWithText ("locked");
    chmod (files.path ("locked.wav").toRawUTF8(), 0);

    files.folder.getChildFile ("text.tvx").replaceWithText ("neither preset XML nor a state\n");
    files.folder.getChildFile ("other.tvx").replaceWithText ("<Other><PARAM id=\"biasKnob\" value=\"0.3\"/></Other>\n");
    files.folder.getChildFile ("truncated.tvx").replaceWithData (truncatedState().getData(), truncatedState().getSize());
    files.folder.getChildFile ("presets.tvx").createDirectory();

    files.folder.getChildFile ("read-only").createDirectory();
    chmod (files.path ("read-only").toRawUTF8(), 0555);
    return files;
}

const Files& files()
{
    static const auto made = makeFiles();
    return made;
}

// IN and OUT, then the options.
std::function<juce::StringArray (const Files&)> render (juce::StringArray options)
{
    return [options] (const Files& f)
    {
        juce::StringArray arguments { f.input.getFullPathName(), f.out.getFullPathName() };
        arguments.addArray (options);
        return arguments;
    };
}

std::function<juce::StringArray (const Files&)> renderFrom (const char* input)
{
    return [input] (const Files& f) { return juce::StringArray { f.path (input), f.out.getFullPathName() }; };
}

std::function<juce::StringArray (const Files&)> renderTo (const char* output)
{
    return [output] (const Files& f) { return juce::StringArray { f.input.getFullPathName(), f.path (output) }; };
}

std::function<juce::StringArray (const Files&)> withPreset (const char* preset)
{
    return [preset] (const Files& f)
    { return juce::StringArray { f.input.getFullPathName(), f.out.getFullPathName(), "--preset", f.path (preset) }; };
}

std::function<juce::StringArray (const Files&)> analyze (juce::StringArray options)
{
    return [options] (const Files& f)
    {
        juce::StringArray arguments { "--analyze", f.path ("chart.png") };
        arguments.addArray (options);
        return arguments;
    };
}

const juce::String allIds = "biasKnob, compKnob, crosstalkKnob, lpfKnob, hpfKnob, inputGainKnob, outputGainKnob, "
                            "speedPower, gainlockPower, powerPower, typeAbutton, typeBbutton, typeCbutton, "
                            "typeDbutton, typeEbutton, typeFbutton, os";
constexpr int failure = 1, usage = 2;

const ErrorCase errorCases[] = {
    { "NoArguments", [] (const Files&) { return juce::StringArray(); }, usage, "expected IN and OUT" },
    { "OnlyOneFile", [] (const Files& f) { return juce::StringArray { f.input.getFullPathName() }; }, usage,
      "expected exactly two files, IN and OUT" },
    { "UnknownOption", render ({ "--loud" }), usage, "unknown option --loud (see --help)" },
    { "MissingInput", renderFrom ("nothing.wav"), failure, "no such input file: " },
    { "InputIsAFolder", renderFrom ("a folder.wav"), failure, "input is a folder, not an audio file: " },
    { "UnreadableInput", renderFrom ("locked.wav"), failure, "cannot read input ", true },
    { "UnsupportedFormat", renderFrom ("notaudio.wav"), failure, "unsupported format: " },
    { "ThreeChannels", renderFrom ("three.wav"), failure, "input has 3 channels; only mono and stereo are processed" },
    { "UnknownParameterId", render ({ "--set", "loudness=3" }), usage,
      "unknown parameter ID \"loudness\"; valid IDs: " + allIds },
    { "BiasOutOfRange", render ({ "--set", "biasKnob=0.8" }), usage, "biasKnob=0.8 is out of range: 0 to 0.5" },
    { "GainOutOfRange", render ({ "--set", "inputGainKnob=-30" }), usage,
      "inputGainKnob=-30 is out of range: -24 to 24 dB" },
    { "CutoffOutOfRange", render ({ "--set", "lpfKnob=19" }), usage, "lpfKnob=19 is out of range: 20 to 20000 Hz" },
    { "NotANumber", render ({ "--set", "compKnob=lots" }), usage, "compKnob=lots: not a number (range 0 to 10)" },
    { "BoolNeitherOnNorOff", render ({ "--set", "powerPower=maybe" }), usage, "powerPower=maybe: expected on or off" },
    { "UnknownChoice", render ({ "--set", "os=16x" }), usage, "os=16x: expected one of off, 2x, 4x, 8x" },
    { "AssignmentWithoutValue", render ({ "--set", "biasKnob" }), usage, "--set biasKnob: expected ID=VALUE" },
    { "UnknownType", render ({ "--type", "G" }), usage, "--type G is not one of A, B, C, D, E, F" },
    { "UnknownSpeed", render ({ "--speed", "medium" }), usage, "--speed medium is not slow or fast" },
    { "BlockSizeZero", render ({ "--block", "0" }), usage, "--block 0 is not a number from 1 to 65536" },
    { "UnknownBits", render ({ "--bits", "8" }), usage, "--bits 8 is not one of 16, 24, 32f" },
    { "NegativeTail", render ({ "--tail", "-1" }), usage, "--tail -1 is not a number from 0 to 3600" },
    { "MissingPreset", withPreset ("gone.tvx"), failure, "preset not found: " },
    { "PresetIsAFolder", withPreset ("presets.tvx"), failure, "preset is a folder, not a file: " },
    { "UnreadablePreset", withPreset ("locked.wav"), failure, "cannot read preset ", true },
    { "PresetOfText", withPreset ("text.tvx"), failure, "not a TavorinProV3 preset: " },
    { "PresetOfAnotherTree", withPreset ("other.tvx"), failure, "not a TavorinProV3 preset: " },
    { "TruncatedStatePreset", withPreset ("truncated.tvx"), failure, "not a TavorinProV3 preset: " },
    { "OutputFolderMissing", renderTo ("no folder/out.wav"), failure, "cannot write output " },
    { "OutputIsAFolder", renderTo ("a folder.wav"), failure, "cannot write output " },
    { "OutputFolderReadOnly", renderTo ("read-only/out.wav"), failure, "cannot write output ", true },
    { "AnalysisOfOneType", analyze ({ "--set", "typeCbutton=on" }), usage,
      "--set typeCbutton cannot be used with --analyze: it measures every type at both speeds" },
    { "AnalysisWithRenderOption", analyze ({ "--tail", "1" }), usage, "--tail does not apply to --analyze" },
    { "AnalysisRateTooLow", analyze ({ "--rate", "22050" }), usage, "--rate 22050 is not a number from 44100 to 192000" },
    { "ChartFolderMissing", [] (const Files& f) { return juce::StringArray { "--analyze", f.path ("no folder/c.png") }; },
      failure, "cannot write chart " },
    { "CsvFolderMissing", analyze ({ "--csv", "/no folder/c.csv" }), failure, "cannot write CSV file /no folder/c.csv" },
    { "RateWithoutAnalysis", render ({ "--rate", "48000" }), usage, "--rate applies to --analyze only" },
};

class RenderErrors : public ::testing::TestWithParam<ErrorCase>
{
protected:
    void expectRefused (const juce::String& when)
    {
        const auto& c = GetParam();
        const auto before = listing (files().folder);
        const auto run = runTool (c.arguments (files()));

        EXPECT_EQ (run.exitCode, c.exitCode) << when << ": " << run.output;
        EXPECT_TRUE (run.output.startsWith ("tavorin-render: " + c.message)) << when << ": " << run.output;
        EXPECT_EQ (run.output.trim().indexOfChar ('\n'), -1) << when << ": one line, not " << run.output;
        EXPECT_EQ (listing (files().folder), before) << when << ": no file may appear or go";
    }
};
} // namespace

TEST_P (RenderErrors, OneLineNonZeroExitAndNothingWritten)
{
    if (GetParam().permissionsMatter && geteuid() == 0)
        GTEST_SKIP() << "running as root, which ignores file permissions";

    files().out.deleteFile();
    expectRefused ("without an output file");

    const juce::String previous ("the previous output, which must survive\n");
    ASSERT_TRUE (files().out.replaceWithText (previous, false, false, nullptr));
    expectRefused ("with an existing output file");
    EXPECT_EQ (files().out.loadFileAsString(), previous);
    files().out.deleteFile();
}

INSTANTIATE_TEST_SUITE_P (Cases, RenderErrors, ::testing::ValuesIn (errorCases),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });
