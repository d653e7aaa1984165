#include "plugin/NonFiniteParameters.h"

#include <cmath>

void resetNonFiniteParameters (juce::AudioProcessorValueTreeState& state)
{
    for (auto* parameter : state.processor.getParameters())
    {
        const auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
        const auto* rawValue = ranged != nullptr ? state.getRawParameterValue (ranged->paramID) : nullptr;

        if (rawValue != nullptr && ! std::isfinite (rawValue->load()))
            parameter->setValueNotifyingHost (parameter->getDefaultValue());
    }
}
