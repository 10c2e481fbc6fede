#include "stats_settings.h"


#include "input_error.h"
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
  std::string_view word = TrimBlanks(line);
  if (EqualsIgnoringCase(word, "mean")) return StatOperation::Mean;
  if (EqualsIgnoringCase(word, "median")) return StatOperation::Median;
  if (EqualsIgnoringCase(word, "max")) return StatOperation::Max;
  throw InputError(path, 7,
                   "expected the operation Mean, Median or Max, found '" + std::string(line) + "'");
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
         "Annual Output filename " + s.annualFileName + "\n";
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
