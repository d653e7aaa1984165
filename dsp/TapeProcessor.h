#pragma once

#include "dsp/StereoBiquad.h"
#include "dsp/TapeType.h"
#include "dsp/TapeTypeProcessor.h"

#include <juce_dsp/juce_dsp.h>

#include <array>

// The tape machine: twelve colouration chains built ahead of time, one per (type, speed) slot, the
// selected one run on every block, a change crossfaded over one block, then a 10 Hz high-pass.
class TapeProcessor
{
public:
    TapeProcessor();

    // Selects a slot for the next process call; an invalid pair changes nothing. Allocation-free.
    void setType (TapeType type, TapeSpeed speed) noexcept;

    // Prepares every chain; a selection change still pending is taken without a crossfade.
    void prepare (double sampleRate, int samplesPerBlock);

    // 1 or 2 channels, at most samplesPerBlock samples, in place.
    void process (juce::AudioBuffer<float>& buffer) noexcept;

    TapeTypeProcessor& currentTypeProcessor() noexcept;

    // The machine type of the slot chosen by the last valid setType.
    TapeType currentType() const noexcept { return TapeSlots::typeOf (currentSlot); }

    // True when every chain runs its own impulse response (see TapeTypeProcessor::hasResponse).
    bool hasAllResponses() const noexcept;

    // The bias stage, before the compressor: atan (s d x) / d with drive d = 1 + 10 x biasKnob
    // (biasKnob 0 to 0.5) and s = -1 for the machine types whose responses are inverted. Touches
    // channels 0 to numChannels - 1 only.
    static void applyBiasSaturation (juce::AudioBuffer<float>& buffer, int numChannels, float biasKnob,
                                     bool invertPolarity) noexcept;

private:
    void runSwitchingBlock (juce::AudioBuffer<float>& buffer) noexcept;

    using Coefficients = juce::dsp::IIR::Coefficients<float>;

    // One background loader for all twelve responses: a thread per chain would mean twelve threads,
    // each waking a hundred times a second, in every instance of the plug-in.
    juce::dsp::ConvolutionMessageQueue responseLoader;

    TapeTypeProcessor typeASlow { TapeType::TypeA, TapeSpeed::Slow, responseLoader };
    TapeTypeProcessor typeBSlow { TapeType::TypeB, TapeSpeed::Slow, responseLoader };
    TapeTypeProcessor typeCSlow { TapeType::TypeC, TapeSpeed::Slow, responseLoader };
    TapeTypeProcessor typeDSlow { TapeType::TypeD, TapeSpeed::Slow, responseLoader };
    TapeTypeProcessor typeESlow { TapeType::TypeE, TapeSpeed::Slow, responseLoader };
    TapeTypeProcessor typeFSlow { TapeType::TypeF, TapeSpeed::Slow, responseLoader };
    TapeTypeProcessor typeAFast { TapeType::TypeA, TapeSpeed::Fast, responseLoader };
    TapeTypeProcessor typeBFast { TapeType::TypeB, TapeSpeed::Fast, responseLoader };
    TapeTypeProcessor typeCFast { TapeType::TypeC, TapeSpeed::Fast, responseLoader };
    TapeTypeProcessor typeDFast { TapeType::TypeD, TapeSpeed::Fast, responseLoader };
    TapeTypeProcessor typeEFast { TapeType::TypeE, TapeSpeed::Fast, responseLoader };
    TapeTypeProcessor typeFFast { TapeType::TypeF, TapeSpeed::Fast, responseLoader };

    // Indexed by slot.
    std::array<TapeTypeProcessor*, TapeSlots::numSlots> processors { &typeASlow, &typeBSlow, &typeCSlow,
                                                                     &typeDSlow, &typeESlow, &typeFSlow,
                                                                     &typeAFast, &typeBFast, &typeCFast,
                                                                     &typeDFast, &typeEFast, &typeFFast };

    int currentSlot = 0;  // chosen by the last valid setType
    int previousSlot = 0; // the last processed block ended with this one
    juce::AudioBuffer<float> fadeBuffer; // the outgoing chain's signal in a switching block
    StereoBiquad dcFilter; // a ProcessorDuplicator of juce::dsp::IIR::Filter, sample for sample

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeProcessor)
};
