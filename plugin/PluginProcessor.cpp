#include "plugin/PluginProcessor.h"

#include "editor/PluginEditor.h"
#include "plugin/NonFiniteParameters.h"
#include "plugin/ParameterIds.h"
#include "plugin/StateBlob.h"
#include "presets/ProcessorPresetManager.h"

namespace
{
constexpr float lowPassOpenHz = 20000.0f;  // the LPF stage is skipped here (top of its range)
constexpr float highPassOpenHz = 20.0f;    // the HPF stage is skipped here (bottom of its range)
constexpr double gainRampSeconds = 0.02;   // INPUT and OUTPUT changes, and the start-up fade-in
constexpr float meterHeadroom = 1.5f;      // peak meters see the output divided by this
constexpr int rmsWindowMs = 300;

bool isOn (float rawValue) noexcept { return rawValue >= 0.5f; }

// The types whose responses are inverted; the bias stage inverts them back.
constexpr bool isInvertedType (int type) noexcept { return type >= static_cast<int> (TapeType::TypeD); }

std::unique_ptr<juce::AudioParameterFloat> makeFloat (const char* id, const char* name, float start, float end,
                                                      float skew, float defaultValue)
{
    constexpr float interval = 0.01f;
    return std::make_unique<juce::AudioParameterFloat> (
        juce::ParameterID { id }, name, juce::NormalisableRange<float> (start, end, interval, skew, false), defaultValue,
        juce::AudioParameterFloatAttributes().withLabel (id).withCategory (juce::AudioProcessorParameter::genericParameter));
}

std::unique_ptr<juce::AudioParameterBool> makeBool (const char* id, const char* name, bool defaultValue)
{
    return std::make_unique<juce::AudioParameterBool> (juce::ParameterID { id }, name, defaultValue,
                                                       juce::AudioParameterBoolAttributes().withLabel (id));
}
} // namespace

//==============================================================================
GuipluginAudioProcessor::GuipluginAudioProcessor() : GuipluginAudioProcessor (getPresetRootDirectory()) {}

GuipluginAudioProcessor::GuipluginAudioProcessor (const juce::File& presetRoot)
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
{
    treeState = std::make_unique<juce::AudioProcessorValueTreeState> (*this, nullptr, stateType, generateLayout());
    presetManager = std::make_unique<ProcessorPresetManager> (*this, *treeState, presetRoot, ".tvx");
}

GuipluginAudioProcessor::~GuipluginAudioProcessor() = default;

juce::AudioProcessorValueTreeState::ParameterLayout GuipluginAudioProcessor::generateLayout() const
{
    using namespace ParameterIds;
    constexpr float frequencySkew = 0.22f;

    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    layout.add (makeFloat (biasKnob, "Bias Knob", 0.0f, 0.5f, 1.0f, 0.0f),
                makeFloat (compKnob, "Comp Knob", 0.0f, 10.0f, 1.0f, 0.0f),
                makeFloat (crosstalkKnob, "Crosstalk Knob", 0.0f, 1.0f, 1.0f, 0.0f),
                makeFloat (lpfKnob, "Low Pass Knob", highPassOpenHz, lowPassOpenHz, frequencySkew, lowPassOpenHz),
                makeFloat (hpfKnob, "High Pass Knob", highPassOpenHz, lowPassOpenHz, frequencySkew, highPassOpenHz),
                makeFloat (inputGainKnob, "Input Gain Knob", -24.0f, 24.0f, 1.0f, 0.0f),
                makeFloat (outputGainKnob, "Output Gain Knob", -24.0f, 24.0f, 1.0f, 0.0f),
                makeBool (speedPower, "Speed", true),
                makeBool (gainlockPower, "GainLock", true),
                makeBool (powerPower, "Main Power", true),
                makeBool (typeAbutton, "Type A", true),
                makeBool (typeBbutton, "Type B", false),
                makeBool (typeCbutton, "Type C", false),
                makeBool (typeDbutton, "Type D", false),
                makeBool (typeEbutton, "Type E", false),
                makeBool (typeFbutton, "Type F", false),
                std::make_unique<juce::AudioParameterChoice> (
                    juce::ParameterID { os }, "OverSampling", oversamplingChoices, 0,
                    juce::AudioParameterChoiceAttributes().withLabel ("Oversampling Factor")));
    return layout;
}

juce::File GuipluginAudioProcessor::getPresetRootDirectory()
{
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory)
        .getChildFile ("Application Support")
        .getChildFile ("VX Presets")
        .getChildFile ("TavorinV3");
}

//==============================================================================
bool GuipluginAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto& output = layouts.getMainOutputChannelSet();

    if (output != juce::AudioChannelSet::mono() && output != juce::AudioChannelSet::stereo())
        return false;

    return layouts.getMainInputChannelSet() == output;
}

