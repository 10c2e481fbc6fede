#include "oat_design.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "checked_files.h"
#include "model_inputs.h"
#include "stop.h"
#include "input_error.h"
#include "model_run.h"
#include "number_format.h"
#include "subbasin_count.h"
#include "text.h"

const float kOatFractions[kOatFractionCount] = {0.0f,  0.05f, 0.1f, 0.15f, 0.2f, 0.25f, 0.3f,
                                                0.4f,  0.45f, 0.5f, 0.55f, 0.6f, 0.65f, 0.7f,
                                                0.75f, 0.8f,  0.85f, 0.9f, 0.95f, 1.0f};

namespace {

bool IsSeparatorAround(char c) { return !IsBlank(c); }

// "low SEP high": SEP is one character of any kind, with optional blanks or
// tabs around it, or blanks alone.
bool ParseRangeLine(std::string_view line, float& low, float& high) {
  size_t used = 0;
  if (!ParseFloatPrefix(line, low, &used)) return false;
  size_t pos = used;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  size_t afterBlanks = pos;
  if (pos < line.size() && IsSeparatorAround(line[pos])) {
    float probe = 0;
    // A second number right after the blanks means blanks alone separated them.
    if (!(afterBlanks > used && ParseFloatPrefix(line.substr(pos), probe))) ++pos;
  }
  if (pos == used) return false;  // nothing between the two numbers
  if (!ParseFloatPrefix(line.substr(pos), high)) return false;
  return std::isfinite(low) && std::isfinite(high);
}

std::string ParameterLabel(int number) {
  return "parameter " + std::to_string(number) + " (" + kAdjustableParameters[number - 1].name + ")";
}

}  // namespace

void ParseRangeFile(std::string_view text, const std::string& path,
                    ParameterRange ranges[kParameterCount]) {
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // header
  for (int p = 1; p <= kParameterCount; ++p) {
    if (!lines.Next(line))
      throw InputError(path, p + 1, "file ends before the range of " + ParameterLabel(p));
    if (!ParseRangeLine(line, ranges[p - 1].rangeLow, ranges[p - 1].rangeHigh))
      throw InputError(path, p + 1, "expected the lower and upper bound of " + ParameterLabel(p));
  }
}

void FindFieldRanges(const std::vector<SubbasinRecord>& subbasins,
                     const std::vector<ReachRecord>& reaches, ParameterRange ranges[kParameterCount]) {
  for (size_t i = 0; i < subbasins.size(); ++i) {
    for (const AdjustableParameter& p : kAdjustableParameters) {
      ParameterRange& r = ranges[p.number - 1];
      float v = static_cast<float>(ParameterFieldValue(p, subbasins[i], reaches[i]));
      if (i == 0 || v < r.fieldMin) r.fieldMin = v;
      if (i == 0 || v > r.fieldMax) r.fieldMax = v;
    }
  }
}

void ComputeMultipliers(ParameterRange ranges[kParameterCount]) {
  for (const AdjustableParameter& p : kAdjustableParameters) {
    ParameterRange& r = ranges[p.number - 1];
    r.finite = r.fieldMin != 0.0f && r.fieldMax != 0.0f;
    if (!r.finite) {
      r.lowerMultiplier = r.upperMultiplier = 1.0f;
      continue;
    }
    const float recipMin = 1.0f / r.fieldMin;
    const float recipMax = 1.0f / r.fieldMax;
    r.lowerMultiplier = r.rangeLow * recipMin;
    r.upperMultiplier = p.IsInteger() ? r.rangeHigh / r.fieldMax : r.rangeHigh * recipMax;
  }
}

float OatValue(const AdjustableParameter& p, const ParameterRange& r, float f) {
  if (!r.finite) return 1.0f;
  const float recipMin = 1.0f / r.fieldMin;
  const float recipMax = 1.0f / r.fieldMax;
  float v = p.IsInteger() ? f * r.rangeHigh / r.fieldMax + r.rangeLow * recipMin
                          : f * r.rangeHigh * recipMax + r.rangeLow * recipMin;
  if (v * r.fieldMax > r.rangeHigh) v = r.upperMultiplier;
  return v;
}

