#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

// The COMP stage: a feed-forward peak compressor with one detector per channel (not linked), a fixed
// threshold and 8:1 ratio with a 6 dB soft knee, a reduction softly limited below 12 dB, a release
// that slows down as the reduction grows, and automatic make-up gain. COMP (0 to 10) raises the
// detector level by 3.6 dB per unit and the make-up by 0.26 of that.
class TapeCompressor
{
public:
    // Coefficients for the rate; both channel states back to rest.
    void prepare (double sampleRate);

    // Channel 0 when numChannels >= 1, channel 1 when numChannels >= 2; nothing at compKnob <= 0.01.
    void process (juce::AudioBuffer<float>& buffer, int numChannels, float compKnob) noexcept;

    // The detector state of channel 0 or 1 after the last processed sample.
    float getEnvelope (int channel) const noexcept { return channels[static_cast<size_t> (channel)].envelope; }
    float getGainReductionDb (int channel) const noexcept
    {
        return channels[static_cast<size_t> (channel)].gainReductionDb;
    }

private:
    struct ChannelState
    {
        float envelope = 0.0f;        // linear amplitude
        float gainReductionDb = 0.0f; // dB, 0 or positive, of the previous sample
    };

    void processPair (float* left, float* right, int numSamples, float driveDb, float makeup) noexcept;

    std::array<ChannelState, 2> channels;
    float attackCoeff = 0.0f;
    float releaseCoeff = 0.0f;
};
