#pragma once

#include <juce_core/juce_core.h>

// The presets the user marked with the heart, kept in memory and in "Favorites.txt" in the preset
// root. An entry is a preset file's path relative to the root ("Bass/b1.tvx"), compared exactly.
// Entries whose file has gone stay in the list and in the file; getFavorites leaves them out.
class FavoritesManager
{
public:
    explicit FavoritesManager (const juce::File& rootDirectory);

    // Replaces the list with the file's trimmed, non-empty lines (CR LF, LF or CR endings).
    void loadFavorites();
    // Writes the whole list, one entry per line, every line ending in CR LF.
    void saveFavorites();

    bool isFavorite (const juce::File& file) const;
    // Appends the file and saves, unless it is already listed (then nothing is written).
    void addFavorite (const juce::File& file);
    // Removes every occurrence of a listed file and saves; adds an unlisted one.
    void toggleFavorite (const juce::File& file);
    // The listed files that exist right now, in list order.
    juce::Array<juce::File> getFavorites() const;

    const juce::File& getFavoritesFile() const noexcept { return favoritesFile; }

    static constexpr const char* fileName = "Favorites.txt";
    // A real list is a few KB; anything bigger is not read into memory.
    static constexpr juce::int64 maxFileBytes = 1024 * 1024;

private:
    juce::String entryFor (const juce::File& file) const;

    juce::File rootDirectory;
    juce::File favoritesFile;
    juce::StringArray favorites;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FavoritesManager)
};
