#pragma once

#include "presets/PresetSubMenu.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>
#include <vector>

class FavoritesManager;

// The category menu of the preset browser; opening a category shows its presets in the sub-menu.
class ModernPresetMenu : public juce::Component
{
public:
    // One category: its name and its presets' display names, flat-list positions and files, in
    // display order (the three lists run in parallel).
    struct CategoryItem
    {
        juce::String name;
        juce::StringArray presetNames;
        std::vector<int> presetIndices;
        std::vector<juce::File> presetFiles;
    };

    ModernPresetMenu();
    ~ModernPresetMenu() override;

    // Fills the sub-menu with category `index`'s presets and makes it the open category; an index
    // outside the categories is ignored.
    void showSubMenu (int index);

    std::unique_ptr<PresetSubMenu> subMenu;
    std::vector<CategoryItem> categories;
    int currentPresetIndex = -1; // flat-list position of the current preset, -1 for none
    int expandedIndex = -1;      // category whose sub-menu is open, -1 for none
    FavoritesManager* favoritesManager = nullptr; // not owned; marks the favourites among the rows

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModernPresetMenu)
};
