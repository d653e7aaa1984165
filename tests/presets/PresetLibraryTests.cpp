// The preset library on real folder trees: the flat list and the category list, navigation,
// save and delete, the name poll, and the menu hooks.

#include "PresetTestSupport.h"

#include "ProcessorHarness.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if JUCE_LINUX
 #include <linux/fs.h>
 #include <sys/ioctl.h>
#endif

using namespace presettest;

namespace
{
// "name[preset@position,...]" for every category, joined by " | ".
juce::String describe (const std::vector<ModernPresetMenu::CategoryItem>& categories)
{
    juce::StringArray parts;

    for (const auto& category : categories)
    {
        juce::StringArray presets;

        for (size_t i = 0; i < category.presetIndices.size(); ++i)
            presets.add (category.presetNames[static_cast<int> (i)] + "@" + juce::String (category.presetIndices[i]));

        parts.add (category.name + "[" + presets.joinIntoString (",") + "]");
    }

    return parts.joinIntoString (" | ");
}

juce::String describe (const std::vector<juce::String>& strings)
{
    juce::StringArray joined;

    for (const auto& s : strings)
        joined.add (s);

    return joined.joinIntoString (", ");
}

class PresetLibrary : public PresetFixture
{
protected:
    // Default (written at first run), Bass with b1 and b2, and user (lower case) with u1.
    void makeBassAndUser()
    {
        writePreset ("Bass/b1.tvx");
        writePreset ("Bass/b2.tvx");
        writePreset ("user/u1.tvx");
        library->refresh();
    }

    const std::vector<ModernPresetMenu::CategoryItem>& categories() { return library->getSelector().categories; }

    // Empties the root but for a fresh default preset.
    void resetRoot()
    {
        root.deleteRecursively();
        writePreset ("Default.tvx");
    }
};

struct FolderExample
{
    const char* what;
    std::vector<const char*> presets; // written as presets, relative to the root
    std::vector<const char*> others;  // other files, relative to the root
    const char* flatList;
    const char* categories;
};

const FolderExample folderExamples[] = {
    { "User folder in lower case first",
      { "Bass/b1.tvx", "Bass/b2.tvx", "user/u1.tvx" }, {},
      "Default.tvx, user/u1.tvx, Bass/b1.tvx, Bass/b2.tvx",
      "Default[Default@0] | user[u1@1] | Bass[b1@2,b2@3]" },
    { "a folder name's extension is dropped",
      { "Vintage.old/v1.tvx" }, {},
      "Default.tvx, Vintage.old/v1.tvx",
      "Default[Default@0] | Vintage[v1@1]" },
    { "presets two levels deep are listed but in no category",
      { "Bass/b1.tvx", "Bass/Deep/d1.tvx" }, {},
      "Default.tvx, Bass/b1.tvx, Bass/Deep/d1.tvx",
      "Default[Default@0] | Bass[b1@1]" },
    { "case is ignored and _ sorts after the letters",
      { "beta.tvx", "Alpha.tvx", "a_b.tvx", "ab.tvx" }, {},
      "ab.tvx, Alpha.tvx, a_b.tvx, beta.tvx, Default.tvx",
      "ab[ab@0] | Alpha[Alpha@1] | a_b[a_b@2] | beta[beta@3] | Default[Default@4]" },
    { "hidden files and any case of the extension count; other files and empty folders do not",
      { "LOUD.TVX", ".hidden.tvx" }, { "notes.txt", "Empty/readme.txt" },
      ".hidden.tvx, Default.tvx, LOUD.TVX",
      ".hidden[.hidden@0] | Default[Default@1] | LOUD[LOUD@2]" },
    { "each folder's User subtree comes before its other folders",
      { "Alpha/a1.tvx", "User/u1.tvx", "User/Sub/s1.tvx", "Zed/z1.tvx", "Zed/User/zu.tvx" }, {},
      "Default.tvx, User/u1.tvx, User/Sub/s1.tvx, Alpha/a1.tvx, Zed/z1.tvx, Zed/User/zu.tvx",
      "Default[Default@0] | User[u1@1] | Alpha[a1@3] | Zed[z1@4]" },
};

// Makes a folder's entries undeletable for the test's lifetime: by permissions, or for root by
// the immutable flag where the file system has one.
class UndeletableFolder
{
public:
    explicit UndeletableFolder (const juce::File& folderToLock) : folder (folderToLock)
    {
        const auto probe = folder.getChildFile ("probe.txt");
        probe.create();

        chmod (path(), 0555);
        locked = probe.existsAsFile() && ! probe.deleteFile();

       #if JUCE_LINUX
        if (! locked)
        {
            chmod (path(), 0755);
            probe.create();
            immutable = setImmutable (true);
            locked = immutable && ! probe.deleteFile();
        }
       #endif
    }

