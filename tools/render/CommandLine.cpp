#include "CommandLine.h"

#include "ToolError.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace
{
constexpr int maxBlockSize = 65536;
constexpr double maxTailSeconds = 3600.0;
constexpr double minAnalysisRate = 44100.0; // the analysis reaches 20 kHz
constexpr double maxAnalysisRate = 192000.0;

// Walks the arguments; "--name value" and "--name=value" both give the value.
class ArgumentReader
{
public:
    explicit ArgumentReader (const juce::StringArray& args) : arguments (args) {}

    bool atEnd() const { return index >= arguments.size(); }

    // The next argument, split into option name and inline value when it has the form --name=value.
    juce::String next()
    {
        auto argument = arguments[index++];
        inlineValue.reset();

        if (argument.startsWith ("--") && argument.contains ("="))
        {
            inlineValue = argument.fromFirstOccurrenceOf ("=", false, false);
            argument = argument.upToFirstOccurrenceOf ("=", false, false);
        }

        return argument;
    }

    juce::String valueFor (const juce::String& option)
    {
        if (inlineValue.has_value())
            return *std::exchange (inlineValue, std::nullopt);

        if (atEnd())
            usageError (option + " needs a value (see --help)");

        return arguments[index++];
    }

    void expectNoValue (const juce::String& option) const
    {
        if (inlineValue.has_value())
            usageError (option + " takes no value");
    }

private:
    const juce::StringArray& arguments;
    int index = 0;
    std::optional<juce::String> inlineValue;
};

double numberIn (const juce::String& option, const juce::String& text, double low, double high)
{
    const auto value = parseNumber (text);

    if (! value.has_value() || *value < low || *value > high)
        usageError (option + " " + text + " is not a number from " + juce::String (low) + " to " + juce::String (high));

    return *value;
}

int blockSizeFrom (const juce::String& text)
{
    const auto value = numberIn ("--block", text, 1, maxBlockSize);

    if (value != std::floor (value))
        usageError ("--block " + text + " is not a whole number of samples");

    return static_cast<int> (value);
}

SampleFormat formatFrom (const juce::String& text)
{
    if (text == "16")
        return SampleFormat::int16;
    if (text == "24")
        return SampleFormat::int24;
    if (text == "32f")
        return SampleFormat::float32;

    usageError ("--bits " + text + " is not one of 16, 24, 32f");
}

TapeType typeFrom (const juce::String& text)
{
    const auto letter = text.toUpperCase();

    if (letter.length() != 1 || letter[0] < 'A' || letter[0] > 'F')
        usageError ("--type " + text + " is not one of A, B, C, D, E, F");

    return static_cast<TapeType> (letter[0] - 'A');
}

TapeSpeed speedFrom (const juce::String& text)
{
    if (text.equalsIgnoreCase ("slow"))
        return TapeSpeed::Slow;
    if (text.equalsIgnoreCase ("fast"))
        return TapeSpeed::Fast;

    usageError ("--speed " + text + " is not slow or fast");
}

juce::File fileFrom (const juce::String& path)
{
    return juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

// Options that belong to one mode only, and the mode they belong to.
void checkModeOptions (const CommandLine& line, const juce::StringArray& given)
{
    static const juce::StringArray renderOnly { "--block", "--bits", "--tail", "--type", "--speed" };
    static const juce::StringArray analysisOnly { "--rate", "--csv" };

    for (const auto& option : given)
    {
        if (line.mode == CommandLine::Mode::analyze && renderOnly.contains (option))
            usageError (option + " does not apply to --analyze");
        if (line.mode == CommandLine::Mode::render && analysisOnly.contains (option))
            usageError (option + " applies to --analyze only");
    }
}
} // namespace

std::optional<double> parseNumber (const juce::String& text)
{
    const auto trimmed = text.trim();

    if (trimmed.isEmpty())
        return std::nullopt;

    const auto utf8 = trimmed.toStdString();
    char* end = nullptr;
    const auto value = std::strtod (utf8.c_str(), &end);

    if (end != utf8.c_str() + utf8.size() || ! std::isfinite (value))
        return std::nullopt;

    return value;
}

juce::String describe (SampleFormat format)
{
    switch (format)
    {
        case SampleFormat::int16: return "16-bit";
        case SampleFormat::int24: return "24-bit";
        case SampleFormat::float32: return "32-bit float";
    }

    return {};
}

CommandLine parseCommandLine (const juce::StringArray& arguments)
{
    CommandLine line;
    line.mode = CommandLine::Mode::render;
    SettingsRequest settings;
    juce::StringArray positional, given;
    ArgumentReader reader (arguments);

    while (! reader.atEnd())
    {
        const auto option = reader.next();

        if (! option.startsWith ("-") || option == "-")
        {
            positional.add (option);
            continue;
        }

        given.add (option);

        if (option == "--help" || option == "-h")
        {
            reader.expectNoValue (option);
            line.mode = CommandLine::Mode::help;
            return line;
        }

        if (option == "--analyze")
        {
            line.mode = CommandLine::Mode::analyze;
            line.analysis.chart = fileFrom (reader.valueFor (option));
        }
        else if (option == "--preset")
            settings.preset = reader.valueFor (option);
        else if (option == "--set")
            settings.assignments.push_back (reader.valueFor (option));
        else if (option == "--type")
            settings.type = typeFrom (reader.valueFor (option));
        else if (option == "--speed")
            settings.speed = speedFrom (reader.valueFor (option));
        else if (option == "--block")
            line.render.blockSize = blockSizeFrom (reader.valueFor (option));
        else if (option == "--bits")
            line.render.format = formatFrom (reader.valueFor (option));
        else if (option == "--tail")
            line.render.tailSeconds = numberIn (option, reader.valueFor (option), 0.0, maxTailSeconds);
        else if (option == "--rate")
            line.analysis.sampleRate = numberIn (option, reader.valueFor (option), minAnalysisRate, maxAnalysisRate);
        else if (option == "--csv")
            line.analysis.csv = fileFrom (reader.valueFor (option));
        else
            usageError ("unknown option " + option + " (see --help)");
    }

    checkModeOptions (line, given);

    if (line.mode == CommandLine::Mode::analyze)
    {
        if (! positional.isEmpty())
            usageError ("--analyze takes no input or output files, only CHART.png (see --help)");

        line.analysis.settings = settings;
        return line;
    }

    if (positional.size() != 2)
        usageError (positional.isEmpty() && given.isEmpty() ? juce::String ("expected IN and OUT (see --help)")
                                                            : "expected exactly two files, IN and OUT (see --help)");

    line.render.input = fileFrom (positional[0]);
    line.render.output = fileFrom (positional[1]);
    line.render.settings = settings;
    return line;
}

juce::String helpText()
{
    return R"(Usage:
  tavorin-render IN OUT [options]
  tavorin-render --analyze CHART.png [--rate R] [--csv FILE] [--preset FILE] [--set ID=VALUE]...

Runs an audio file through the TavorinProV3 tape machine, as the plug-in would process it.
IN is a WAV, AIFF or FLAC file, mono or stereo, at any sample rate; it is processed at its own rate.
OUT is written as WAV with IN's channels and rate, through a temporary file beside it, so a run that
fails or is interrupted leaves an existing OUT untouched.

Options:
  --preset FILE      start from a preset (.tvx): a file, or a preset's name (without .tvx, or a
                     path such as User/Warm) in your preset folder; presets are only read
  --type A..F        select one tape machine type (the other type buttons go off)
  --speed slow|fast  tape speed
  --set ID=VALUE     set a parameter in its own units (repeatable; applied after the above):
                       biasKnob 0..0.5, compKnob 0..10, crosstalkKnob 0..1,
                       lpfKnob and hpfKnob 20..20000 Hz, inputGainKnob and outputGainKnob -24..24 dB,
                       speedPower, gainlockPower, powerPower, typeAbutton..typeFbutton on|off,
                       os off|2x|4x|8x
  --block N          process in blocks of N samples (default 512)
  --bits 16|24|32f   output sample format (default 24)
  --tail SECONDS     append this much silence to IN, to hear the machine ring out (default 0)
  --help             this text

Analysis:
  --analyze CHART.png  measure all six types at both speeds: the small-signal magnitude response
                       from 20 Hz to 20 kHz, and the harmonic distortion of a 1 kHz sine for
                       input levels from -30 to +6 dBFS; draws the curves into CHART.png and
                       prints the figures as a table (with the settings of --preset and --set,
                       which must leave the type buttons and speed to the analysis)
  --rate R             sample rate of the measurement, 44100 to 192000 (default 48000)
  --csv FILE           write the figures as CSV to FILE as well

Exit status: 0 done, 1 a file could not be read, written or used, 2 a bad command line,
130 interrupted.
)";
}
