#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include "dsp/CrosstalkProcessor.h"
#include "dsp/FusedLadderFilter.h"
#include "dsp/PeakLevelDetector.h"
#include "dsp/RMSLevelDetector.h"
#include "dsp/TapeCompressor.h"
#include "dsp/TapeProcessor.h"
#include "dsp/TapeType.h"

#include <array>
#include <atomic>
#include <memory>

class ProcessorPresetManager;

// The tape machine effect: input gain, low-pass and high-pass filters, the tape stages, output gain
// with the gain lock, and the output meters. Audio passes through untouched while the power is off.
class GuipluginAudioProcessor : public juce::AudioProcessor
{
public:
    // Meter values of one output channel, published to the editor (linear amplitudes).
    struct Level
    {
        std::atomic<float> peak { 0.0f };
        std::atomic<float> rms { 0.0f };
    };

    GuipluginAudioProcessor();
    // Keeps its presets under `presetRoot` instead of the user's preset folder: a tool that must
    // never write into that folder gives the store a throwaway one.
    explicit GuipluginAudioProcessor (const juce::File& presetRoot);
    ~GuipluginAudioProcessor() override;

    juce::AudioProcessorValueTreeState::ParameterLayout generateLayout() const;

    // Application data / "Application Support" / "VX Presets" / "TavorinV3"; not created here.
    static juce::File getPresetRootDirectory();

    juce::AudioProcessorValueTreeState& getState() noexcept { return *treeState; }
    ProcessorPresetManager& getPresetManager() noexcept { return *presetManager; }

    // True once every tape chain runs its own impulse response (JUCE loads them in the background).
    bool hasTapeResponses() const noexcept { return tapeProcessor.hasAllResponses(); }

    //==============================================================================
    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    const juce::String getName() const override { return "TavorinProV3"; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    double getTailLengthSeconds() const override { return 0.0; }

    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int index) override;
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    //==============================================================================
    Level outputLevelLeft, outputLevelRight;
    const juce::StringArray oversamplingChoices { "off", "2x", "4x", "8x" };

    static constexpr const char* stateType = "TapeMachine";

private:
    // The raw parameter values that one host block runs with, read once at its start.
    struct BlockSettings
    {
        int oversamplingIndex = 0;
        bool powerOn = true;
        bool gainLockOn = true;
        std::array<bool, TapeSlots::numTypes> typeOn { true, false, false, false, false, false }; // A to F
        TapeSpeed speed = TapeSpeed::Fast;
        bool invertPolarity = false; // type D, E or F selected: their responses are inverted
        float crosstalk = 0.0f;
        float lowPassHz = 20000.0f;
        float highPassHz = 20.0f;
        float inputGainDb = 0.0f;
        float outputGainDb = 0.0f;
        float bias = 0.0f;
        float comp = 0.0f;
    };

    BlockSettings readSettings() const;
    void applySettings (const BlockSettings& settings);
    void processChain (juce::AudioBuffer<float>& buffer, const BlockSettings& settings);
    void updateMeters (const juce::AudioBuffer<float>& buffer);
    float rawValue (const char* parameterId) const;

    std::unique_ptr<juce::AudioProcessorValueTreeState> treeState;
    std::unique_ptr<ProcessorPresetManager> presetManager;

    // juce::dsp::LadderFilter's own filters, sample for sample, run together in one pass.
    FusedLadderFilter lowPassFilter, highPassFilter;
    std::atomic<bool> isPrepared { false };
    TapeCompressor compressor;
    int oversamplingIndex = -1; // the last "os" choice block processing saw

    std::unique_ptr<PeakLevelDetector> peakDetectorLeft, peakDetectorRight;
    RMSLevelDetector rmsDetectorLeft, rmsDetectorRight;

    juce::dsp::Gain<float> inputGain, outputGain;
    TapeProcessor tapeProcessor;
    CrosstalkProcessor crosstalkProcessor;

    // The largest block the stages were prepared for; longer host blocks are processed in parts.
    int preparedBlockSize = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GuipluginAudioProcessor)
};
