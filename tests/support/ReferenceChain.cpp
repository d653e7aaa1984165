#include "ReferenceChain.h"

namespace test
{
void ReferenceChain::prepare (double sampleRate, int maximumBlockSize, int numChannels)
{
    channels = numChannels;
    rate = sampleRate;
    blockSize = maximumBlockSize;
    const juce::dsp::ProcessSpec spec { sampleRate, static_cast<juce::uint32> (maximumBlockSize),
                                        static_cast<juce::uint32> (numChannels) };
    lowPass.prepare (spec);
    lowPass.setMode (juce::dsp::LadderFilterMode::LPF12);
    highPass.prepare (spec);
    highPass.setMode (juce::dsp::LadderFilterMode::HPF12);
    compressor.prepare (sampleRate);
    tape.prepare (sampleRate, maximumBlockSize);
    crosstalk.prepare (sampleRate, maximumBlockSize);

    for (auto* gain : { &inputGain, &outputGain })
    {
        gain->prepare (spec);
        gain->setRampDurationSeconds (0.02);
    }
}

void ReferenceChain::settleGains (const ChainSettings& settings)
{
    applyTargets (settings);
    inputGain.reset();
    outputGain.reset();
}

void ReferenceChain::settleTapeSelection (const ChainSettings& settings)
{
    applyTargets (settings);
    tape.prepare (rate, blockSize); // takes the selection without a crossfade
}

void ReferenceChain::applyTargets (const ChainSettings& settings)
{
    inputGain.setGainDecibels (settings.inputGainDb);
    outputGain.setGainDecibels (settings.gainLock ? settings.outputGainDb - settings.inputGainDb
                                                  : settings.outputGainDb);
    lowPass.setCutoffFrequencyHz (settings.lowPassHz);
    lowPass.setResonance (0.0f);
    highPass.setCutoffFrequencyHz (settings.highPassHz);
    highPass.setResonance (0.0f);
    tape.setType (settings.type, settings.speed);
    crosstalk.setCross (settings.crosstalk);
}

void ReferenceChain::process (juce::AudioBuffer<float>& buffer, const ChainSettings& settings)
{
    applyTargets (settings);

    juce::dsp::AudioBlock<float> block (buffer);
    juce::dsp::ProcessContextReplacing<float> context (block);
    inputGain.process (context);

    if (settings.lowPassHz < 20000.0f)
        lowPass.process (context);

    if (settings.highPassHz > 20.0f)
        highPass.process (context);

    TapeProcessor::applyBiasSaturation (buffer, channels, settings.bias, settings.invertPolarity);
    compressor.process (buffer, channels, settings.comp);
    tape.process (buffer);
    crosstalk.process (buffer);

    outputGain.process (context);
}
} // namespace test
