#include "presets/ModernPresetSelectorWrapper.h"

#include "presets/FavoritesManager.h"
#include "presets/NativePath.h"
#include "presets/ProcessorPresetManager.h"

#include <algorithm>
#include <map>
#include <set>

namespace
{
const juce::String userFolderName ("User");
const juce::String favoritesCategoryName ("Favorites");
const juce::String emptyNameText ("Init");

bool isUserFolder (const juce::File& folder)
{
    return folder.getFileName().equalsIgnoreCase (userFolderName);
}

// The real location, links resolved, so that a folder reached twice is seen once.
std::filesystem::path realPathOf (const juce::File& file)
{
    std::error_code error;
    auto real = std::filesystem::canonical (toNativePath (file), error);
    return error ? toNativePath (file) : real;
}

// Entries of one folder in path order, each character compared in upper case (so "_" sorts after
// the letters); names that differ only in case keep a fixed order.
void sortByPath (juce::Array<juce::File>& files)
{
    std::vector<std::pair<juce::String, juce::File>> keyed;

    for (const auto& file : files)
        keyed.emplace_back (file.getFullPathName().toUpperCase(), file);

    std::sort (keyed.begin(), keyed.end(), [] (const auto& a, const auto& b)
    {
        if (const auto order = a.first.compare (b.first); order != 0)
            return order < 0;

        return a.second.getFullPathName().compare (b.second.getFullPathName()) < 0;
    });

    files.clearQuick();

    for (const auto& entry : keyed)
        files.add (entry.second);
}

// Hidden files count, links are followed; the extension is compared ignoring case.
bool isPresetFile (const juce::File& file, const juce::String& extension)
{
    return file.getFileName().endsWithIgnoreCase (extension) && file.existsAsFile();
}

juce::Array<juce::File> sortedPresetFiles (const juce::File& folder, const juce::String& extension)
{
    auto files = folder.findChildFiles (juce::File::findFiles, false);
    files.removeIf ([&] (const juce::File& file) { return ! isPresetFile (file, extension); });
    sortByPath (files);
    return files;
}

// The sub-folders in path order, those named "User" first.
juce::Array<juce::File> sortedFoldersUserFirst (const juce::File& folder)
{
    auto folders = folder.findChildFiles (juce::File::findDirectories, false);
    sortByPath (folders);

    juce::Array<juce::File> ordered;

    for (const auto& sub : folders)
        if (isUserFolder (sub))
            ordered.add (sub);

    for (const auto& sub : folders)
        if (! isUserFolder (sub))
            ordered.add (sub);

    return ordered;
}

// Flat-list positions of preset files. A file reached through a linked copy of a folder that the
// flat list visited elsewhere has the position of the same file there.
class PositionLookup
{
public:
    explicit PositionLookup (const std::vector<juce::File>& flatList) : presets (flatList)
    {
        for (size_t i = 0; i < presets.size(); ++i)
            byPath.emplace (presets[i].getFullPathName(), static_cast<int> (i));
    }

    int find (const juce::File& file)
    {
        if (const auto found = byPath.find (file.getFullPathName()); found != byPath.end())
            return found->second;

        if (byRealPath.empty())
            for (size_t i = 0; i < presets.size(); ++i)
                byRealPath.emplace (realPathOf (presets[i]), static_cast<int> (i));

        const auto found = byRealPath.find (realPathOf (file));
        return found != byRealPath.end() ? found->second : -1;
    }

private:
    const std::vector<juce::File>& presets;
    std::map<juce::String, int> byPath;
    std::map<std::filesystem::path, int> byRealPath;
};

// A relative name that cannot climb out of the folder it is resolved in.
bool staysInside (const juce::String& relativePath)
{
    if (juce::File::isAbsolutePath (relativePath))
        return false;

    juce::StringArray segments;
    segments.addTokens (relativePath, "/\\", "");
    return ! segments.contains ("..");
}
} // namespace

//==============================================================================
ModernPresetSelectorWrapper::ModernPresetSelectorWrapper (ProcessorPresetManager* manager,
                                                          std::function<void()> presetLoaded)
    : presetManager (manager), onPresetLoaded (std::move (presetLoaded))
{
    jassert (presetManager != nullptr);

    addAndMakeVisible (selector);
    selector.onPresetSelected = [this] (int position) { handleMenuSelection (position); };
    selector.onMenuCreated = [this] { handleMenuCreated(); };

    refresh();
    startTimer (pollIntervalMs);
}

ModernPresetSelectorWrapper::~ModernPresetSelectorWrapper()
{
    stopTimer();
}

void ModernPresetSelectorWrapper::resized()
{
    selector.setBounds (getLocalBounds());
}

juce::String ModernPresetSelectorWrapper::getDisplayName() const
{
    return presetManager->getCurrentPresetName() + (presetManager->isPresetModified() ? "*" : "");
}

