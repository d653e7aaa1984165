#include "ProgressBar.h"

#include <cstdio>
#include <unistd.h>

namespace
{
constexpr double minAudioSeconds = 5.0; // shorter inputs are done before a bar could help
constexpr double redrawIntervalMs = 100.0;
constexpr int barWidth = 40;
} // namespace

ProgressBar::ProgressBar (double seconds)
    : enabled (seconds > minAudioSeconds && ::isatty (STDERR_FILENO) == 1), audioSeconds (seconds)
{
}

ProgressBar::~ProgressBar() { finish(); }

void ProgressBar::update (double fractionDone)
{
    const auto now = juce::Time::getMillisecondCounterHiRes();

    if (! enabled || (now - lastDrawMs < redrawIntervalMs && fractionDone < 1.0))
        return;

    lastDrawMs = now;
    const auto filled = juce::jlimit (0, barWidth, static_cast<int> (fractionDone * barWidth));
    const auto bar = juce::String::repeatedString ("#", filled) + juce::String::repeatedString ("-", barWidth - filled);
    std::fprintf (stderr, "\r[%s] %3d%%  %.1f of %.1f s", bar.toRawUTF8(), static_cast<int> (fractionDone * 100.0),
                  fractionDone * audioSeconds, audioSeconds);
    std::fflush (stderr);
}

void ProgressBar::finish()
{
    if (! enabled)
        return;

    std::fprintf (stderr, "\r\033[K");
    std::fflush (stderr);
    enabled = false;
}
