#pragma once

#include "dsp/FftwRealtimeSupport.h"
#include "dsp/StereoBiquad.h"
#include "dsp/TapeType.h"

#include <juce_dsp/juce_dsp.h>

// The colouring chain of one machine type at one tape speed: drive, arc-tangent saturation, a fixed
// 25 Hz low-shelf cut, the convolution with that slot's embedded impulse response, make-up gain.
class TapeTypeProcessor
{
public:
    // Requests the slot's response from JUCE's loader; a pair outside the table loads none. The
    // first form gives the chain a loader thread of its own, the second shares `loader` (which
    // must outlive the chain, and whose chains are all used from one thread at a time).
    TapeTypeProcessor (TapeType type, TapeSpeed speed);
    TapeTypeProcessor (TapeType type, TapeSpeed speed, juce::dsp::ConvolutionMessageQueue& loader);

    void prepare (double sampleRate, int samplesPerBlock);

    // 1 or 2 channels, at most samplesPerBlock samples, in place.
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    // 0 for every slot: the convolution runs in zero-latency mode.
    int getLatency() const;

    // True once the convolution runs the slot's own response rather than JUCE's unit impulse. JUCE
    // loads responses on a background thread, and its prepare finishes a load still queued and
    // installs the engine built from it, so this holds from the first prepare on.
    bool hasResponse() const noexcept;

private:
    using Coefficients = juce::dsp::IIR::Coefficients<float>;

    void requestResponse (TapeType type, TapeSpeed speed);

    StereoBiquad lowShelf; // a ProcessorDuplicator of juce::dsp::IIR::Filter, sample for sample
    juce::dsp::Convolution::Latency latency { 0 };
    juce::dsp::Convolution convolution { latency };
    float drive = 1.0f;                       // linear, before the saturation
    float makeup = 1.0f;                      // linear, at the end of the chain
    float shelfFrequency = 10.0f;             // Hz
    float shelfGain = 1.0f;                   // linear

    FftwRealtimeSupport fftScratch; // the convolution's FFT buffers on the audio thread
    bool responseRequested = false;
    bool prepared = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeTypeProcessor)
};