const juce::String GuipluginAudioProcessor::getProgramName (int index)
{
    // Steinberg's validator refuses a plug-in whose only program has no name.
    return index == 0 ? "Default" : "";
}

juce::AudioProcessorEditor* GuipluginAudioProcessor::createEditor()
{
    return new GuipluginAudioProcessorEditor (*this);
}

//==============================================================================
void GuipluginAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    // copyState brings the tree up to date with the parameters first; the tree alone lags behind
    // them until the next message-thread flush, and a save would lose the latest changes.
    juce::MemoryOutputStream stream (destData, false);
    treeState->copyState().writeToStream (stream);
}

void GuipluginAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (sizeInBytes <= 0)
        return;

    // Only one complete tree of our own type is taken; anything else leaves the state as it is.
    auto tree = StateBlob::decode (data, static_cast<size_t> (sizeInBytes), stateType);

    if (tree.isValid())
    {
        treeState->replaceState (tree);
        resetNonFiniteParameters (*treeState);
    }
}

//==============================================================================
void GuipluginAudioProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    oversamplingIndex = juce::roundToInt (rawValue (ParameterIds::os));
    preparedBlockSize = juce::jmax (1, samplesPerBlock);

    const juce::dsp::ProcessSpec spec { sampleRate, static_cast<juce::uint32> (preparedBlockSize),
                                        static_cast<juce::uint32> (getTotalNumOutputChannels()) };

    for (auto* filter : { &lowPassFilter, &highPassFilter })
    {
        filter->reset();
        filter->prepare (spec);
    }

    compressor.prepare (sampleRate);

    const auto rate = static_cast<float> (sampleRate);

    for (auto* detector : { &rmsDetectorLeft, &rmsDetectorRight })
        detector->initialize (rate, static_cast<float> (samplesPerBlock), rmsWindowMs);

    if (peakDetectorLeft == nullptr)
    {
        peakDetectorLeft = std::make_unique<PeakLevelDetector> (rate);
        peakDetectorRight = std::make_unique<PeakLevelDetector> (rate);
    }
    else
    {
        peakDetectorLeft->setDetector (rate);
        peakDetectorRight->setDetector (rate);
    }

    tapeProcessor.prepare (sampleRate, preparedBlockSize);
    crosstalkProcessor.prepare (sampleRate, preparedBlockSize);
    setLatencySamples (tapeProcessor.currentTypeProcessor().getLatency());

    for (auto* gain : { &inputGain, &outputGain })
    {
        gain->prepare (spec);
        gain->setRampDurationSeconds (gainRampSeconds);
    }

    isPrepared.exchange (true);
}

void GuipluginAudioProcessor::releaseResources()
{
    isPrepared.exchange (false);
    lowPassFilter.reset();
    highPassFilter.reset();
}

//==============================================================================
float GuipluginAudioProcessor::rawValue (const char* parameterId) const
{
    return treeState->getRawParameterValue (parameterId)->load();
}

GuipluginAudioProcessor::BlockSettings GuipluginAudioProcessor::readSettings() const
{
    using namespace ParameterIds;

    BlockSettings settings;
    settings.oversamplingIndex = juce::roundToInt (rawValue (os));
    settings.powerOn = isOn (rawValue (powerPower));
    settings.gainLockOn = isOn (rawValue (gainlockPower));

    // The inversion follows the type that will run: the last lit button, or with none lit the
    // previous type, which stays selected (dropping it there would flip the output's polarity).
    auto selectedType = static_cast<int> (tapeProcessor.currentType());

    for (auto type = 0; type < TapeSlots::numTypes; ++type)
    {
        const auto lit = isOn (rawValue (typeButtons[type]));
        settings.typeOn[static_cast<size_t> (type)] = lit;

        if (lit)
            selectedType = type;
    }

    settings.invertPolarity = isInvertedType (selectedType);

    settings.speed = isOn (rawValue (speedPower)) ? TapeSpeed::Fast : TapeSpeed::Slow;
    settings.crosstalk = rawValue (crosstalkKnob);
    settings.lowPassHz = rawValue (lpfKnob);
    settings.highPassHz = rawValue (hpfKnob);
    settings.inputGainDb = rawValue (inputGainKnob);
    settings.outputGainDb = rawValue (outputGainKnob);
    settings.bias = rawValue (biasKnob);
    settings.comp = rawValue (compKnob);
    return settings;
}

