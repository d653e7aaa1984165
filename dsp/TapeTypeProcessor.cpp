#include "dsp/TapeTypeProcessor.h"

#include "dsp/ArcTangent.h"
#include "dsp/FftwRealtimeSupport.h"
#include "dsp/TapeSlotTable.h"

#include "BinaryData.h"

namespace
{
constexpr float twoOverPi = 0.63661975f;
constexpr float shelfFrequencyHz = 25.0f;
constexpr float shelfGainFactor = 0.063095726f; // -24 dB
constexpr float shelfQ = 0.70710677f;
} // namespace

TapeTypeProcessor::TapeTypeProcessor (TapeType type, TapeSpeed speed) : convolution (latency)
{
    requestResponse (type, speed);
}

TapeTypeProcessor::TapeTypeProcessor (TapeType type, TapeSpeed speed, juce::dsp::ConvolutionMessageQueue& loader)
    : convolution (latency, loader)
{
    requestResponse (type, speed);
}

void TapeTypeProcessor::requestResponse (TapeType type, TapeSpeed speed)
{
    // Before the first response is loaded, that is before the first plan.
    FftwRealtimeSupport::makePlannerThreadSafe();

    if (TapeSlots::isValid (type, speed))
    {
        const auto& slot = TapeSlotTable::slots[TapeSlots::slotOf (type, speed)];
        auto numBytes = 0;

        if (const auto* data = BinaryData::getNamedResource (slot.resource, numBytes); data != nullptr && numBytes > 0)
        {
            convolution.loadImpulseResponse (data, static_cast<size_t> (numBytes), slot.stereo, slot.trim, slot.frames,
                                             slot.normalise);
            responseRequested = true;
        }

        drive = slot.drive;
        makeup = slot.makeup;
    }

    shelfFrequency = shelfFrequencyHz;
    shelfGain = shelfGainFactor;
}

void TapeTypeProcessor::prepare (double sampleRate, int samplesPerBlock)
{
    const juce::dsp::ProcessSpec spec { sampleRate, static_cast<juce::uint32> (samplesPerBlock), 2 };

    fftScratch.prepare (samplesPerBlock);
    convolution.prepare (spec);

    *lowShelf.state = *Coefficients::makeLowShelf (sampleRate, shelfFrequency, shelfQ, shelfGain);
    lowShelf.prepare (spec);

    prepared = true;
}

void TapeTypeProcessor::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const auto numSamples = buffer.getNumSamples();

    // Drive and saturation in one pass: the same single rounding of drive * x as two passes, and
    // atan (0) = 0 keeps a cleared buffer silent.
    for (auto channel = 0; channel < buffer.getNumChannels(); ++channel)
        ArcTangent::shape (buffer.getWritePointer (channel), numSamples, drive, twoOverPi, 1.0f);

    juce::dsp::AudioBlock<float> block (buffer);
    juce::dsp::ProcessContextReplacing<float> context (block);
    lowShelf.process (context);

    {
        const FftwRealtimeSupport::Scope noHeap (fftScratch);
        convolution.process (context);
    }

    buffer.applyGain (makeup);
}

int TapeTypeProcessor::getLatency() const
{
    return convolution.getLatency();
}

bool TapeTypeProcessor::hasResponse() const noexcept
{
    return responseRequested && prepared;
}
