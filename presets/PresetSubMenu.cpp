#include "presets/PresetSubMenu.h"

PresetSubMenu::PresetSubMenu() = default;

PresetSubMenu::~PresetSubMenu() = default;

void PresetSubMenu::setItems (const std::vector<MenuItem>& newItems)
{
    items = newItems;
    repaint();
}
