#include "ToolTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>

extern char** environ;

namespace tooltest
{
namespace
{
juce::File home() { return juce::File (juce::SystemStats::getEnvironmentVariable ("HOME", {})); }

// Deleting is allowed only inside the temporary HOME the test main made.
void requireInsideTestHome (const juce::File& folder)
{
    if (home().getFileName().startsWith ("tavorin-test-home-") && folder.isAChildOf (home()))
        return;

    std::fprintf (stderr, "refusing to clear %s outside the test HOME\n", folder.getFullPathName().toRawUTF8());
    std::abort();
}

// The tool's temporary folders go inside the test HOME, where only this test process looks.
void useTemporaryFolderInHome()
{
    const auto folder = toolTemporaryFolder();
    folder.createDirectory();
    setenv ("TMPDIR", folder.getFullPathName().toRawUTF8(), 1);
}
} // namespace

juce::File toolTemporaryFolder() { return home().getChildFile ("tmp"); }

Run runTool (const juce::StringArray& arguments)
{
    juce::StringArray command { TAVORIN_RENDER_TOOL };
    command.addArray (arguments);

    useTemporaryFolderInHome();
    juce::ChildProcess process;
    Run run;

    if (! process.start (command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return run;

    run.output = process.readAllProcessOutput();

    if (process.waitForProcessToFinish (60000))
        run.exitCode = static_cast<int> (process.getExitCode());

    return run;
}

int startTool (const juce::StringArray& arguments)
{
    useTemporaryFolderInHome();
    std::vector<std::string> strings { TAVORIN_RENDER_TOOL };

    for (const auto& argument : arguments)
        strings.push_back (argument.toStdString());

    std::vector<char*> argv;

    for (auto& s : strings)
        argv.push_back (s.data());

    argv.push_back (nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen (&actions, 2, "/dev/null", O_WRONLY, 0);

    pid_t pid = -1;
    const auto failed = posix_spawn (&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0;
    posix_spawn_file_actions_destroy (&actions);
    return failed ? -1 : pid;
}

juce::File scratchFolder (const juce::String& name)
{
    const auto folder = home().getChildFile (name);
    requireInsideTestHome (folder);
    folder.deleteRecursively();
    folder.createDirectory();
    return folder;
}

juce::File userPresetFolder() { return GuipluginAudioProcessor::getPresetRootDirectory(); }

juce::StringArray listing (const juce::File& folder)
{
    juce::StringArray paths;

    // Hidden files count: a partial output is one.
    for (const auto& entry : juce::RangedDirectoryIterator (folder, true, "*", juce::File::findFilesAndDirectories))
        paths.add (entry.getFile().getRelativePathFrom (folder));

    paths.sort (false);
    return paths;
}

void writeWav (const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate, int bitsPerSample)
{
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream> (file);
    ASSERT_TRUE (stream->openedOk()) << file.getFullPathName();

    std::unique_ptr<juce::AudioFormatWriter> writer (juce::WavAudioFormat().createWriterFor (
        stream.get(), sampleRate, static_cast<unsigned int> (audio.getNumChannels()), bitsPerSample, {}, 0));
    ASSERT_NE (writer, nullptr);
    stream.release();
    ASSERT_TRUE (writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples()));
}

juce::AudioBuffer<float> readWav (const juce::File& file, double* sampleRate, int* bitsPerSample)
{
    std::unique_ptr<juce::AudioFormatReader> reader (
        juce::WavAudioFormat().createReaderFor (new juce::FileInputStream (file), true));

    if (reader == nullptr)
    {
        ADD_FAILURE() << "cannot read " << file.getFullPathName();
        return {};
    }

    juce::AudioBuffer<float> audio (static_cast<int> (reader->numChannels), static_cast<int> (reader->lengthInSamples));
    reader->read (&audio, 0, audio.getNumSamples(), 0, true, true);

    if (sampleRate != nullptr)
        *sampleRate = reader->sampleRate;
    if (bitsPerSample != nullptr)
        *bitsPerSample = static_cast<int> (reader->bitsPerSample);

    return audio;
}

juce::AudioBuffer<float> testMaterial (int numChannels, int numSamples, double sampleRate)
{
    juce::AudioBuffer<float> audio (numChannels, numSamples);
    juce::Random random (4711);
    const double notesHz[] = { 110.0, 220.0, 277.2, 329.6, 880.0, 3520.0 };

    for (auto channel = 0; channel < numChannels; ++channel)
    {
        for (auto i = 0; i < numSamples; ++i)
        {
            const auto t = i / sampleRate;
            const auto sinceHit = std::fmod (t, 0.25);
            auto sample = 0.02 * (random.nextDouble() * 2.0 - 1.0);

            for (const auto hz : notesHz)
                sample += 0.1 * std::sin (juce::MathConstants<double>::twoPi * hz * (1.0 + 0.01 * channel) * t)
                          * std::exp (-6.0 * sinceHit);

            audio.setSample (channel, i, static_cast<float> (sample));
        }
    }

    return audio;
}

std::unique_ptr<GuipluginAudioProcessor> makeProcessor()
{
    static const auto root = scratchFolder ("in-process-presets");
    return std::make_unique<GuipluginAudioProcessor> (root);
}
} // namespace tooltest
