#pragma once
// The design of the one-at-a-time sensitivity experiment: a lower and an
// upper multiplier per parameter from its allowed range and the range of its
// values over the subbasins, stepped through 20 fixed fractions.

#include <string>
#include <string_view>
#include <vector>

#include "source_records.h"
#include "model_inputs.h"
#include "parameter_table.h"

constexpr int kOatFractionCount = 20;
constexpr int kOatRunCount = kOatFractionCount * kParameterCount;  // 400

// 0 to 1 in steps of 0.05, without 0.35.
extern const float kOatFractions[kOatFractionCount];

struct ParameterRange {
  float rangeLow = 0, rangeHigh = 0;    // allowed absolute range, from range.txt
  float fieldMin = 0, fieldMax = 0;     // smallest and largest subbasin value
  float lowerMultiplier = 1, upperMultiplier = 1;
  bool finite = true;                   // false: a field bound is 0, multipliers held at 1
};

// Lines 2 to 21 of range.txt: the lower and the upper bound of parameters 1
// to 20, separated by one separator character (blanks or tabs around it
// allowed) or by blanks alone. Throws InputError naming the line and parameter.
void ParseRangeFile(std::string_view text, const std::string& path,
                    ParameterRange ranges[kParameterCount]);

// Smallest and largest value of every parameter's field over the subbasins.
void FindFieldRanges(const std::vector<SubbasinRecord>& subbasins,
                     const std::vector<ReachRecord>& reaches, ParameterRange ranges[kParameterCount]);

// The multipliers in single precision: bound times the reciprocal of the field
// extreme. A field extreme of 0 leaves both at 1 and clears `finite`.
void ComputeMultipliers(ParameterRange ranges[kParameterCount]);

// The OAT value of one parameter at fraction f: lower + f x upper, capped at
// the upper multiplier when it would take the field beyond its range.
float OatValue(const AdjustableParameter& p, const ParameterRange& range, float f);

// The ranges of the 20 parameters with their multipliers, from
// balparam.txt, range.txt and the two source files, and the source records.
struct ParameterDesign {
  ParameterRange ranges[kParameterCount];
  SourceRecords records;
};
ParameterDesign ReadParameterDesign();

// The lower and upper multiplier of every parameter, as "parameter.in" gives them.
void MultiplierBounds(const ParameterDesign& design, double lower[kParameterCount], double upper[kParameterCount]);

// Writes OAT.txt and parameter.in from balparam.txt, range.txt and the two
// source files. Stops through FailWithBanner when a file cannot be opened.
void GenerateOatDatasets();

// Writes parameter.in alone (the other designs' table of multipliers);
// returns the design it was made from.
ParameterDesign WriteParameterTableOnly();
