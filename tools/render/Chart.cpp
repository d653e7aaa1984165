#include "Chart.h"

#include "AnalysisReport.h"

#include "BinaryData.h"

#include <cmath>
#include <limits>

namespace
{
constexpr int width = 1500, height = 1180;
constexpr float margin = 24.0f, legendWidth = 200.0f, axisSpace = 66.0f;
constexpr float curveThickness = 2.0f;
constexpr float dashPattern[] = { 9.0f, 5.0f };

const juce::Colour background { 0xffffffff }, plotBackground { 0xfffbfbfd }, gridColour { 0xffe3e5ea },
    majorGridColour { 0xffc9ccd4 }, textColour { 0xff22252b }, mutedText { 0xff5d6270 };

// One colour per machine type, from Okabe and Ito's palette (told apart with most colour vision).
const juce::Colour typeColours[TapeSlots::numTypes] = { juce::Colour (0xff0072b2), juce::Colour (0xffd55e00),
                                                         juce::Colour (0xff009e73), juce::Colour (0xffcc79a7),
                                                         juce::Colour (0xffe69f00), juce::Colour (0xff000000) };

juce::Font chartFont (float size)
{
    static const auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::VogieSemiBoldExpanded_ttf,
                                                                          static_cast<size_t> (BinaryData::VogieSemiBoldExpanded_ttfSize));
    return juce::Font (typeface).withHeight (size);
}

// Fast speeds are drawn solid, slow ones dashed.
void strokeCurve (juce::Graphics& g, const juce::Path& path, const juce::PathStrokeType& stroke, bool dashed)
{
    if (dashed)
    {
        juce::Path dashes;
        stroke.createDashedStroke (dashes, path, dashPattern, 2);
        g.fillPath (dashes);
    }
    else
    {
        g.strokePath (path, stroke);
    }
}

// A value axis with round limits and steps.
struct Axis
{
    double low = 0.0, high = 1.0, step = 1.0;
    bool logarithmic = false;

    double proportion (double value) const
    {
        return logarithmic ? std::log (value / low) / std::log (high / low) : (value - low) / (high - low);
    }
};

Axis decibelAxis (double lowest, double highest, double minimumSpan)
{
    if (highest - lowest < minimumSpan)
    {
        const auto middle = 0.5 * (lowest + highest);
        lowest = middle - 0.5 * minimumSpan;
        highest = middle + 0.5 * minimumSpan;
    }

    Axis axis;

    for (const auto step : { 1.0, 2.0, 3.0, 5.0, 10.0, 20.0, 30.0 })
    {
        axis.step = step;

        if ((highest - lowest) / step <= 12.0)
            break;
    }

    axis.low = std::floor (lowest / axis.step) * axis.step;
    axis.high = std::ceil (highest / axis.step) * axis.step;
    return axis;
}

juce::String frequencyLabel (double hz)
{
    return hz >= 1000.0 ? juce::String (hz / 1000.0) + "k" : juce::String (hz);
}

// One plot: the grid, the axes' numbers and titles, and the curves clipped to it.
class Plot
{
public:
    Plot (juce::Graphics& graphics, juce::Rectangle<float> bounds, Axis horizontal, Axis vertical)
        : g (graphics), area (bounds), x (horizontal), y (vertical)
    {
    }

    juce::Point<float> at (double xValue, double yValue) const
    {
        return { area.getX() + area.getWidth() * static_cast<float> (x.proportion (xValue)),
                 area.getBottom() - area.getHeight() * static_cast<float> (y.proportion (yValue)) };
    }

    void drawFrame (const juce::String& title, const juce::String& xTitle, const juce::String& yTitle)
    {
        g.setColour (plotBackground);
        g.fillRect (area);
        drawHorizontalGrid();
        x.logarithmic ? drawFrequencyGrid() : drawLinearVerticalGrid();

        g.setColour (majorGridColour);
        g.drawRect (area, 1.0f);

        g.setColour (textColour);
        g.setFont (chartFont (20.0f));
        g.drawText (title, area.withY (area.getY() - 34.0f).withHeight (28.0f), juce::Justification::centredLeft);

        g.setColour (mutedText);
        g.setFont (chartFont (16.0f));
        g.drawText (xTitle, area.withY (area.getBottom() + 28.0f).withHeight (22.0f), juce::Justification::centred);

        juce::Graphics::ScopedSaveState rotated (g);
        const auto centre = juce::Point<float> (area.getX() - axisSpace + 8.0f, area.getCentreY());
        g.addTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi, centre.x, centre.y));
        g.drawText (yTitle, juce::Rectangle<float> (area.getHeight(), 22.0f).withCentre (centre), juce::Justification::centred);
    }

    void drawCurve (const std::vector<double>& xs, const std::vector<double>& ys, juce::Colour colour, bool dashed)
    {
        juce::Path path;

        for (size_t i = 0; i < xs.size(); ++i)
        {
            const auto point = at (xs[i], juce::jlimit (y.low - y.step, y.high + y.step, ys[i]));
            i == 0 ? path.startNewSubPath (point) : path.lineTo (point);
        }

        const juce::PathStrokeType stroke (curveThickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded);
        juce::Graphics::ScopedSaveState clipped (g);
        g.reduceClipRegion (area.toNearestInt());
        g.setColour (colour);
        strokeCurve (g, path, stroke, dashed);
    }

    // Lines of text in a box at the plot's bottom right.
    void drawNote (const juce::StringArray& lines, const juce::String& prefix)
    {
        if (lines.isEmpty())
            return;

        const auto font = chartFont (15.0f);
        constexpr float lineHeight = 22.0f, padding = 10.0f;
        auto box = area.reduced (14.0f).removeFromBottom (lines.size() * lineHeight + 2.0f * padding)
                       .removeFromRight (area.getWidth() * 0.55f);
        g.setColour (juce::Colours::white.withAlpha (0.92f));
        g.fillRoundedRectangle (box, 4.0f);
        g.setColour (gridColour);
        g.drawRoundedRectangle (box, 4.0f, 1.0f);
        g.setColour (mutedText);
        g.setFont (font);
        box.reduce (padding, padding);

        for (const auto& line : lines)
            g.drawText (prefix + line, box.removeFromTop (lineHeight), juce::Justification::centredLeft);
    }

