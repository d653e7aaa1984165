#include "ProcessorSettings.h"

#include "PresetFile.h"
#include "ToolError.h"

#include "plugin/ParameterIds.h"

#include <cmath>

namespace
{
juce::RangedAudioParameter* findParameter (GuipluginAudioProcessor& processor, const juce::String& id)
{
    for (auto* parameter : processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter); ranged != nullptr && ranged->paramID == id)
            return ranged;

    return nullptr;
}

juce::String validIds (GuipluginAudioProcessor& processor)
{
    juce::StringArray ids;

    for (auto* parameter : processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
            ids.add (ranged->paramID);

    return ids.joinIntoString (", ");
}

// The parameters' labels are their IDs, so the units for messages live here.
juce::String unitOf (const juce::String& id)
{
    using namespace ParameterIds;

    if (id == lpfKnob || id == hpfKnob)
        return " Hz";
    if (id == inputGainKnob || id == outputGainKnob)
        return " dB";

    return {};
}

juce::String formatNumber (double value) { return juce::String (std::round (value * 100.0) / 100.0); }

float boolValue (const juce::String& id, const juce::String& text)
{
    for (const auto* on : { "on", "true", "1" })
        if (text.equalsIgnoreCase (on))
            return 1.0f;

    for (const auto* off : { "off", "false", "0" })
        if (text.equalsIgnoreCase (off))
            return 0.0f;

    usageError (id + "=" + text + ": expected on or off");
}

float choiceValue (const juce::AudioParameterChoice& choice, const juce::String& text)
{
    for (auto index = 0; index < choice.choices.size(); ++index)
        if (text.equalsIgnoreCase (choice.choices[index]))
            return static_cast<float> (index);

    usageError (choice.paramID + "=" + text + ": expected one of " + choice.choices.joinIntoString (", "));
}

float floatValue (const juce::RangedAudioParameter& parameter, const juce::String& text)
{
    const auto& range = parameter.getNormalisableRange();
    const auto value = parseNumber (text);
    const auto rangeText = formatNumber (range.start) + " to " + formatNumber (range.end) + unitOf (parameter.paramID);

    if (! value.has_value())
        usageError (parameter.paramID + "=" + text + ": not a number (range " + rangeText + ")");

    if (*value < range.start || *value > range.end)
        usageError (parameter.paramID + "=" + text + " is out of range: " + rangeText);

    return static_cast<float> (*value);
}

// "ID=VALUE" -> the parameter and the value in its own units.
std::pair<juce::RangedAudioParameter*, float> parseAssignment (GuipluginAudioProcessor& processor,
                                                               const juce::String& assignment)
{
    if (! assignment.contains ("="))
        usageError ("--set " + assignment + ": expected ID=VALUE");

    const auto id = assignedId (assignment);
    const auto text = assignment.fromFirstOccurrenceOf ("=", false, false).trim();
    auto* parameter = findParameter (processor, id);

    if (parameter == nullptr)
        usageError ("unknown parameter ID " + id.quoted() + "; valid IDs: " + validIds (processor));

    if (dynamic_cast<juce::AudioParameterBool*> (parameter) != nullptr)
        return { parameter, boolValue (id, text) };

    if (auto* choice = dynamic_cast<juce::AudioParameterChoice*> (parameter))
        return { parameter, choiceValue (*choice, text) };

    return { parameter, floatValue (*parameter, text) };
}

void setValue (juce::RangedAudioParameter& parameter, float value)
{
    parameter.setValueNotifyingHost (parameter.convertTo0to1 (value));
}

juce::String describeValue (const juce::RangedAudioParameter& parameter)
{
    const auto value = parameter.convertFrom0to1 (parameter.getValue());

    if (dynamic_cast<const juce::AudioParameterBool*> (&parameter) != nullptr)
        return value >= 0.5f ? "on" : "off";

    if (const auto* choice = dynamic_cast<const juce::AudioParameterChoice*> (&parameter))
        return choice->getCurrentChoiceName();

    return formatNumber (value);
}
} // namespace

void setParameter (GuipluginAudioProcessor& processor, const juce::String& id, float value)
{
    auto* parameter = findParameter (processor, id);
    jassert (parameter != nullptr);

    if (parameter != nullptr)
        setValue (*parameter, value);
}

namespace
{
void selectType (GuipluginAudioProcessor& processor, TapeType type)
{
    for (auto index = 0; index < TapeSlots::numTypes; ++index)
        setParameter (processor, ParameterIds::typeButtons[index], index == static_cast<int> (type) ? 1.0f : 0.0f);
}

void selectSpeed (GuipluginAudioProcessor& processor, TapeSpeed speed)
{
    setParameter (processor, ParameterIds::speedPower, speed == TapeSpeed::Fast ? 1.0f : 0.0f);
}
} // namespace

void selectMachine (GuipluginAudioProcessor& processor, TapeType type, TapeSpeed speed)
{
    selectType (processor, type);
    selectSpeed (processor, speed);
}

void applySettings (GuipluginAudioProcessor& processor, const SettingsRequest& request)
{
    // Every assignment is checked before anything changes, so a bad one fails before any file work.
    std::vector<std::pair<juce::RangedAudioParameter*, float>> assignments;

    for (const auto& assignment : request.assignments)
        assignments.push_back (parseAssignment (processor, assignment));

    if (request.preset.isNotEmpty())
        loadPresetFile (processor, request.preset);

    if (request.type.has_value())
        selectType (processor, *request.type);

    if (request.speed.has_value())
        selectSpeed (processor, *request.speed);

    for (const auto& [parameter, value] : assignments)
        setValue (*parameter, value);
}

juce::StringArray machineSelectionIds()
{
    juce::StringArray ids (ParameterIds::typeButtons, TapeSlots::numTypes);
    ids.add (ParameterIds::speedPower);
    return ids;
}

juce::String assignedId (const juce::String& assignment)
{
    return assignment.upToFirstOccurrenceOf ("=", false, false).trim();
}

juce::String describeSettings (GuipluginAudioProcessor& processor, const juce::StringArray& leaveOut)
{
    juce::StringArray changed;

    for (auto* parameter : processor.getParameters())
        if (auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter))
            if (ranged->getValue() != ranged->getDefaultValue() && ! leaveOut.contains (ranged->paramID))
                changed.add (ranged->paramID + "=" + describeValue (*ranged));

    return changed.isEmpty() ? juce::String ("defaults") : changed.joinIntoString (" ");
}
