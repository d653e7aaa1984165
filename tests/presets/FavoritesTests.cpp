// The favourites list on a real "Favorites.txt" in a folder of the test HOME.

#include "PresetTestSupport.h"

#include "presets/FavoritesManager.h"

using namespace presettest;

namespace
{
juce::String fileText (const juce::File& file)
{
    return file.loadFileAsString();
}

class Favorites : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = clearedScratchFolder ("favorites-root");
        listFile = root.getChildFile ("Favorites.txt");

        for (auto* name : { "a.tvx", "b.tvx", "Bass/b1.tvx" })
            writeText (root.getChildFile (name), "preset");
    }

    juce::StringArray entriesOf (const FavoritesManager& favorites) const
    {
        juce::StringArray entries;

        for (const auto& file : favorites.getFavorites())
            entries.add (file.getRelativePathFrom (root));

        return entries;
    }

    juce::File root, listFile;
};
} // namespace

TEST_F (Favorites, AMissingListStartsEmptyAndTheFirstChangeCreatesIt)
{
    FavoritesManager favorites (root);
    EXPECT_TRUE (favorites.getFavorites().isEmpty());
    EXPECT_FALSE (listFile.exists());

    favorites.addFavorite (root.getChildFile ("Bass/b1.tvx"));

    EXPECT_EQ (fileText (listFile), "Bass/b1.tvx\r\n") << "sub-folder entries are folder, \"/\", file name";
    EXPECT_TRUE (favorites.isFavorite (root.getChildFile ("Bass").getChildFile ("b1.tvx")));
}

TEST_F (Favorites, BlankLinesSpacesAndAnyLineEndingAreReadAndTheNextSaveWritesCrLf)
{
    writeText (listFile, "\n  a.tvx  \n\n\tBass/b1.tvx\r\n   \rb.tvx");
    FavoritesManager favorites (root);

    EXPECT_EQ (entriesOf (favorites), juce::StringArray ({ "a.tvx", "Bass/b1.tvx", "b.tvx" }));

    favorites.toggleFavorite (root.getChildFile ("b.tvx"));
    EXPECT_EQ (fileText (listFile), "a.tvx\r\nBass/b1.tvx\r\n");
}

TEST_F (Favorites, ToggleRemovesEveryDuplicateAndTwoTogglesRestoreTheList)
{
    writeText (listFile, "a.tvx\r\nb.tvx\r\na.tvx\r\n");
    FavoritesManager favorites (root);
    const auto a = root.getChildFile ("a.tvx");

    favorites.toggleFavorite (a);
    EXPECT_FALSE (favorites.isFavorite (a));
    EXPECT_EQ (fileText (listFile), "b.tvx\r\n");

    favorites.toggleFavorite (a);
    EXPECT_EQ (fileText (listFile), "b.tvx\r\na.tvx\r\n");

    favorites.toggleFavorite (a);
    favorites.toggleFavorite (a);
    EXPECT_EQ (fileText (listFile), "b.tvx\r\na.tvx\r\n");
}

TEST_F (Favorites, AddingAListedPresetDoesNotTouchTheFile)
{
    const juce::String asWritten ("a.tvx\nb.tvx\n"); // a rewrite would bring CR LF
    writeText (listFile, asWritten);
    FavoritesManager favorites (root);

    favorites.addFavorite (root.getChildFile ("a.tvx"));

    EXPECT_EQ (fileText (listFile), asWritten);
}

TEST_F (Favorites, AnEntryWhoseFileIsGoneIsKeptButNotReturned)
{
    writeText (listFile, "a.tvx\r\ngone.tvx\r\nb.tvx\r\n");
    FavoritesManager favorites (root);

    EXPECT_EQ (entriesOf (favorites), juce::StringArray ({ "a.tvx", "b.tvx" }));
    EXPECT_TRUE (favorites.isFavorite (root.getChildFile ("gone.tvx")));

    favorites.toggleFavorite (root.getChildFile ("a.tvx"));
    EXPECT_EQ (fileText (listFile), "gone.tvx\r\nb.tvx\r\n");
}

TEST_F (Favorites, EntriesAreCaseSensitive)
{
    writeText (listFile, "A.tvx\r\n");
    FavoritesManager favorites (root);

    EXPECT_FALSE (favorites.isFavorite (root.getChildFile ("a.tvx")));
}

TEST_F (Favorites, AListFileLargerThanAnyRealOneIsNotRead)
{
    juce::String huge ("a.tvx\r\n");
    huge << juce::String::repeatedString ("x", static_cast<int> (FavoritesManager::maxFileBytes));
    writeText (listFile, huge);

    FavoritesManager favorites (root);

    EXPECT_FALSE (favorites.isFavorite (root.getChildFile ("a.tvx")));
}
