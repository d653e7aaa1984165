#pragma once

// The IDs of the 17 parameters, in the host's index order. The editor attaches to them, preset
// files store them and block processing reads them.
namespace ParameterIds
{
inline constexpr const char* biasKnob = "biasKnob";
inline constexpr const char* compKnob = "compKnob";
inline constexpr const char* crosstalkKnob = "crosstalkKnob";
inline constexpr const char* lpfKnob = "lpfKnob";
inline constexpr const char* hpfKnob = "hpfKnob";
inline constexpr const char* inputGainKnob = "inputGainKnob";
inline constexpr const char* outputGainKnob = "outputGainKnob";
inline constexpr const char* speedPower = "speedPower";
inline constexpr const char* gainlockPower = "gainlockPower";
inline constexpr const char* powerPower = "powerPower";
inline constexpr const char* typeAbutton = "typeAbutton";
inline constexpr const char* typeBbutton = "typeBbutton";
inline constexpr const char* typeCbutton = "typeCbutton";
inline constexpr const char* typeDbutton = "typeDbutton";
inline constexpr const char* typeEbutton = "typeEbutton";
inline constexpr const char* typeFbutton = "typeFbutton";
inline constexpr const char* os = "os";

// The type buttons in selection order: with several on, the last one wins.
inline constexpr const char* typeButtons[] = { typeAbutton, typeBbutton, typeCbutton,
                                               typeDbutton, typeEbutton, typeFbutton };
} // namespace ParameterIds
