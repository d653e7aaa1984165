#pragma once

#include <juce_core/juce_core.h>

// A progress bar on stderr, drawn only when stderr is a terminal and the input is long enough to
// wait for. Redrawn at most ten times a second; `finish` wipes it.
class ProgressBar
{
public:
    explicit ProgressBar (double audioSeconds);
    ~ProgressBar();

    void update (double fractionDone);
    void finish();

private:
    bool enabled = false;
    double audioSeconds = 0.0;
    double lastDrawMs = 0.0;
};
