#pragma once

#include "Analysis.h"

// The analysis figures as text: a table for people (one column per type and speed) and CSV for
// programs, one measured value per row: measurement,type,speed,x,x_unit,value_db.
juce::String formatTable (const AnalysisResult& result);
juce::String formatCsv (const AnalysisResult& result);

// "A slow", "F fast".
juce::String machineName (const MachineCurves& machine);
