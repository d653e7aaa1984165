#include "InterruptCleanup.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace
{
// Paths are kept as plain characters: a signal handler may only call async-signal-safe functions.
constexpr size_t maxEntries = 8;
constexpr size_t maxPathBytes = 4096;

struct Entry
{
    std::atomic<bool> used { false };
    char path[maxPathBytes] {};
};

std::array<Entry, maxEntries> entries;

void handleSignal (int signalNumber)
{
    for (auto index = entries.size(); index-- > 0;)
    {
        if (! entries[index].used.load())
            continue;

        if (::unlink (entries[index].path) != 0)
            ::rmdir (entries[index].path);
    }

    // Ends an unfinished progress line.
    [[maybe_unused]] const auto written = ::write (STDERR_FILENO, "\n", 1);
    ::_exit (128 + signalNumber);
}
} // namespace

namespace InterruptCleanup
{
void install()
{
    struct sigaction action {};
    action.sa_handler = handleSignal;
    sigemptyset (&action.sa_mask);

    for (const auto signalNumber : { SIGINT, SIGTERM, SIGHUP })
        sigaction (signalNumber, &action, nullptr);
}

void removeOnInterrupt (const juce::File& fileOrFolder)
{
    const auto path = fileOrFolder.getFullPathName().toStdString();

    if (path.size() >= maxPathBytes)
        return;

    for (auto& entry : entries)
    {
        if (entry.used.load())
            continue;

        std::memcpy (entry.path, path.c_str(), path.size() + 1);
        entry.used.store (true);
        return;
    }
}

void forget (const juce::File& fileOrFolder)
{
    const auto path = fileOrFolder.getFullPathName().toStdString();

    for (auto& entry : entries)
        if (entry.used.load() && path == entry.path)
            entry.used.store (false);
}
} // namespace InterruptCleanup
