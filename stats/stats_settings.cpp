#include "stats_settings.h"

#include <cmath>
#include <utility>

#include "input_error.h"
#include "number_format.h"
#include "stop.h"
#include "text.h"

namespace {

struct IntegerLine {
  int StatsSettings::*field;
  const char* name;
};

const IntegerLine kIntegerLines[] = {
    {&StatsSettings::startYear, "the start year"},   {&StatsSettings::startMonth, "the start month"},
    {&StatsSettings::startDay, "the start day"},     {&StatsSettings::endYear, "the end year"},
    {&StatsSettings::recordCount, "the number of records"},
    {&StatsSettings::fieldCount, "the number of fields"},
};

StatOperation ParseOperation(std::string_view line, const std::string& path) {
  static const std::pair<const char*, StatOperation> kWords[] = {
      {"mean", StatOperation::Mean}, {"median", StatOperation::Median}, {"max", StatOperation::Max},
      {"sum", StatOperation::Sum},   {"min", StatOperation::Min}};
  std::string_view word = TrimBlanks(line);
  for (const auto& [name, operation] : kWords)
    if (EqualsIgnoringCase(word, name)) return operation;
  throw InputError(path, 7, "expected the operation Mean, Median, Max, Sum or Min, found " + QuoteToken(line));
}

// A whole line that is one number, or false.
bool ParseWholeLineNumber(std::string_view line, double& value) {
  std::string_view text = TrimBlanks(line);
  size_t used = 0;
  return !text.empty() && ParseRealPrefix(text, value, &used) && used == text.size() && std::isfinite(value);
}

// Lines 11 to 13, each optional: an empty line or a missing one takes the default.
void ParseOptionalLines(LineCursor& lines, const std::string& path, StatsSettings& s) {
  std::string_view line;
  auto given = [&] { return lines.Next(line) && !IsBlankLine(line); };
  if (given()) {
    if (!ParseWholeLineNumber(line, s.missingCode))
      throw InputError(path, 11, "expected a missing-value code (a number) or an empty line, found " +
                                     QuoteToken(TrimBlanks(line)));
    s.hasMissingCode = true;
  }
  if (given()) {
    if (!ParseWholeLineNumber(line, s.maxMissingShare) || s.maxMissingShare < 0 || s.maxMissingShare > 1)
      throw InputError(path, 12, "expected the largest share of missing days (a number from 0 to 1) or an "
                                 "empty line, found " + QuoteToken(TrimBlanks(line)));
    s.hasMissingShare = true;
  }
  if (given()) {
    size_t used = 0;
    std::string_view month = TrimBlanks(line);
    if (!ParseLeadingInt(month, s.yearStartMonth, &used) || used != month.size() || s.yearStartMonth < 1 ||
        s.yearStartMonth > 12)
      throw InputError(path, 13, "expected the first month of the year (1 to 12) or an empty line, found " +
                                     QuoteToken(month));
  }
}

std::string NumberText(double value) {
  std::string text;
  AppendGeneral(text, value);
  return text;
}

}  // namespace

StatsSettings ParseSettings(std::string_view text, const std::string& path) {
  static const char* const kFileNames[] = {"the input file name", "the monthly output file name",
                                           "the annual output file name"};
  StatsSettings s;
  LineCursor lines(text);
  std::string_view line;
  auto nextLine = [&](long number, const char* what) {
    if (!lines.Next(line))
      throw InputError(path, number, std::string("file ends before line ") + std::to_string(number) +
                                         " (" + what + ")");
  };
  long number = 0;
  for (const IntegerLine& entry : kIntegerLines) {
    nextLine(++number, entry.name);
    if (!ParseLeadingInt(line, s.*entry.field))
      throw InputError(path, number, std::string("expected an integer: ") + entry.name);
  }
  nextLine(++number, "the operation");
  s.operation = ParseOperation(line, path);
  std::string* const names[] = {&s.inputFileName, &s.monthlyFileName, &s.annualFileName};
  for (int i = 0; i < 3; ++i) {
    nextLine(++number, kFileNames[i]);
    if (line.empty()) throw InputError(path, number, std::string("expected ") + kFileNames[i]);
    if (line.find('\0') != std::string_view::npos)
      throw InputError(path, number, std::string("expected ") + kFileNames[i] + " without NUL characters");
    names[i]->assign(line);
  }
  ParseOptionalLines(lines, path, s);
  return s;
}

std::string SettingsEcho(const StatsSettings& s) {
  return "Start Year =" + std::to_string(s.startYear) + "\n" +
         "Start Day =" + std::to_string(s.startDay) + "\n" +
         "Number of Records =" + std::to_string(s.recordCount) + "\n" +
         "Numer of Fields =" + std::to_string(s.fieldCount) + "\n" +
         "Operation (0-MEAN, 1-MEDIAN, 2-MAX) =" + std::to_string(static_cast<int>(s.operation)) + "\n" +
         "Input filename " + s.inputFileName + "\n" +
         "Monthly Output filename " + s.monthlyFileName + "\n" +
         "Annual Output filename " + s.annualFileName + "\n" +
         (s.hasMissingCode ? "Missing value code =" + NumberText(s.missingCode) + "\n" : "") +
         (s.hasMissingShare ? "Largest share of missing days =" + NumberText(s.maxMissingShare) + "\n" : "") +
         (s.yearStartMonth != 1 ? "First month of the year =" + std::to_string(s.yearStartMonth) + "\n" : "");
}

StatsSettings ReadSettings(const std::string& path, RunLog& log) {
  std::string text;
  if (!ReadFileText(path, text)) throw Stop(StopStyle::Plain, "Error opening file " + path + "\n");
  StatsSettings settings = ParseSettings(text, path);
  std::string_view line;
  std::string echoText = SettingsEcho(settings);
  LineCursor echoLines(echoText);
  while (echoLines.Next(line)) WriteLogLine(log, std::string(line));
  return settings;
}
