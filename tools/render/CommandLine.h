#pragma once

#include "dsp/TapeType.h"

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// The processor's settings as the command line gives them, applied in this order: the preset,
// then --type and --speed, then every --set in its order.
struct SettingsRequest
{
    juce::String preset;                   // a file, or a preset's name in the user's preset folder
    std::optional<TapeType> type;
    std::optional<TapeSpeed> speed;
    std::vector<juce::String> assignments; // "ID=VALUE", as typed
};

enum class SampleFormat
{
    int16,
    int24,
    float32
};

struct RenderRequest
{
    juce::File input, output;
    int blockSize = 512;
    SampleFormat format = SampleFormat::int24;
    double tailSeconds = 0.0;
    SettingsRequest settings;
};

struct AnalysisRequest
{
    juce::File chart;
    juce::File csv; // none when it is juce::File()
    double sampleRate = 48000.0;
    SettingsRequest settings;
};

struct CommandLine
{
    enum class Mode
    {
        help,
        render,
        analyze
    };

    Mode mode = Mode::help;
    RenderRequest render;
    AnalysisRequest analysis;
};

// Throws a usage ToolError for anything it cannot take. Paths are relative to the working folder.
CommandLine parseCommandLine (const juce::StringArray& arguments);

juce::String helpText();

// The whole text as a finite number, or nothing ("12abc", "nan" and "" are nothing).
std::optional<double> parseNumber (const juce::String& text);

juce::String describe (SampleFormat format);
