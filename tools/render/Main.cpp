// tavorin-render: runs audio files through the product's own processor, and measures it.
// See `tavorin-render --help`.

#include "Analysis.h"
#include "AnalysisReport.h"
#include "AudioFiles.h"
#include "Chart.h"
#include "CommandLine.h"
#include "InterruptCleanup.h"
#include "ProcessorSettings.h"
#include "ProgressBar.h"
#include "Renderer.h"
#include "ToolError.h"
#include "ToolProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdio>

namespace
{
void print (const juce::String& text) { std::fputs (text.toRawUTF8(), stdout); }

juce::String dbText (double db) { return std::isfinite (db) ? juce::String (db, 1) + " dBFS" : juce::String ("-inf dBFS"); }

juce::String secondsText (double seconds) { return juce::String (seconds, seconds < 10.0 ? 2 : 1) + " s"; }

// "360x real time"; "0.4x real time" when slower.
juce::String speedText (double audioSeconds, double elapsedSeconds)
{
    if (elapsedSeconds <= 0.0)
        return "faster than the clock can tell";

    const auto factor = audioSeconds / elapsedSeconds;
    return (factor < 10.0 ? juce::String (factor, 1) : juce::String (juce::roundToInt (factor))) + "x real time";
}

double nowSeconds() { return juce::Time::getMillisecondCounterHiRes() / 1000.0; }

int runRender (const RenderRequest& request)
{
    ToolProcessor processor;
    applySettings (processor.get(), request.settings);

    const auto reader = openInput (request.input);
    const auto sampleRate = reader->sampleRate;
    const auto numChannels = static_cast<int> (reader->numChannels);
    const auto tailFrames = static_cast<juce::int64> (std::llround (request.tailSeconds * sampleRate));
    const auto totalSeconds = static_cast<double> (reader->lengthInSamples + tailFrames) / sampleRate;

    processor.prepare (numChannels, sampleRate, request.blockSize);
    OutputWav output (request.output, sampleRate, numChannels, request.format);

    const auto start = nowSeconds();
    ProgressBar progress (totalSeconds);
    const auto result = renderFile (*reader, processor.get(), output, request.blockSize, tailFrames,
                                    [&] (double done) { progress.update (done); });
    progress.finish();
    output.commit();
    const auto elapsed = nowSeconds() - start;

    print ("Settings: " + describeSettings (processor.get()) + "\n");
    print ("Rendered " + request.input.getFileName() + " -> " + request.output.getFullPathName() + ": "
           + (numChannels == 1 ? "mono" : "stereo") + ", " + juce::String (juce::roundToInt (sampleRate)) + " Hz, "
           + describe (request.format) + ", " + secondsText (totalSeconds)
           + (tailFrames > 0 ? " (tail " + secondsText (request.tailSeconds) + ")" : juce::String())
           + "; in peak " + dbText (result.input.peakDb()) + ", RMS " + dbText (result.input.rmsDb())
           + "; out peak " + dbText (result.output.peakDb()) + ", RMS " + dbText (result.output.rmsDb())
           + "; took " + secondsText (elapsed) + ", "
           + speedText (totalSeconds, elapsed) + "\n");

    if (result.clippedSamples > 0 && request.format != SampleFormat::float32)
        std::fprintf (stderr, "tavorin-render: warning: %lld samples beyond full scale were clipped in the %s output "
                              "(lower outputGainKnob, or write --bits 32f)\n",
                      static_cast<long long> (result.clippedSamples), describe (request.format).toRawUTF8());

    return ExitCode::success;
}

int runAnalysis (const AnalysisRequest& request)
{
    const auto machineIds = machineSelectionIds();

    for (const auto& assignment : request.settings.assignments)
        if (machineIds.contains (assignedId (assignment)))
            usageError ("--set " + assignedId (assignment) + " cannot be used with --analyze: it measures every type at both speeds");

    // The settings are checked, and the files' folders, before the measurement takes its time.
    juce::String settings;
    {
        ToolProcessor check;
        applySettings (check.get(), request.settings);
        settings = describeSettings (check.get(), machineIds);
    }

    PendingFile chart (request.chart, "chart");
    std::unique_ptr<PendingFile> csv;

    if (request.csv != juce::File())
        csv = std::make_unique<PendingFile> (request.csv, "CSV file");

    const auto start = nowSeconds();
    const auto result = analyse (request.sampleRate, [&] (GuipluginAudioProcessor& p) { applySettings (p, request.settings); });
    const auto elapsed = nowSeconds() - start;

    print (formatTable (result) + "\n");
    chart.write (encodePng (drawChart (result, settings)));

    if (csv != nullptr)
    {
        const auto text = formatCsv (result);
        csv->write (juce::MemoryBlock (text.toRawUTF8(), text.getNumBytesAsUTF8()));
    }

    print ("Measured " + juce::String (result.machines.size()) + " machines (" + juce::String (result.frequenciesHz.size())
           + " frequencies, " + juce::String (result.levelsDbfs.size()) + " levels) at "
           + juce::String (juce::roundToInt (request.sampleRate)) + " Hz with settings: " + settings + "; took " + secondsText (elapsed)
           + "\nChart: " + request.chart.getFullPathName()
           + (csv != nullptr ? "\nCSV: " + request.csv.getFullPathName() : juce::String()) + "\n");

    return ExitCode::success;
}
} // namespace

int main (int argc, char* argv[])
{
    InterruptCleanup::install();
    juce::ScopedJuceInitialiser_GUI juce;

    try
    {
        const auto line = parseCommandLine (juce::StringArray (argv + 1, argc - 1));

        switch (line.mode)
        {
            case CommandLine::Mode::help: print (helpText()); return ExitCode::success;
            case CommandLine::Mode::render: return runRender (line.render);
            case CommandLine::Mode::analyze: return runAnalysis (line.analysis);
        }
    }
    catch (const ToolError& error)
    {
        std::fflush (stdout);
        std::fprintf (stderr, "tavorin-render: %s\n", error.message.toRawUTF8());
        return error.exitCode;
    }

    return ExitCode::failure;
}
