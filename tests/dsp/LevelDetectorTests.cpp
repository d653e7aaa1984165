#include "dsp/PeakLevelDetector.h"
#include "dsp/RMSLevelDetector.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (PeakLevelDetector, JumpsToAPeakAndReleasesOverATenthOfASecond)
{
    for (const auto rate : { 44100.0f, 48000.0f, 96000.0f })
    {
        SCOPED_TRACE (rate);
        PeakLevelDetector detector (rate);
        EXPECT_EQ (detector.tick (1.0f), 1.0f);

        const auto decayPerSample = std::exp (-1.0f / (0.1f * rate));
        EXPECT_NEAR (detector.tick (0.0f), decayPerSample, 1e-6f);
        EXPECT_NEAR (detector.tick (0.0f), decayPerSample * decayPerSample, 1e-6f);

        auto level = 0.0f;
        for (auto i = 2; i < static_cast<int> (0.1f * rate); ++i)
            level = detector.tick (0.0f);

        EXPECT_NEAR (level, std::exp (-1.0f), 1e-3f);
    }
}

TEST (PeakLevelDetector, RectifiesAndResetsForANewRate)
{
    PeakLevelDetector detector (44100.0f);
    EXPECT_EQ (detector.tick (0.0f), 0.0f);
    EXPECT_EQ (detector.tick (-0.5f), 0.5f);

    detector.setDetector (96000.0f);
    EXPECT_EQ (detector.tick (0.0f), 0.0f);
    EXPECT_EQ (detector.tick (0.25f), 0.25f);
    EXPECT_NEAR (detector.tick (0.0f), 0.25f * std::exp (-1.0f / 9600.0f), 1e-7f);
}

TEST (RMSLevelDetector, AveragesAWindowOfBlocks)
{
    RMSLevelDetector detector;
    detector.initialize (44100.0f, 512.0f, 300); // 25 entries

    for (auto i = 0; i < 5; ++i)
        detector.addBlockRMS (0.5f);
    EXPECT_FLOAT_EQ (detector.getRMSLevel(), 0.5f * std::sqrt (5.0f / 25.0f));

    for (auto i = 5; i < 25; ++i)
        detector.addBlockRMS (0.5f);
    EXPECT_FLOAT_EQ (detector.getRMSLevel(), 0.5f);

    // The 26th block replaces the first: the window is 25 entries, not 26.
    detector.addBlockRMS (0.0f);
    EXPECT_FLOAT_EQ (detector.getRMSLevel(), 0.5f * std::sqrt (24.0f / 25.0f));

    detector.initialize (44100.0f, 512.0f, 300);
    EXPECT_EQ (detector.getRMSLevel(), 0.0f);
}

TEST (RMSLevelDetector, IsEmptyWhenABlockOutlastsTheWindow)
{
    RMSLevelDetector fresh;
    EXPECT_EQ (fresh.getRMSLevel(), 0.0f);

    for (const auto blockSize : { 16384.0f, 0.0f })
    {
        RMSLevelDetector detector;
        detector.initialize (44100.0f, blockSize, 300);
        detector.addBlockRMS (0.9f);
        EXPECT_EQ (detector.getRMSLevel(), 0.0f) << blockSize;
    }
}
