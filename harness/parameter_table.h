#pragma once
// The twenty adjustable parameters, described once: their number, name in
// "parameter.in", the record field each one scales and its description.
// The multiplier rules, the single-parameter runs, the field ranges of the
// sensitivity design and the rows of "parameter.in" all walk this table.

#include <string>
#include <string_view>
#include <vector>

#include "source_records.h"

constexpr int kParameterCount = 20;
// "parameter.in" may hold up to this many data rows; rows 21 and 22 scale nothing.
constexpr int kParameterTableRows = 22;

struct AdjustableParameter {
  int number;               // 1 to 20
  const char* name;         // Name column of "parameter.in"
  const char* description;  // Description column, trailing blanks included
  int SubbasinRecord::*basinInt;
  float SubbasinRecord::*basinFloat;
  float ReachRecord::*reachFloat;
  // The rainfall-excess mode (every subbasin's Aridity) that a run scaling
  // this parameter alone needs, 0 for none: the infiltration-capacity rule
  // for Ks, the curve-number rule for CurveNum and MaxCover.
  int singleRunRainfallMode = 0;
  // "parameter.in" gives it these bounds whatever its subbasin values (the texture class).
  bool fixedTableBounds = false;
  bool IsInteger() const { return basinInt != nullptr; }
};

// Parameter m is element m - 1.
extern const AdjustableParameter kAdjustableParameters[kParameterCount];

// Parameter number m (1 to 20), or nullptr outside that range.
const AdjustableParameter* FindParameter(int number);

// The current value of the parameter's field.
double ParameterFieldValue(const AdjustableParameter& p, const SubbasinRecord& basin,
                           const ReachRecord& reach);

// Scales the parameter's field: a product kept in single precision for real
// fields, the product plus 0.5 truncated toward zero for integer fields.
void ScaleParameter(const AdjustableParameter& p, double multiplier, SubbasinRecord& basin,
                    ReachRecord& reach);

// The numbers (ascending) of the rows of "parameter.in" whose OptIdx is 1.
// Throws InputError for a data row that does not follow the table's pattern
// and for a table of fewer than 20 rows.
std::vector<int> ParseParameterTable(std::string_view text, const std::string& path);

// A complete "parameter.in" with Default 1 and OptIdx 0 on every row and the
// given Lower and Upper multipliers; row 3 always carries 0.5 and 1.5.
std::string ParameterTableText(const float lower[kParameterCount], const float upper[kParameterCount]);
