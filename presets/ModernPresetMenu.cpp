#include "presets/ModernPresetMenu.h"

#include "presets/FavoritesManager.h"

ModernPresetMenu::ModernPresetMenu() : subMenu (std::make_unique<PresetSubMenu>()) {}

ModernPresetMenu::~ModernPresetMenu() = default;

void ModernPresetMenu::showSubMenu (int index)
{
    if (index < 0 || index >= static_cast<int> (categories.size()))
        return;

    expandedIndex = index;

    const auto& category = categories[static_cast<size_t> (index)];
    std::vector<PresetSubMenu::MenuItem> rows;

    for (size_t i = 0; i < category.presetIndices.size(); ++i)
    {
        PresetSubMenu::MenuItem row;
        row.name = category.presetNames[static_cast<int> (i)];
        row.presetIndex = category.presetIndices[i];
        row.isCurrent = row.presetIndex == currentPresetIndex;
        row.file = i < category.presetFiles.size() ? category.presetFiles[i] : juce::File();
        row.favorite = favoritesManager != nullptr && favoritesManager->isFavorite (row.file);
        rows.push_back (row);
    }

    subMenu->setItems (rows);
}
