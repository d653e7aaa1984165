// processBlock cost at 48 kHz stereo. Each benchmark reports its real-time factor: how many times
// faster than real time one core runs the chain ("x_realtime").

#include "plugin/PluginProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdlib>

namespace
{
constexpr double sampleRate = 48000.0;

void setParameter (GuipluginAudioProcessor& processor, const char* id, float value)
{
    auto* parameter = processor.getState().getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

void runProcessBlock (benchmark::State& state, std::initializer_list<std::pair<const char*, float>> settings)
{
    const auto blockSize = static_cast<int> (state.range (0));
    GuipluginAudioProcessor processor;

    for (const auto& [id, value] : settings)
        setParameter (processor, id, value);

    processor.prepareToPlay (sampleRate, blockSize);

    // One second of music-like input, copied block by block into the processing buffer.
    const auto sourceLength = static_cast<int> (sampleRate);
    juce::AudioBuffer<float> source (2, sourceLength);
    for (auto i = 0; i < sourceLength; ++i)
    {
        source.setSample (0, i, 0.5f * static_cast<float> (std::sin (0.0575 * i)));
        source.setSample (1, i, 0.5f * static_cast<float> (std::sin (0.0748 * i)));
    }

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    auto position = 0;

    for (auto _ : state)
    {
        if (position + blockSize > sourceLength)
            position = 0;

        for (auto channel = 0; channel < 2; ++channel)
            buffer.copyFrom (channel, 0, source, channel, position, blockSize);

        position += blockSize;
        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    const auto secondsOfAudio = static_cast<double> (state.iterations()) * blockSize / sampleRate;
    state.counters["x_realtime"] = benchmark::Counter (secondsOfAudio, benchmark::Counter::kIsRate);
}

void processBlockDefaults (benchmark::State& state) { runProcessBlock (state, {}); }

void processBlockFiltersEngaged (benchmark::State& state)
{
    runProcessBlock (state, { { "lpfKnob", 8000.0f }, { "hpfKnob", 60.0f } });
}
} // namespace

BENCHMARK (processBlockDefaults)->Arg (512);
BENCHMARK (processBlockFiltersEngaged)->Arg (512);

int main (int argc, char** argv)
{
    // The processor keeps presets under HOME: a benchmark run leaves the user's own alone.
    const auto home = juce::File::createTempFile ("tavorin-bench-home");
    home.createDirectory();
    setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);

    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    home.deleteRecursively();
    return 0;
}
