// tavorin-render --analyze as an instrument: a known setting reads as it must, and the machines'
// figures have the shape every tape machine here has.

#include "ToolTestSupport.h"

#include <algorithm>
#include <map>

using namespace tooltest;

namespace
{
constexpr int numMachines = 12, numFrequencies = 121, numLevels = 37;

// One measured curve per machine ("A slow"), from the CSV: x -> dB.
struct Figures
{
    std::map<juce::String, std::vector<std::pair<double, double>>> response, thd;
    int rows = 0;
};

struct Analysis
{
    tooltest::Run run;
    Figures figures;
    juce::Image chart;
};

Analysis analyse (const juce::String& name, const juce::StringArray& options)
{
    const auto folder = scratchFolder ("analysis-" + name);
    const auto chart = folder.getChildFile ("chart.png"), csv = folder.getChildFile ("figures.csv");
    juce::StringArray arguments { "--analyze", chart.getFullPathName(), "--csv", csv.getFullPathName() };
    arguments.addArray (options);

    Analysis analysis;
    analysis.run = runTool (arguments);
    analysis.chart = juce::ImageFileFormat::loadFrom (chart);

    auto lines = juce::StringArray::fromLines (csv.loadFileAsString().trim());
    EXPECT_EQ (lines[0], "measurement,type,speed,x,x_unit,value_db");
    lines.remove (0);

    for (const auto& line : lines)
    {
        const auto fields = juce::StringArray::fromTokens (line, ",", "");
        auto& curves = fields[0] == "response" ? analysis.figures.response : analysis.figures.thd;
        curves[fields[1] + " " + fields[2]].emplace_back (fields[3].getDoubleValue(), fields[5].getDoubleValue());
        ++analysis.figures.rows;
    }

    return analysis;
}

double valueNear (const std::vector<std::pair<double, double>>& curve, double x)
{
    auto best = curve.front();

    for (const auto& point : curve)
        if (std::abs (point.first - x) < std::abs (best.first - x))
            best = point;

    return best.second;
}

void expectCompleteAnalysis (const Analysis& analysis)
{
    ASSERT_EQ (analysis.run.exitCode, 0) << analysis.run.output;
    EXPECT_EQ (analysis.figures.rows, numMachines * (numFrequencies + numLevels));
    EXPECT_EQ (analysis.figures.response.size(), static_cast<size_t> (numMachines));
    EXPECT_EQ (analysis.figures.thd.size(), static_cast<size_t> (numMachines));
    EXPECT_TRUE (analysis.run.output.contains ("Small-signal magnitude response, dB"));
    EXPECT_TRUE (analysis.run.output.contains ("Total harmonic distortion of a 1000 Hz sine"));
    EXPECT_EQ (analysis.chart.getWidth(), 1500);
    EXPECT_EQ (analysis.chart.getHeight(), 1180);
    EXPECT_FALSE (userPresetFolder().exists()) << "the analysis wrote into the user's preset folder";
    EXPECT_EQ (listing (toolTemporaryFolder()), juce::StringArray()) << "the analysis left temporary files behind";
}
} // namespace

TEST (Analysis, WithThePowerOffEveryMachineIsFlatAtZeroDecibelsAndClean)
{
    const auto analysis = analyse ("power-off", { "--set", "powerPower=off" });
    expectCompleteAnalysis (analysis);

    for (const auto& [machine, curve] : analysis.figures.response)
        for (const auto& [hz, db] : curve)
            EXPECT_NEAR (db, 0.0, 0.001) << machine << " at " << hz << " Hz";

    // What is left is the rounding of a float sine.
    for (const auto& [machine, curve] : analysis.figures.thd)
        for (const auto& [level, db] : curve)
            EXPECT_LT (db, -120.0) << machine << " at " << level << " dBFS";

    EXPECT_TRUE (analysis.run.output.contains ("with settings: powerPower=off"));
}

TEST (Analysis, EveryMachineDistortsMoreWhenDrivenAndCutsTheLowestBass)
{
    const auto analysis = analyse ("defaults", {});
    expectCompleteAnalysis (analysis);

    for (const auto& [machine, curve] : analysis.figures.thd)
    {
        EXPECT_GT (valueNear (curve, 6.0) - valueNear (curve, -30.0), 20.0) << machine;

        for (size_t i = 1; i < curve.size(); ++i)
            EXPECT_GT (curve[i].second, curve[i - 1].second - 1.0) << machine << " at " << curve[i].first << " dBFS";
    }

    // The 10 Hz high-pass and the 25 Hz shelf of every chain.
    for (const auto& [machine, curve] : analysis.figures.response)
        EXPECT_LT (valueNear (curve, 20.0), valueNear (curve, 1000.0) - 6.0) << machine;

    // Both the type and the speed are switched: were either ignored, six curves or fewer would differ.
    std::vector<std::vector<std::pair<double, double>>> distinct;

    for (const auto& [machine, curve] : analysis.figures.response)
    {
        const auto sameAs = [&curve = curve] (const std::vector<std::pair<double, double>>& other)
        {
            for (size_t i = 0; i < curve.size(); ++i)
                if (std::abs (curve[i].second - other[i].second) > 0.5)
                    return false;

            return true;
        };

        if (std::none_of (distinct.begin(), distinct.end(), sameAs))
            distinct.push_back (curve);
    }

    EXPECT_GT (distinct.size(), 6u);
}
