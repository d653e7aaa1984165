#pragma once

#include "presets/ModernPresetSelector.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

class FavoritesManager;
class ProcessorPresetManager;

// The preset library and browser: reads the preset folder tree, turns it into the category list
// that the selector and its menus show, keeps the selector's text in step with the current preset,
// and offers load by position, previous, next, save, delete and favourite toggling. Preset files
// are read and written only through the store, apart from deleting one.
//
// Presets are named by their position in the flat preset list: every preset file under the root,
// depth-first, each folder's own presets first, then its "User" folder, then its other folders,
// each level sorted by path ignoring case. Each real folder is visited once, whatever links lead
// to it. Categories are the presets of the root (one each) and of the first-level folders, the
// "User" folder first, after a "Favorites" category when any favourite is in the list.
class ModernPresetSelectorWrapper : public juce::Component, public juce::Timer
{
public:
    ModernPresetSelectorWrapper (ProcessorPresetManager* presetManager, std::function<void()> onPresetLoaded);
    ~ModernPresetSelectorWrapper() override;

    void resized() override;

    // Rebuilds the category list and hands it, the current position and the name to the selector.
    void refresh();

    // Appends the flat preset list of `folder` to `result`.
    static void collectAllPresets (const juce::File& folder, const juce::String& extension,
                                   std::vector<juce::File>& result);
    // Builds the category list and sets `currentIndex` to the position of the last entry named
    // `currentName` (trailing "*" ignored), leaving it as it was when none is.
    void scanPresetDirectory (const juce::File& root, const juce::String& extension,
                              std::vector<ModernPresetMenu::CategoryItem>& categories, int& currentIndex,
                              const juce::String& currentName);
    // First preset file under `root` named `name` (without extension), in the file system's order.
    static juce::File findPresetFile (const juce::File& root, const juce::String& name, const juce::String& extension);

    // Loads the preset at that flat-list position; nothing when it is outside the list.
    void loadPresetByIndex (int position);
    // The first flat-list position whose name is the current preset's, or -1.
    int getCurrentPresetIndex();
    // Step through the flat list with wrap-around; from an unknown preset to the last or the first.
    void loadPreviousPreset();
    void loadNextPreset();
    // The current preset's file, or an empty juce::File when there is none.
    juce::File getCurrentPresetFile();

    // Saves the current state as `name` in the folder `category` ("" for the root) and makes it the
    // current preset. "/" in either addresses deeper folders; a name that would leave the preset
    // root writes nothing and changes nothing.
    void savePreset (const juce::String& name, const juce::String& category);
    // Deletes the current preset's file and clears the current name.
    void deleteCurrentPreset();

    // Sends heart clicks of the sub-menu to the favourites list.
    void setupHeartClickHandler (FavoritesManager* favoritesManager);

    // The current name, with "*" appended while it is marked modified.
    juce::String getDisplayName() const;

    ProcessorPresetManager* getPresetManager() const noexcept { return presetManager; }
    ModernPresetSelector& getSelector() noexcept { return selector; }

    // Polls the current name; on a change, refreshes and runs onPresetChanged.
    void timerCallback() override;

    // Runs when the shown name changes, whatever changed it (a load, a host, undo).
    std::function<void()> onPresetChanged;

    static constexpr int pollIntervalMs = 500;

private:
    void handleMenuSelection (int position);
    void handleMenuCreated();
    void handleHeartClicked (FavoritesManager* favoritesManager, const juce::File& file);
    std::vector<juce::File> flatPresetList() const;

    ModernPresetSelector selector;
    ProcessorPresetManager* presetManager;
    std::function<void()> onPresetLoaded;
    juce::String lastDisplayedName;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ModernPresetSelectorWrapper)
};