void ModernPresetSelectorWrapper::refresh()
{
    const auto displayName = getDisplayName();

    std::vector<ModernPresetMenu::CategoryItem> categories;
    auto currentIndex = -1;
    scanPresetDirectory (presetManager->getPresetDirectory(), presetManager->getPresetExtension(), categories,
                         currentIndex, displayName);

    selector.categories = std::move (categories);
    selector.currentPresetIndex = currentIndex;
    selector.displayName = displayName.isEmpty() ? emptyNameText : displayName;
    selector.repaint();
}

//==============================================================================
void ModernPresetSelectorWrapper::collectAllPresets (const juce::File& folder, const juce::String& extension,
                                                     std::vector<juce::File>& result)
{
    // Depth-first on an explicit stack, so neither deep trees nor link cycles can exhaust the
    // call stack; a folder's "User" sub-folders are taken before its others.
    std::set<std::filesystem::path> visited;
    std::vector<juce::File> pending { folder };

    while (! pending.empty())
    {
        const auto current = pending.back();
        pending.pop_back();

        if (! visited.insert (realPathOf (current)).second)
            continue;

        for (const auto& file : sortedPresetFiles (current, extension))
            result.push_back (file);

        const auto subFolders = sortedFoldersUserFirst (current);

        for (auto i = subFolders.size(); --i >= 0;)
            pending.push_back (subFolders.getReference (i));
    }
}

void ModernPresetSelectorWrapper::scanPresetDirectory (const juce::File& root, const juce::String& extension,
                                                       std::vector<ModernPresetMenu::CategoryItem>& categories,
                                                       int& currentIndex, const juce::String& currentName)
{
    std::vector<juce::File> flatList;
    collectAllPresets (root, extension, flatList);
    PositionLookup positions (flatList);

    const auto wantedName = currentName.trimCharactersAtEnd ("*");

    const auto addPreset = [&] (ModernPresetMenu::CategoryItem& category, const juce::File& file)
    {
        const auto position = positions.find (file);

        if (position < 0)
            return;

        const auto name = file.getFileNameWithoutExtension();
        category.presetNames.add (name);
        category.presetIndices.push_back (position);
        category.presetFiles.push_back (file);

        if (name == wantedName)
            currentIndex = position;
    };

    ModernPresetMenu::CategoryItem favorites { favoritesCategoryName, {}, {}, {} };

    for (const auto& file : presetManager->getFavoritesManager().getFavorites())
        addPreset (favorites, file);

    if (! favorites.presetNames.isEmpty())
        categories.push_back (std::move (favorites));

    for (const auto& file : sortedPresetFiles (root, extension))
    {
        ModernPresetMenu::CategoryItem single { file.getFileNameWithoutExtension(), {}, {}, {} };
        addPreset (single, file);

        if (! single.presetNames.isEmpty())
            categories.push_back (std::move (single));
    }

    for (const auto& folder : sortedFoldersUserFirst (root))
    {
        ModernPresetMenu::CategoryItem category { folder.getFileNameWithoutExtension(), {}, {}, {} };

        for (const auto& file : sortedPresetFiles (folder, extension))
            addPreset (category, file);

        if (! category.presetNames.isEmpty())
            categories.push_back (std::move (category));
    }
}

juce::File ModernPresetSelectorWrapper::findPresetFile (const juce::File& root, const juce::String& name,
                                                        const juce::String& extension)
{
    // Each folder's entries in the file system's order, descending into a folder where it is met,
    // every real folder once.
    struct Level
    {
        juce::Array<juce::File> entries;
        int next = 0;
    };

    std::set<std::filesystem::path> visited { realPathOf (root) };
    std::vector<Level> levels;
    levels.push_back ({ root.findChildFiles (juce::File::findFilesAndDirectories, false), 0 });

    while (! levels.empty())
    {
        auto& level = levels.back();

        if (level.next >= level.entries.size())
        {
            levels.pop_back();
            continue;
        }

        const auto entry = level.entries.getReference (level.next++);

        if (entry.isDirectory())
        {
            if (visited.insert (realPathOf (entry)).second)
                levels.push_back ({ entry.findChildFiles (juce::File::findFilesAndDirectories, false), 0 });
        }
        else if (isPresetFile (entry, extension) && entry.getFileNameWithoutExtension() == name)
        {
            return entry;
        }
    }

    return {};
}

//==============================================================================
std::vector<juce::File> ModernPresetSelectorWrapper::flatPresetList() const
{
    std::vector<juce::File> flatList;
    collectAllPresets (presetManager->getPresetDirectory(), presetManager->getPresetExtension(), flatList);
    return flatList;
}

void ModernPresetSelectorWrapper::loadPresetByIndex (int position)
{
    const auto flatList = flatPresetList();

    if (position >= 0 && position < static_cast<int> (flatList.size()))
        presetManager->loadPreset (flatList[static_cast<size_t> (position)]);
}

