#include "dsp/TapeTypeProcessor.h"

#include "dsp/ArcTangent.h"
#include "dsp/FftwRealtimeSupport.h"

#include "BinaryData.h"

namespace
{
using Convolution = juce::dsp::Convolution;

constexpr float twoOverPi = 0.63661975f;
constexpr float shelfFrequencyHz = 25.0f;
constexpr float shelfGainFactor = 0.063095726f; // -24 dB
constexpr float shelfQ = 0.70710677f;

// How one slot loads its response and how hard it drives it.
struct Slot
{
    const char* resource;
    Convolution::Stereo stereo;
    Convolution::Trim trim;
    size_t frames; // read from the file; 0 reads all of it
    Convolution::Normalise normalise;
    float drive;
    float makeup;
};

constexpr auto perChannel = Convolution::Stereo::yes;  // each channel its own, if the file has two
constexpr auto firstChannel = Convolution::Stereo::no; // the file's first channel for both
constexpr auto trim = Convolution::Trim::yes;
constexpr auto keep = Convolution::Trim::no;
constexpr auto normalise = Convolution::Normalise::yes;
constexpr auto asIs = Convolution::Normalise::no;

// In slot order: types A to F at Slow, then types A to F at Fast.
// resource, channels, trim, frames, normalise, drive, make-up
constexpr Slot slots[TapeSlots::numSlots] = {
    { "typeA_75_ir_wav", perChannel, keep, 0, asIs, 0.18f, 1.9f },
    { "studerA812_gain4_2_wav", firstChannel, trim, 0, normalise, 1.8f, 5.7f },
    { "Studer_A80_IR_7_5_wav", perChannel, trim, 2, normalise, 4.5f, 2.7f },
    { "Teac_3_34_ips_2_wav", perChannel, trim, 0, normalise, 1.5f, 4.4f },
    { "telefunken_m20_6_dc_96_wav", firstChannel, trim, 2, normalise, 1.5f, 7.9f },
    { "B77_7_5__96_wav", perChannel, keep, 10, normalise, 3.0f, 3.0f },
    { "typeA_15_ir_wav", perChannel, trim, 0, normalise, 0.9f, 12.0f },
    { "studerA812_gain1_2_wav", firstChannel, trim, 0, asIs, 1.5f, 2.4f },
    { "Studer_A80_IR_15a_wav", firstChannel, trim, 2, normalise, 1.5f, 8.9f },
    { "Teac_7_12_ips_2_wav", perChannel, trim, 0, normalise, 1.5f, 5.6f },
    { "telefunken_m20_6_dc_96_30ips_wav", firstChannel, trim, 2, normalise, 1.5f, 7.9f },
    { "B77_3_75_96_wav", perChannel, trim, 10, normalise, 1.5f, 5.8f },
};
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
        const auto& slot = slots[TapeSlots::slotOf (type, speed)];
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
