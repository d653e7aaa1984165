#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

// The list of one category's presets, shown beside the category menu.
class PresetSubMenu : public juce::Component
{
public:
    // One row: a preset of the open category.
    struct MenuItem
    {
        juce::String name;
        int presetIndex = -1; // position in the flat preset list
        bool isCurrent = false;
        juce::File file;      // empty when the category had no file for the entry
        bool favorite = false;
    };

    PresetSubMenu();
    ~PresetSubMenu() override;

    // Replaces the rows.
    void setItems (const std::vector<MenuItem>& newItems);
    const std::vector<MenuItem>& getItems() const noexcept { return items; }

    // Receives the file whose heart was clicked; set by the preset library.
    std::function<void (const juce::File&)> onHeartClicked;

private:
    std::vector<MenuItem> items;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetSubMenu)
};
