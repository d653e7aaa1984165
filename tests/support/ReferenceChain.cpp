#include "ReferenceChain.h"

namespace test
{
void ReferenceChain::prepare (double sampleRate, int maximumBlockSize, int numChannels)
{
    const juce::dsp::ProcessSpec spec { sampleRate, static_cast<juce::uint32> (maximumBlockSize),
                                        static_cast<juce::uint32> (numChannels) };
    lowPass.prepare (spec);
    lowPass.setMode (juce::dsp::LadderFilterMode::LPF12);
    highPass.prepare (spec);
    highPass.setMode (juce::dsp::LadderFilterMode::HPF12);

    for (auto* gain : { &inputGain, &outputGain })
    {
        gain->prepare (spec);
        gain->setRampDurationSeconds (0.02);
    }
}

void ReferenceChain::process (juce::AudioBuffer<float>& buffer, const ChainSettings& settings)
{
    inputGain.setGainDecibels (settings.inputGainDb);
    outputGain.setGainDecibels (settings.gainLock ? settings.outputGainDb - settings.inputGainDb
                                                  : settings.outputGainDb);
    lowPass.setCutoffFrequencyHz (settings.lowPassHz);
    lowPass.setResonance (0.0f);
    highPass.setCutoffFrequencyHz (settings.highPassHz);
    highPass.setResonance (0.0f);

    juce::dsp::AudioBlock<float> block (buffer);
    juce::dsp::ProcessContextReplacing<float> context (block);
    inputGain.process (context);

    if (settings.lowPassHz < 20000.0f)
        lowPass.process (context);

    if (settings.highPassHz > 20.0f)
        highPass.process (context);

    outputGain.process (context);
}
} // namespace test