    ~UndeletableFolder()
    {
       #if JUCE_LINUX
        if (immutable)
            setImmutable (false);
       #endif
        chmod (path(), 0755);
    }

    bool isLocked() const noexcept { return locked; }

private:
    const char* path() const { return folder.getFullPathName().toRawUTF8(); }

   #if JUCE_LINUX
    bool setImmutable (bool on)
    {
        const auto fd = open (path(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return false;

        int flags = 0;
        auto ok = ioctl (fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ioctl (fd, FS_IOC_SETFLAGS, &flags) == 0;
        close (fd);
        return ok;
    }
   #endif

    juce::File folder;
    bool locked = false, immutable = false;
};
} // namespace

TEST_F (PresetLibrary, FlatListAndCategoriesOfTheExampleFolders)
{
    for (const auto& example : folderExamples)
    {
        resetRoot();

        for (auto* preset : example.presets)
            writePreset (preset);

        for (auto* other : example.others)
            writeText (root.getChildFile (other), "not a preset");

        library->refresh();

        EXPECT_EQ (describe (relativePaths (flatList(), root)), example.flatList) << example.what;
        EXPECT_EQ (describe (categories()), example.categories) << example.what;

        const auto flat = flatList();
        for (const auto& category : categories())
            for (size_t i = 0; i < category.presetIndices.size(); ++i)
                EXPECT_EQ (category.presetFiles[i], flat[static_cast<size_t> (category.presetIndices[i])]) << example.what;
    }
}

TEST_F (PresetLibrary, TheSelectorShowsTheCurrentPresetItsMarkerAndInitForNoName)
{
    makeBassAndUser();
    auto& selector = library->getSelector();

    setCurrentName ("b1");
    library->refresh();
    EXPECT_EQ (selector.displayName, "b1");
    EXPECT_EQ (selector.currentPresetIndex, 2);

    setCurrentName ("b1", true);
    library->refresh();
    EXPECT_EQ (selector.displayName, "b1*");
    EXPECT_EQ (selector.currentPresetIndex, 2) << "the marker is not part of the name";

    setCurrentName ("");
    library->refresh();
    EXPECT_EQ (selector.displayName, "Init");
    EXPECT_EQ (selector.currentPresetIndex, -1);
}

TEST_F (PresetLibrary, TwoPresetsOfOneNameMarkTheLastCategoryEntryButNavigateFromTheFirst)
{
    writePreset ("Bass/Warm.tvx");
    writePreset ("User/Warm.tvx");
    setCurrentName ("Warm");
    library->refresh();

    EXPECT_EQ (describe (categories()), "Default[Default@0] | User[Warm@1] | Bass[Warm@2]");
    EXPECT_EQ (library->getSelector().currentPresetIndex, 2);
    EXPECT_EQ (library->getCurrentPresetIndex(), 1);

    library->loadNextPreset();
    EXPECT_EQ (library->getCurrentPresetIndex(), 1) << "next from the first Warm loads the second, also Warm";
    EXPECT_EQ (store().getCurrentPresetName(), "Warm");
}

TEST_F (PresetLibrary, PreviousAndNextWrapAroundAndStartFromTheEndsForAnUnknownName)
{
    makeBassAndUser(); // Default, u1, b1, b2

    struct Step
    {
        const char* current;
        const char* previous;
        const char* next;
    };

    const Step steps[] = {
        { "Default", "b2", "u1" },
        { "u1", "Default", "b1" },
        { "b2", "b1", "Default" },
        { "Not There", "b2", "Default" },
        { "", "b2", "Default" },
    };

    for (const auto& step : steps)
    {
        setCurrentName (step.current);
        library->loadPreviousPreset();
        EXPECT_EQ (store().getCurrentPresetName(), step.previous) << "previous from " << step.current;
        EXPECT_EQ (library->getSelector().displayName, step.previous);

        setCurrentName (step.current);
        library->loadNextPreset();
        EXPECT_EQ (store().getCurrentPresetName(), step.next) << "next from " << step.current;
    }
}

TEST_F (PresetLibrary, NavigationOverAnEmptyFolderAndPositionsOutsideTheListDoNothing)
{
    makeBassAndUser();
    makeDistinctive (*processor);
    const auto before = stateOf (*processor);

    for (auto position : { -1, 4, 1000 })
        library->loadPresetByIndex (position);

    EXPECT_EQ (stateOf (*processor), before);

    library->loadPresetByIndex (2);
    EXPECT_EQ (store().getCurrentPresetName(), "b1");

    root.deleteRecursively();
    root.createDirectory();
    const auto emptied = stateOf (*processor);
    library->loadPreviousPreset();
    library->loadNextPreset();
    EXPECT_EQ (stateOf (*processor), emptied);
    EXPECT_EQ (chooserCalls, 0);
}

TEST_F (PresetLibrary, FindsTheCurrentFileByItsExactName)
{
    const auto deep = writePreset ("Keys/Old/Rhodes.tvx");

    setCurrentName ("Rhodes");
    EXPECT_EQ (library->getCurrentPresetFile(), deep) << "any depth";

    setCurrentName ("rhodes");
    EXPECT_EQ (library->getCurrentPresetFile(), juce::File()) << "the name is compared exactly";

    setCurrentName ("");
    EXPECT_EQ (library->getCurrentPresetFile(), juce::File());
}

TEST_F (PresetLibrary, SavingIntoUserCreatesTheFolderAndReplacesAPresetOfTheSameName)
{
    ASSERT_FALSE (root.getChildFile ("User").exists());
    setCurrentName ("Before", true);

    library->savePreset ("Mine", "User");

    const auto mine = root.getChildFile ("User/Mine.tvx");
    EXPECT_TRUE (mine.existsAsFile());
    EXPECT_EQ (store().getCurrentPresetName(), "Mine");
    EXPECT_FALSE (store().isPresetModified());
    EXPECT_EQ (library->getSelector().displayName, "Mine");
    EXPECT_EQ (describe (categories()), "Default[Default@0] | User[Mine@1]");

    test::setParameter (*processor, "compKnob", 5.0f);
    library->savePreset ("Mine", "User");

    GuipluginAudioProcessor fresh;
    fresh.getPresetManager().loadPreset (mine);
    EXPECT_FLOAT_EQ (test::rawParameter (fresh, "compKnob"), 5.0f);
    EXPECT_EQ (root.getChildFile ("User").getNumberOfChildFiles (juce::File::findFiles), 1);
}

TEST_F (PresetLibrary, SlashesInANameAddressFoldersInsideTheRoot)
{
    library->savePreset ("Drums/Kick", "User");
    library->savePreset ("Top", "");

    EXPECT_TRUE (root.getChildFile ("User/Drums/Kick.tvx").existsAsFile());
    EXPECT_TRUE (root.getChildFile ("Top.tvx").existsAsFile());
    EXPECT_EQ (describe (relativePaths (flatList(), root)), "Default.tvx, Top.tvx, User/Drums/Kick.tvx");
}

TEST_F (PresetLibrary, ANameThatWouldLeaveThePresetRootWritesNothingAndChangesNothing)
{
    const auto home = juce::File (juce::SystemStats::getEnvironmentVariable ("HOME", {}));
    const auto outside = home.getChildFile ("outside").getFullPathName();
    setCurrentName ("Before", true);
    const auto before = stateOf (*processor);

    const std::pair<juce::String, juce::String> attempts[] = {
        { "../Escaped", "User" },
        { "a/../../Escaped", "User" },
        { "Escaped", "../.." },
        { "Escaped", "User/../.." },
        { outside + "/Escaped", "" },
        { "Escaped", outside },
        { "~/Escaped", "" },
        { "", "User" },
        { "Folder/", "User" },
    };

    for (const auto& [name, category] : attempts)
    {
        library->savePreset (name, category);
        EXPECT_EQ (stateOf (*processor), before) << name << " in " << category;
    }

    EXPECT_TRUE (home.findChildFiles (juce::File::findFilesAndDirectories, true, "Escaped*").isEmpty());
    EXPECT_FALSE (root.getChildFile ("User").exists());
    EXPECT_FALSE (home.getChildFile ("outside").exists());
}

TEST_F (PresetLibrary, DeleteRemovesTheFileClearsTheNameAndKeepsTheFavouritesEntry)
{
    makeBassAndUser();
    const auto u1 = root.getChildFile ("user/u1.tvx");
    store().getFavoritesManager().addFavorite (u1);
    setCurrentName ("u1", true);

    library->deleteCurrentPreset();

    EXPECT_FALSE (u1.exists());
    EXPECT_EQ (store().getCurrentPresetName(), "");
    EXPECT_FALSE (store().isPresetModified());
    EXPECT_EQ (library->getSelector().displayName, "Init");
    EXPECT_EQ (library->getCurrentPresetFile(), juce::File());
    EXPECT_TRUE (store().getFavoritesManager().isFavorite (u1));
    EXPECT_TRUE (root.getChildFile ("Favorites.txt").loadFileAsString().contains ("user/u1.tvx"));
    EXPECT_EQ (describe (categories()), "Default[Default@0] | Bass[b1@1,b2@2]");
}

TEST_F (PresetLibrary, DeleteWithoutACurrentFileDoesNothing)
{
    makeBassAndUser();
    const auto before = flatList();

    for (auto* name : { "Ghost", "" })
    {
        setCurrentName (name, true);
        library->deleteCurrentPreset();

        EXPECT_EQ (store().getCurrentPresetName(), name);
        EXPECT_TRUE (store().isPresetModified());
        EXPECT_EQ (flatList(), before);
    }
}

TEST_F (PresetLibrary, AFileThatCannotBeDeletedStaysTheCurrentPreset)
{
    const auto locked = writePreset ("Locked/Kept.tvx");
    setCurrentName ("Kept", true);
    UndeletableFolder guard (locked.getParentDirectory());

    if (! guard.isLocked())
        GTEST_SKIP() << "this file system lets the test delete anything";

    library->deleteCurrentPreset();

    EXPECT_TRUE (locked.existsAsFile());
    EXPECT_EQ (store().getCurrentPresetName(), "Kept");
    EXPECT_TRUE (store().isPresetModified());
}

TEST_F (PresetLibrary, AFavouriteRootPresetIsListedInFavoritesAndAsItsOwnCategory)
{
    makeBassAndUser();
    auto& favorites = store().getFavoritesManager();
    favorites.addFavorite (root.getChildFile ("Bass/b2.tvx"));
    favorites.addFavorite (root.getChildFile ("Default.tvx"));
    favorites.addFavorite (root.getChildFile ("Gone.tvx"));
    favorites.addFavorite (root.getParentDirectory().getChildFile ("Outside.tvx"));
    writePreset ("../Outside.tvx");

    library->refresh();

    EXPECT_EQ (describe (categories()),
               "Favorites[b2@3,Default@0] | Default[Default@0] | user[u1@1] | Bass[b1@2,b2@3]");
}

TEST_F (PresetLibrary, LinkedFoldersAreFollowedAndEachRealFolderIsVisitedOnce)
{
    makeBassAndUser();
    const auto outside = clearedScratchFolder ("shared-presets");
    writeText (outside.getChildFile ("s1.tvx"), juce::String());
    ASSERT_TRUE (outside.createSymbolicLink (root.getChildFile ("Shared"), true));
    ASSERT_TRUE (root.createSymbolicLink (root.getChildFile ("Bass/Loop"), true));            // a cycle
    ASSERT_TRUE (root.getChildFile ("Bass").createSymbolicLink (root.getChildFile ("Bass/Self"), true));
    ASSERT_TRUE (root.getChildFile ("user").createSymbolicLink (root.getChildFile ("Alias"), true)); // a second way in

    library->refresh();

    EXPECT_EQ (describe (relativePaths (flatList(), root)),
               "Default.tvx, user/u1.tvx, Bass/b1.tvx, Bass/b2.tvx, Shared/s1.tvx");
    EXPECT_EQ (describe (categories()),
               "Default[Default@0] | user[u1@1] | Alias[u1@1] | Bass[b1@2,b2@3] | Shared[s1@4]");
    EXPECT_EQ (ModernPresetSelectorWrapper::findPresetFile (root, "Nowhere", ".tvx"), juce::File());
    EXPECT_EQ (ModernPresetSelectorWrapper::findPresetFile (root, "s1", ".tvx").getFileName(), "s1.tvx");
}

TEST_F (PresetLibrary, ThePollRunsOnPresetChangedWhenTheShownNameChanges)
{
    auto calls = 0;
    library->onPresetChanged = [&] { ++calls; };

    library->timerCallback();
    EXPECT_EQ (calls, 1) << "the first tick sees the name for the first time";
    library->timerCallback();
    EXPECT_EQ (calls, 1);

    writePreset ("Bass/b1.tvx");
    setCurrentName ("b1");
    library->timerCallback();
    EXPECT_EQ (calls, 2);
    EXPECT_EQ (library->getSelector().displayName, "b1");
    EXPECT_EQ (describe (categories()), "Default[Default@0] | Bass[b1@1]") << "a tick with a new name refreshes";

    setCurrentName ("b1", true);
    library->timerCallback();
    EXPECT_EQ (calls, 3) << "the marker counts as a change";
    EXPECT_EQ (library->getSelector().displayName, "b1*");
}

TEST_F (PresetLibrary, ThePollRunsOnTheMessageThreadTwiceASecond)
{
    EXPECT_EQ (library->getTimerInterval(), 500);

    auto calls = 0;
    library->onPresetChanged = [&] { ++calls; };
    const auto start = juce::Time::getMillisecondCounter();

    while (calls == 0 && juce::Time::getMillisecondCounter() - start < 3000)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

    EXPECT_EQ (calls, 1);
}

TEST_F (PresetLibrary, AMenuSelectionLoadsThePresetRunsTheCallbackAndRefreshes)
{
    makeBassAndUser();
    auto loaded = 0;
    library = std::make_unique<ModernPresetSelectorWrapper> (&store(), [&] { ++loaded; });

    library->getSelector().onPresetSelected (2);

    EXPECT_EQ (store().getCurrentPresetName(), "b1");
    EXPECT_EQ (loaded, 1);
    EXPECT_EQ (library->getSelector().displayName, "b1");
    EXPECT_EQ (library->getSelector().currentPresetIndex, 2);
}

TEST_F (PresetLibrary, HeartClicksToggleFavouritesAndReshowTheOpenRowByPosition)
{
    makeBassAndUser(); // Default, user, Bass
    auto& selector = library->getSelector();

    // What the selector does when it first opens its menu.
    selector.menu = std::make_unique<ModernPresetMenu>();
    selector.onMenuCreated();
    auto& menu = *selector.menu;
    ASSERT_EQ (menu.favoritesManager, &store().getFavoritesManager());
    ASSERT_TRUE (menu.subMenu->onHeartClicked != nullptr);
    menu.categories = selector.categories;
    menu.currentPresetIndex = selector.currentPresetIndex;

    const auto rowsOfSubMenu = [&]
    {
        juce::StringArray rows;
        for (const auto& item : menu.subMenu->getItems())
            rows.add (item.name + (item.favorite ? " (fav)" : "") + (item.isCurrent ? " (current)" : ""));
        return rows.joinIntoString (", ");
    };

    menu.showSubMenu (2);
    EXPECT_EQ (rowsOfSubMenu(), "b1, b2");

    // "Favorites" appears in front: the open row 2 is now "user".
    menu.subMenu->onHeartClicked (root.getChildFile ("Bass/b1.tvx"));
    EXPECT_TRUE (store().getFavoritesManager().isFavorite (root.getChildFile ("Bass/b1.tvx")));
    EXPECT_EQ (describe (menu.categories), "Favorites[b1@2] | Default[Default@0] | user[u1@1] | Bass[b1@2,b2@3]");
    EXPECT_EQ (describe (selector.categories), describe (menu.categories));
    EXPECT_EQ (menu.expandedIndex, 2);
    EXPECT_EQ (rowsOfSubMenu(), "u1");

    menu.showSubMenu (3);
    EXPECT_EQ (rowsOfSubMenu(), "b1 (fav), b2");

    // Removing the last favourite takes "Favorites" away: row 0 becomes "Default".
    menu.showSubMenu (0);
    menu.subMenu->onHeartClicked (root.getChildFile ("Bass/b1.tvx"));
    EXPECT_EQ (describe (menu.categories), "Default[Default@0] | user[u1@1] | Bass[b1@2,b2@3]");
    EXPECT_EQ (rowsOfSubMenu(), "Default (current)");

    // With no category open, a heart only toggles.
    menu.expandedIndex = -1;
    menu.subMenu->onHeartClicked (root.getChildFile ("user/u1.tvx"));
    EXPECT_TRUE (store().getFavoritesManager().isFavorite (root.getChildFile ("user/u1.tvx")));
    EXPECT_EQ (describe (menu.categories), "Default[Default@0] | user[u1@1] | Bass[b1@2,b2@3]");
    library->refresh();
    EXPECT_EQ (selector.categories.front().name, "Favorites") << "shown the next time the menu opens";
}
