#include "presets/FavoritesManager.h"

#include "presets/BoundedFileReader.h"

FavoritesManager::FavoritesManager (const juce::File& root)
    : rootDirectory (root), favoritesFile (root.getChildFile (fileName))
{
    loadFavorites();
}

void FavoritesManager::loadFavorites()
{
    favorites.clear();

    juce::MemoryBlock bytes;
    if (! BoundedFileReader::read (favoritesFile, maxFileBytes, bytes))
        return;

    juce::StringArray lines;
    lines.addLines (juce::String::createStringFromData (bytes.getData(), static_cast<int> (bytes.getSize())));

    for (const auto& line : lines)
        if (const auto entry = line.trim(); entry.isNotEmpty())
            favorites.add (entry);
}

void FavoritesManager::saveFavorites()
{
    juce::String text;

    for (const auto& entry : favorites)
        text << entry << "\n";

    favoritesFile.replaceWithText (text, false, false, "\r\n");
}

juce::String FavoritesManager::entryFor (const juce::File& file) const
{
    return file.getRelativePathFrom (rootDirectory);
}

bool FavoritesManager::isFavorite (const juce::File& file) const
{
    return favorites.contains (entryFor (file));
}

void FavoritesManager::addFavorite (const juce::File& file)
{
    const auto entry = entryFor (file);

    if (favorites.contains (entry))
        return;

    favorites.add (entry);
    saveFavorites();
}

void FavoritesManager::toggleFavorite (const juce::File& file)
{
    const auto entry = entryFor (file);

    if (! favorites.contains (entry))
    {
        addFavorite (file);
        return;
    }

    favorites.removeString (entry);
    saveFavorites();
}

juce::Array<juce::File> FavoritesManager::getFavorites() const
{
    juce::Array<juce::File> files;

    for (const auto& entry : favorites)
        if (const auto file = rootDirectory.getChildFile (entry); file.existsAsFile())
            files.add (file);

    return files;
}