namespace {

// Parser errors of the design's inputs stop the program with the framed message.
template <typename F>
auto OrBanner(F&& parse) {
  try {
    return parse();
  } catch (const InputError& e) {
    FailWithBanner(std::string("     ") + e.what() + " \n");
  }
}

void WarnHeldMultipliers(const ParameterRange ranges[kParameterCount]) {
  for (const AdjustableParameter& p : kAdjustableParameters) {
    const ParameterRange& r = ranges[p.number - 1];
    if (r.finite) continue;
    std::fprintf(stderr,
                 "warning: %s: its %s subbasin value is 0, so it has no finite multiplier; "
                 "both multipliers are held at 1\n",
                 ParameterLabel(p.number).c_str(), r.fieldMin == 0.0f ? "smallest" : "largest");
  }
}

}  // namespace

namespace {

// The design's inputs, read; the multipliers are computed by the caller.
ParameterDesign ReadDesignInputs() {
  RunFiles files;
  ParameterDesign design;
  int nsub = OrBanner([&] {
    std::string balance = ReadFileOrBanner("balparam.txt", OpeningFailure("balparam.txt"));
    ParseFlowRowCount(balance, "balparam.txt");
    return ParseSubbasinCount(balance, "balparam.txt");
  });
  std::string rangeText = ReadFileOrBanner("range.txt", OpeningFailure("range.txt"));
  OrBanner([&] { ParseRangeFile(rangeText, "range.txt", design.ranges); return 0; });
  design.records = ReadSourceRecords(files, nsub);
  FindFieldRanges(design.records.subbasins, design.records.reaches, design.ranges);
  return design;
}

void WriteParameterTable(const ParameterDesign& design) {
  PendingFile table = CreatePendingOrBanner("parameter.in", OpeningFailure("parameter.in"));
  float lower[kParameterCount], upper[kParameterCount];
  for (int i = 0; i < kParameterCount; ++i) {
    lower[i] = design.ranges[i].lowerMultiplier;
    upper[i] = design.ranges[i].upperMultiplier;
  }
  WritePendingOrDie(std::move(table), ParameterTableText(lower, upper));
}

}  // namespace

ParameterDesign ReadParameterDesign() {
  ParameterDesign design = ReadDesignInputs();
  ComputeMultipliers(design.ranges);
  WarnHeldMultipliers(design.ranges);
  return design;
}

void MultiplierBounds(const ParameterDesign& design, double lower[kParameterCount], double upper[kParameterCount]) {
  for (const AdjustableParameter& p : kAdjustableParameters) {
    const ParameterRange& r = design.ranges[p.number - 1];
    lower[p.number - 1] = p.fixedTableBounds ? 0.5 : static_cast<double>(r.lowerMultiplier);
    upper[p.number - 1] = p.fixedTableBounds ? 1.5 : static_cast<double>(r.upperMultiplier);
  }
}

void GenerateOatDatasets() {
  ParameterDesign design = ReadDesignInputs();
  PendingFile oat = CreatePendingOrBanner("OAT.txt", OpeningFailure("OAT.txt"));
  oat.Write("whichParam, OAT Parameter Value\n");
  ComputeMultipliers(design.ranges);
  WarnHeldMultipliers(design.ranges);
  int written = 0;
  for (int fraction = 0; fraction < kOatFractionCount; ++fraction) {
    for (const AdjustableParameter& p : kAdjustableParameters) {
      float v = OatValue(p, design.ranges[p.number - 1], kOatFractions[fraction]);
      oat.Write(FormatString("%d,%.4f\n", p.number, static_cast<double>(v)));
      std::fprintf(stderr, "OAT datasets successfully created -----------> %d \n", ++written);
    }
    if (fraction == 0) WriteParameterTable(design);
  }
  InstallOrDie(oat);
}

ParameterDesign WriteParameterTableOnly() {
  ParameterDesign design = ReadParameterDesign();
  WriteParameterTable(design);
  return design;
}