private:
    void drawHorizontalGrid()
    {
        g.setFont (chartFont (15.0f));

        for (auto value = y.low; value <= y.high + 1.0e-9; value += y.step)
        {
            const auto level = at (x.low, value).y;
            g.setColour (std::abs (value) < 1.0e-9 ? majorGridColour : gridColour);
            g.drawHorizontalLine (juce::roundToInt (level), area.getX(), area.getRight());
            g.setColour (mutedText);
            g.drawText (juce::String (value), juce::Rectangle<float> (area.getX() - 52.0f, level - 9.0f, 46.0f, 18.0f),
                        juce::Justification::centredRight);
        }
    }

    void drawFrequencyGrid()
    {
        g.setFont (chartFont (15.0f));

        for (auto decade = 10.0; decade < x.high; decade *= 10.0)
        {
            for (auto multiple = 1; multiple < 10; ++multiple)
            {
                const auto hz = decade * multiple;

                if (hz < x.low || hz > x.high)
                    continue;

                const auto labelled = multiple == 1 || multiple == 2 || multiple == 5;
                drawVerticalLine (hz, labelled, labelled ? frequencyLabel (hz) : juce::String());
            }
        }

        drawVerticalLine (x.high, true, frequencyLabel (x.high));
    }

    void drawLinearVerticalGrid()
    {
        g.setFont (chartFont (15.0f));

        for (auto value = x.low; value <= x.high + 1.0e-9; value += x.step)
            drawVerticalLine (value, std::abs (value) < 1.0e-9, juce::String (value));
    }

    void drawVerticalLine (double value, bool major, const juce::String& label)
    {
        const auto position = at (value, y.low).x;
        g.setColour (major ? majorGridColour : gridColour);
        g.drawVerticalLine (juce::roundToInt (position), area.getY(), area.getBottom());

        if (label.isNotEmpty())
        {
            g.setColour (mutedText);
            g.drawText (label, juce::Rectangle<float> (position - 30.0f, area.getBottom() + 5.0f, 60.0f, 18.0f),
                        juce::Justification::centred);
        }
    }

    juce::Graphics& g;
    juce::Rectangle<float> area;
    Axis x, y;
};

void drawLegend (juce::Graphics& g, juce::Rectangle<float> area)
{
    g.setColour (textColour);
    g.setFont (chartFont (18.0f));
    g.drawText ("Machine type", area.removeFromTop (26.0f), juce::Justification::centredLeft);

    const auto sample = [&] (juce::Rectangle<float> row, juce::Colour colour, bool dashed)
    {
        juce::Path line;
        line.startNewSubPath (row.getX(), row.getCentreY());
        line.lineTo (row.getX() + 44.0f, row.getCentreY());
        const juce::PathStrokeType stroke (curveThickness);
        g.setColour (colour);
        strokeCurve (g, line, stroke, dashed);
    };

    g.setFont (chartFont (17.0f));

    for (auto type = 0; type < TapeSlots::numTypes; ++type)
    {
        auto row = area.removeFromTop (26.0f);
        sample (row, typeColours[type], false);
        g.setColour (textColour);
        g.drawText ("Type " + juce::String::charToString (static_cast<juce::juce_wchar> ('A' + type)),
                    row.withTrimmedLeft (56.0f), juce::Justification::centredLeft);
    }

    area.removeFromTop (18.0f);
    g.setFont (chartFont (18.0f));
    g.drawText ("Tape speed", area.removeFromTop (26.0f), juce::Justification::centredLeft);
    g.setFont (chartFont (17.0f));

    for (const auto dashed : { false, true })
    {
        auto row = area.removeFromTop (26.0f);
        sample (row, mutedText, dashed);
        g.setColour (textColour);
        g.drawText (dashed ? "slow" : "fast", row.withTrimmedLeft (56.0f), juce::Justification::centredLeft);
    }
}

