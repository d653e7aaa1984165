#include "presets/ModernPresetSelector.h"

namespace
{
const juce::Colour barColour (30, 30, 30);
constexpr float nameHeight = 14.0f;
constexpr int nameInset = 8;      // left margin of the name
constexpr int chevronSpace = 24;  // kept free on the right for the chevron
} // namespace

ModernPresetSelector::ModernPresetSelector() = default;

ModernPresetSelector::~ModernPresetSelector() = default;

void ModernPresetSelector::paint (juce::Graphics& g)
{
    g.fillAll (barColour);

    const auto bounds = getLocalBounds();
    g.setFont (nameHeight);
    g.setColour (juce::Colours::white.withAlpha (0.9f));
    g.drawText (displayName,
                bounds.getX() + nameInset, bounds.getY(),
                juce::jmax (0, juce::jmax (0, bounds.getWidth() - nameInset) - chevronSpace), bounds.getHeight(),
                juce::Justification::centredLeft, true);
}
