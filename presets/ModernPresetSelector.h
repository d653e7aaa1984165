#pragma once

#include "presets/ModernPresetMenu.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

// The bar in the editor's top bar that shows the current preset's name and opens the category menu.
// The preset library fills in the categories, the current position and the name.
class ModernPresetSelector : public juce::Component
{
public:
    ModernPresetSelector();
    ~ModernPresetSelector() override;

    void paint (juce::Graphics& g) override;

    // Receives the flat-list position of a chosen preset; set by the preset library.
    std::function<void (int)> onPresetSelected;
    // Runs once, right after the menu is first created; set by the preset library.
    std::function<void()> onMenuCreated;
    // Created at the first opening and kept for the selector's lifetime.
    std::unique_ptr<ModernPresetMenu> menu;
    juce::String displayName { "Init" };
    std::vector<ModernPresetMenu::CategoryItem> categories;
    int currentPresetIndex = -1; // -1 for none
    juce::Component* overlayParent = nullptr; // not owned; dimmed while the menu is open

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModernPresetSelector)
};