int ModernPresetSelectorWrapper::getCurrentPresetIndex()
{
    const auto flatList = flatPresetList();

    const auto name = presetManager->getCurrentPresetName();

    for (size_t i = 0; i < flatList.size(); ++i)
        if (flatList[i].getFileNameWithoutExtension() == name)
            return static_cast<int> (i);

    return -1;
}

void ModernPresetSelectorWrapper::loadPreviousPreset()
{
    const auto flatList = flatPresetList();

    if (flatList.empty())
        return;

    const auto current = getCurrentPresetIndex();
    const auto count = static_cast<int> (flatList.size());
    const auto target = current > 0 ? current - 1 : count - 1;

    presetManager->loadPreset (flatList[static_cast<size_t> (target)]);
    refresh();
}

void ModernPresetSelectorWrapper::loadNextPreset()
{
    const auto flatList = flatPresetList();

    if (flatList.empty())
        return;

    const auto current = getCurrentPresetIndex();
    const auto count = static_cast<int> (flatList.size());
    const auto target = (current + 1) % count;

    presetManager->loadPreset (flatList[static_cast<size_t> (target)]);
    refresh();
}

juce::File ModernPresetSelectorWrapper::getCurrentPresetFile()
{
    const auto name = presetManager->getCurrentPresetName();

    if (name.isEmpty())
        return {};

    return findPresetFile (presetManager->getPresetDirectory(), name, presetManager->getPresetExtension());
}

//==============================================================================
void ModernPresetSelectorWrapper::savePreset (const juce::String& name, const juce::String& category)
{
    const auto& root = presetManager->getPresetDirectory();

    // Names come from the user: a preset is only ever written inside the preset root.
    if (name.fromLastOccurrenceOf ("/", false, false).isEmpty() || ! staysInside (name) || ! staysInside (category))
        return;

    const auto folder = category.isEmpty() ? root : root.getChildFile (category);
    const auto target = folder.getChildFile (name + presetManager->getPresetExtension());

    if (! target.isAChildOf (root))
        return;

    // The category folder, and the deeper folders a name with "/" addresses.
    target.getParentDirectory().createDirectory();

    presetManager->savePreset (target);
    refresh();
}

void ModernPresetSelectorWrapper::deleteCurrentPreset()
{
    const auto file = getCurrentPresetFile();

    // A file that could not be deleted is still the current preset.
    if (! file.existsAsFile() || ! file.deleteFile())
        return;

    auto& state = presetManager->getValueTreeState().state;
    state.setProperty (presetManager->getCurrentPresetId(), "", nullptr);
    state.setProperty (presetManager->getPresetModifiedId(), false, nullptr);
    refresh();
}

//==============================================================================
void ModernPresetSelectorWrapper::timerCallback()
{
    const auto displayName = getDisplayName();

    if (displayName == lastDisplayedName)
        return;

    lastDisplayedName = displayName;
    refresh();

    if (onPresetChanged != nullptr)
        onPresetChanged();
}

void ModernPresetSelectorWrapper::handleMenuSelection (int position)
{
    loadPresetByIndex (position);

    if (onPresetLoaded != nullptr)
        onPresetLoaded();

    refresh();
}

void ModernPresetSelectorWrapper::handleMenuCreated()
{
    auto* favorites = &presetManager->getFavoritesManager();

    if (selector.menu == nullptr)
        return;

    selector.menu->favoritesManager = favorites;

    if (selector.menu->subMenu != nullptr)
        setupHeartClickHandler (favorites);
}

void ModernPresetSelectorWrapper::setupHeartClickHandler (FavoritesManager* favoritesManager)
{
    if (selector.menu == nullptr || selector.menu->subMenu == nullptr)
        return;

    selector.menu->subMenu->onHeartClicked = [this, favoritesManager] (const juce::File& file)
    {
        handleHeartClicked (favoritesManager, file);
    };
}

void ModernPresetSelectorWrapper::handleHeartClicked (FavoritesManager* favoritesManager, const juce::File& file)
{
    if (favoritesManager != nullptr)
        favoritesManager->toggleFavorite (file);

    auto* menu = selector.menu.get();

    if (menu == nullptr || menu->expandedIndex < 0)
        return;

    std::vector<ModernPresetMenu::CategoryItem> categories;
    auto currentIndex = -1;
    scanPresetDirectory (presetManager->getPresetDirectory(), presetManager->getPresetExtension(), categories,
                         currentIndex, getDisplayName());

    menu->categories = categories;
    menu->currentPresetIndex = currentIndex;
    selector.categories = std::move (categories);
    selector.currentPresetIndex = currentIndex;
    menu->repaint();

    // The open row is kept by position: when "Favorites" appears or goes, it shows its neighbour.
    if (menu->expandedIndex < static_cast<int> (menu->categories.size()))
        menu->showSubMenu (menu->expandedIndex);
}
