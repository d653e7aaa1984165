#include "AnalysisReport.h"

namespace
{
constexpr int columnWidth = 8;

juce::String typeLetter (TapeType type) { return juce::String::charToString (static_cast<juce::juce_wchar> ('A' + static_cast<int> (type))); }

juce::String speedName (TapeSpeed speed) { return speed == TapeSpeed::Fast ? "fast" : "slow"; }

juce::String column (const juce::String& text) { return text.paddedLeft (' ', columnWidth); }

juce::String number (double value, int decimals)
{
    return decimals > 0 ? juce::String (value, decimals) : juce::String (juce::roundToInt (value));
}

// One table: a header naming the twelve machines, then a row per x value.
juce::String section (const AnalysisResult& result, const juce::String& title, const juce::String& xHeading,
                      const std::vector<double>& xs, int xDecimals,
                      const std::vector<double> MachineCurves::*values)
{
    auto text = title + "\n" + xHeading.paddedLeft (' ', 10);

    for (const auto& machine : result.machines)
        text << column (machineName (machine));

    text << "\n";

    for (size_t i = 0; i < xs.size(); ++i)
    {
        text << number (xs[i], xDecimals).paddedLeft (' ', 10);

        for (const auto& machine : result.machines)
            text << column (number ((machine.*values)[i], 2));

        text << "\n";
    }

    return text;
}
} // namespace

juce::String machineName (const MachineCurves& machine)
{
    return typeLetter (machine.type) + " " + speedName (machine.speed);
}

juce::String formatTable (const AnalysisResult& result)
{
    const auto rate = juce::String (juce::roundToInt (result.sampleRate)) + " Hz";

    return section (result,
                    "Small-signal magnitude response, dB (sine at " + number (result.probeLevelDbfs, 0) + " dBFS, "
                        + rate + ")",
                    "Hz", result.frequenciesHz, 1, &MachineCurves::responseDb)
         + "\n"
         + section (result,
                    "Total harmonic distortion of a " + number (result.thdFrequencyHz, 0)
                        + " Hz sine, dB relative to the fundamental (" + rate + ")",
                    "in dBFS", result.levelsDbfs, 0, &MachineCurves::thdDb);
}

juce::String formatCsv (const AnalysisResult& result)
{
    juce::String csv ("measurement,type,speed,x,x_unit,value_db\n");

    const auto rows = [&] (const char* measurement, const std::vector<double>& xs, const char* unit,
                           const std::vector<double> MachineCurves::*values)
    {
        for (const auto& machine : result.machines)
            for (size_t i = 0; i < xs.size(); ++i)
                csv << measurement << "," << typeLetter (machine.type) << "," << speedName (machine.speed) << ","
                    << number (xs[i], 3) << "," << unit << "," << number ((machine.*values)[i], 4) << "\n";
    };

    rows ("response", result.frequenciesHz, "Hz", &MachineCurves::responseDb);
    rows ("thd", result.levelsDbfs, "dBFS", &MachineCurves::thdDb);
    return csv;
}
