// processBlock cost, stereo, for every tape slot at three rates and three block sizes, at the
// default settings and at a busy one, plus a block that switches slots. Each benchmark reports its
// real-time factor: how many times faster than real time one core runs the chain ("x_realtime").
//
// Arguments: slot (0 to 11: types A to F at Slow, then at Fast), sample rate, block size.

#include "plugin/ParameterIds.h"
#include "plugin/PluginProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdlib>

namespace
{
using Settings = std::initializer_list<std::pair<const char*, float>>;

// Both filters engaged, bias 0.3, comp 5, crosstalk 0.5.
const Settings busy { { "lpfKnob", 8000.0f }, { "hpfKnob", 60.0f }, { "biasKnob", 0.3f },
                      { "compKnob", 5.0f },   { "crosstalkKnob", 0.5f } };

void setParameter (GuipluginAudioProcessor& processor, const char* id, float value)
{
    auto* parameter = processor.getState().getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

void selectSlot (GuipluginAudioProcessor& processor, int slot)
{
    for (auto type = 0; type < 6; ++type)
        setParameter (processor, ParameterIds::typeButtons[type], type == slot % 6 ? 1.0f : 0.0f);
    setParameter (processor, ParameterIds::speedPower, slot >= 6 ? 1.0f : 0.0f);
}

// One second of music-like input, copied block by block into the processing buffer.
struct Source
{
    explicit Source (double sampleRate) : buffer (2, static_cast<int> (sampleRate))
    {
        for (auto i = 0; i < buffer.getNumSamples(); ++i)
        {
            buffer.setSample (0, i, 0.5f * static_cast<float> (std::sin (0.0575 * 48000.0 / sampleRate * i)));
            buffer.setSample (1, i, 0.5f * static_cast<float> (std::sin (0.0748 * 48000.0 / sampleRate * i)));
        }
    }

    void next (juce::AudioBuffer<float>& block)
    {
        const auto length = block.getNumSamples();
        if (position + length > buffer.getNumSamples())
            position = 0;

        for (auto channel = 0; channel < 2; ++channel)
            block.copyFrom (channel, 0, buffer, channel, position, length);
        position += length;
    }

    juce::AudioBuffer<float> buffer;
    int position = 0;
};

// Runs processBlock on a prepared processor; beforeBlock may change parameters between blocks.
template <typename BeforeBlock>
void run (benchmark::State& state, GuipluginAudioProcessor& processor, double sampleRate, int blockSize,
          BeforeBlock&& beforeBlock)
{
    Source source (sampleRate);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    auto blockIndex = 0;

    // Past the fade-in and the first switching block.
    for (auto i = 0; i < 64; ++i)
    {
        source.next (buffer);
        processor.processBlock (buffer, midi);
    }

    for (auto _ : state)
    {
        beforeBlock (blockIndex++);
        source.next (buffer);
        processor.processBlock (buffer, midi);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    const auto secondsOfAudio = static_cast<double> (state.iterations()) * blockSize / sampleRate;
    state.counters["x_realtime"] = benchmark::Counter (secondsOfAudio, benchmark::Counter::kIsRate);
}

void runSlot (benchmark::State& state, Settings settings)
{
    const auto slot = static_cast<int> (state.range (0));
    const auto sampleRate = static_cast<double> (state.range (1));
    const auto blockSize = static_cast<int> (state.range (2));

    GuipluginAudioProcessor processor;
    for (const auto& [id, value] : settings)
        setParameter (processor, id, value);
    selectSlot (processor, slot);
    processor.prepareToPlay (sampleRate, blockSize);

    run (state, processor, sampleRate, blockSize, [] (int) {});
}

void processBlockDefaults (benchmark::State& state) { runSlot (state, {}); }
void processBlockBusy (benchmark::State& state) { runSlot (state, busy); }

// Every block switches between type A at Fast and type D at Slow: two chains run in each.
void processBlockSwitching (benchmark::State& state)
{
    constexpr double sampleRate = 48000.0;
    const auto blockSize = static_cast<int> (state.range (0));

    GuipluginAudioProcessor processor;
    for (const auto& [id, value] : busy)
        setParameter (processor, id, value);
    processor.prepareToPlay (sampleRate, blockSize);

    run (state, processor, sampleRate, blockSize, [&] (int block) { selectSlot (processor, block % 2 == 0 ? 3 : 6); });
}

void processBlockFiltersEngaged (benchmark::State& state)
{
    GuipluginAudioProcessor processor;
    setParameter (processor, "lpfKnob", 8000.0f);
    setParameter (processor, "hpfKnob", 60.0f);
    processor.prepareToPlay (48000.0, 512);
    run (state, processor, 48000.0, 512, [] (int) {});
}

// What a host waits for: every chain's convolution engine built for the rate and block size.
void prepareToPlay (benchmark::State& state)
{
    GuipluginAudioProcessor processor;
    const auto blockSize = static_cast<int> (state.range (0));
    auto rateIndex = 0;

    for (auto _ : state)
        processor.prepareToPlay (rateIndex++ % 2 == 0 ? 48000.0 : 96000.0, blockSize);
}

const std::vector<std::vector<int64_t>> slotsRatesAndBlocks { benchmark::CreateDenseRange (0, 11, 1),
                                                              { 44100, 48000, 96000 },
                                                              { 64, 512, 2048 } };
} // namespace

BENCHMARK (processBlockDefaults)->ArgsProduct (slotsRatesAndBlocks)->ArgNames ({ "slot", "rate", "block" });
BENCHMARK (processBlockBusy)->ArgsProduct (slotsRatesAndBlocks)->ArgNames ({ "slot", "rate", "block" });
BENCHMARK (processBlockSwitching)->Arg (64)->Arg (512)->Arg (2048)->ArgName ("block");
BENCHMARK (processBlockFiltersEngaged);
BENCHMARK (prepareToPlay)->Arg (512)->Arg (2048)->ArgName ("block")->Unit (benchmark::kMillisecond);

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
