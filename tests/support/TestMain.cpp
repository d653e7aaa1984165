// Runs the tests with HOME pointing at a fresh temporary folder, so nothing a test does (preset
// folders, settings files, plug-in links) ever touches the real user's home.

#include <juce_events/juce_events.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

int main (int argc, char** argv)
{
    std::string homeTemplate = "/tmp/tavorin-test-home-XXXXXX";

    if (mkdtemp (homeTemplate.data()) == nullptr)
        return 1;

    setenv ("HOME", homeTemplate.c_str(), 1);
    unsetenv ("XDG_CONFIG_HOME");
    unsetenv ("XDG_DATA_HOME");

    ::testing::InitGoogleTest (&argc, argv);

    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }

    juce::File (homeTemplate).deleteRecursively();
    return result;
}