std::pair<double, double> extent (const AnalysisResult& result, const std::vector<double> MachineCurves::*values)
{
    auto lowest = std::numeric_limits<double>::infinity(), highest = -lowest;

    for (const auto& machine : result.machines)
        for (const auto value : machine.*values)
        {
            lowest = std::min (lowest, value);
            highest = std::max (highest, value);
        }

    return { lowest, highest };
}

// Curves that lie on one another hide all but one colour: name them. "D slow, E slow and B fast".
juce::StringArray coincidingCurves (const AnalysisResult& result, const std::vector<double> MachineCurves::*values)
{
    constexpr double toleranceDb = 0.5;
    const auto& machines = result.machines;
    std::vector<bool> grouped (machines.size(), false);
    juce::StringArray groups;

    for (size_t first = 0; first < machines.size(); ++first)
    {
        juce::StringArray names { machineName (machines[first]) };

        for (auto other = first + 1; other < machines.size(); ++other)
        {
            if (grouped[other])
                continue;

            auto largest = 0.0;

            for (size_t i = 0; i < (machines[first].*values).size(); ++i)
                largest = std::max (largest, std::abs ((machines[first].*values)[i] - (machines[other].*values)[i]));

            if (largest <= toleranceDb)
            {
                grouped[other] = true;
                names.add (machineName (machines[other]));
            }
        }

        if (! grouped[first] && names.size() > 1)
            groups.add (names.joinIntoString (", "));

        grouped[first] = true;
    }

    return groups;
}

void drawCurves (Plot& plot, const AnalysisResult& result, const std::vector<double>& xs,
                 const std::vector<double> MachineCurves::*values)
{
    // Slow first, so the solid fast curves lie on top.
    for (const auto speed : { TapeSpeed::Slow, TapeSpeed::Fast })
        for (const auto& machine : result.machines)
            if (machine.speed == speed)
                plot.drawCurve (xs, machine.*values, typeColours[static_cast<int> (machine.type)], speed == TapeSpeed::Slow);
}
} // namespace

juce::Image drawChart (const AnalysisResult& result, const juce::String& settings)
{
    juce::Image image (juce::Image::RGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (background);

    auto bounds = juce::Rectangle<float> (0.0f, 0.0f, width, height).reduced (margin);
    auto header = bounds.removeFromTop (70.0f);
    g.setColour (textColour);
    g.setFont (chartFont (28.0f));
    g.drawText ("TavorinProV3: the six tape machines at both speeds", header.removeFromTop (38.0f),
                juce::Justification::centredLeft);
    g.setColour (mutedText);
    g.setFont (chartFont (16.0f));
    g.drawText ("Measured with steady-state sines at " + juce::String (juce::roundToInt (result.sampleRate)) + " Hz; settings: " + settings,
                header, juce::Justification::centredLeft);

    drawLegend (g, bounds.removeFromRight (legendWidth).withTrimmedLeft (28.0f).withTrimmedTop (40.0f));

    const auto plotHeight = (bounds.getHeight() - 2.0f * 90.0f) / 2.0f;
    const auto plotArea = [&] (float top)
    { return juce::Rectangle<float> (bounds.getX() + axisSpace, top, bounds.getWidth() - axisSpace, plotHeight); };

    const auto responseArea = plotArea (bounds.getY() + 40.0f);
    const auto distortionArea = plotArea (responseArea.getBottom() + 110.0f);

    const auto [lowGain, highGain] = extent (result, &MachineCurves::responseDb);
    Plot response (g, responseArea, Axis { 20.0, 20000.0, 1.0, true }, decibelAxis (lowGain, highGain, 6.0));
    response.drawFrame ("Small-signal magnitude response (sine at " + juce::String (juce::roundToInt (result.probeLevelDbfs)) + " dBFS)",
                        "Frequency (Hz)", "Gain (dB)");
    drawCurves (response, result, result.frequenciesHz, &MachineCurves::responseDb);

    const auto [lowThd, highThd] = extent (result, &MachineCurves::thdDb);
    Plot distortion (g, distortionArea, Axis { result.levelsDbfs.front(), result.levelsDbfs.back(), 3.0, false },
                     decibelAxis (std::max (lowThd, thdFloorDb), highThd, 20.0));
    distortion.drawFrame ("Total harmonic distortion of a " + juce::String (juce::roundToInt (result.thdFrequencyHz)) + " Hz sine",
                          "Input level (dBFS, peak of the sine)", "THD (dB relative to the fundamental)");
    drawCurves (distortion, result, result.levelsDbfs, &MachineCurves::thdDb);
    distortion.drawNote (coincidingCurves (result, &MachineCurves::thdDb), "Within 0.5 dB of each other: ");

    return image;
}

juce::MemoryBlock encodePng (const juce::Image& image)
{
    juce::MemoryOutputStream stream;
    juce::PNGImageFormat().writeImageToStream (image, stream);
    return stream.getMemoryBlock();
}