// Takes effect with the power on or off, so processing resumes with the current settings.
void GuipluginAudioProcessor::applySettings (const BlockSettings& settings)
{
    // Every "os" choice processes at the host rate; a change only re-reports the latency.
    if (settings.oversamplingIndex != oversamplingIndex)
    {
        setLatencySamples (tapeProcessor.currentTypeProcessor().getLatency());
        oversamplingIndex = settings.oversamplingIndex;
    }

    lowPassFilter.setMode (FusedLadderFilter::Mode::LPF12);
    highPassFilter.setMode (FusedLadderFilter::Mode::HPF12);

    // With the lock on, INPUT drives the tape stages harder while the overall gain stays put. The
    // target is set once: setting it twice per block would restart the ramp on every block.
    inputGain.setGainDecibels (settings.inputGainDb);
    outputGain.setGainDecibels (settings.gainLockOn ? settings.outputGainDb - settings.inputGainDb
                                                    : settings.outputGainDb);

    lowPassFilter.setCutoffFrequencyHz (settings.lowPassHz);
    lowPassFilter.setResonance (0.0f);
    highPassFilter.setCutoffFrequencyHz (settings.highPassHz);
    highPassFilter.setResonance (0.0f);

    // With several buttons lit the last one wins; with none the previous selection stays.
    crosstalkProcessor.setCross (settings.crosstalk);
    for (auto type = 0; type < TapeSlots::numTypes; ++type)
        if (settings.typeOn[static_cast<size_t> (type)])
            tapeProcessor.setType (static_cast<TapeType> (type), settings.speed);
}

void GuipluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    if (! isPrepared.load() || buffer.getNumChannels() == 0)
        return;

    juce::ScopedNoDenormals noDenormals;

    const auto numSamples = buffer.getNumSamples();

    for (auto channel = getTotalNumInputChannels(); channel < getTotalNumOutputChannels(); ++channel)
        buffer.clear (channel, 0, numSamples);

    const auto settings = readSettings();
    applySettings (settings);

    if (! settings.powerOn)
        return;

    // Hosts may send more than the prepared maximum: the stages never see more than that at once.
    auto start = 0;
    do
    {
        const auto length = juce::jmin (preparedBlockSize, numSamples - start);
        juce::AudioBuffer<float> part (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, length);
        processChain (part, settings);
        start += length;
    } while (start < numSamples);
}

void GuipluginAudioProcessor::processChain (juce::AudioBuffer<float>& buffer, const BlockSettings& settings)
{
    juce::dsp::AudioBlock<float> block (buffer);
    juce::dsp::ProcessContextReplacing<float> context (block);

    inputGain.process (context);

    const auto lowPassOn = settings.lowPassHz < lowPassOpenHz;
    const auto highPassOn = settings.highPassHz > highPassOpenHz;

    if (lowPassOn && highPassOn)
        FusedLadderFilter::processInSeries (lowPassFilter, highPassFilter, context);
    else if (lowPassOn)
        lowPassFilter.process (context);
    else if (highPassOn)
        highPassFilter.process (context);

    const auto numChannels = getTotalNumOutputChannels();
    TapeProcessor::applyBiasSaturation (buffer, numChannels, settings.bias, settings.invertPolarity);
    compressor.process (buffer, numChannels, settings.comp);
    tapeProcessor.process (buffer);
    crosstalkProcessor.process (buffer);

    outputGain.process (context);

    updateMeters (buffer);
}

void GuipluginAudioProcessor::updateMeters (const juce::AudioBuffer<float>& buffer)
{
    const auto numSamples = buffer.getNumSamples();
    const auto hasRight = juce::jmin (getTotalNumOutputChannels(), buffer.getNumChannels()) >= 2;
    auto rmsLeft = 0.0f;
    auto rmsRight = 0.0f;

    if (numSamples > 0)
    {
        const auto* left = buffer.getReadPointer (0);
        const auto* right = hasRight ? buffer.getReadPointer (1) : left;
        auto peakLeft = 0.0f;
        auto peakRight = 0.0f;

        // Local copies keep both envelopes in registers: the samples could alias them otherwise.
        auto detectorLeft = *peakDetectorLeft;
        auto detectorRight = *peakDetectorRight;

        for (auto i = 0; i < numSamples; ++i)
        {
            peakLeft = detectorLeft.tick (left[i] / meterHeadroom);
            peakRight = detectorRight.tick (right[i] / meterHeadroom);
        }

        *peakDetectorLeft = detectorLeft;
        *peakDetectorRight = detectorRight;
        outputLevelLeft.peak.store (peakLeft);
        outputLevelRight.peak.store (peakRight);

        rmsLeft = buffer.getRMSLevel (0, 0, numSamples);
        rmsRight = hasRight ? buffer.getRMSLevel (1, 0, numSamples) : rmsLeft;
    }

    rmsDetectorLeft.addBlockRMS (rmsLeft);
    rmsDetectorRight.addBlockRMS (rmsRight);
    outputLevelLeft.rms.store (rmsDetectorLeft.getRMSLevel());
    outputLevelRight.rms.store (rmsDetectorRight.getRMSLevel());
}

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new GuipluginAudioProcessor();
}
