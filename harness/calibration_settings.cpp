#include "calibration_settings.h"

#include <cstdio>
#include <limits>

#include "checked_files.h"
#include "streamflow.h"
#include "subbasin_count.h"
#include "stop.h"
#include "input_error.h"
#include "text.h"

namespace {

int LeadingIntOfLine(LineCursor& lines, const std::string& path, long lineNo, const char* field) {
  std::string_view line;
  int value = 0;
  if (!lines.Next(line) || !ParseLeadingInt(line, value))
    throw InputError(path, lineNo, std::string("expected an integer (") + field + ")");
  return value;
}

// The column offsets: integers each followed by a comma, spread over lines in any way.
void ParseFluxColumns(std::string_view text, long firstLine, const std::string& path,
                      CalibrationSettings& s) {
  // Collected first and sized last, so that a count far beyond the list
  // reports the missing offsets instead of allocating for all of them.
  std::vector<int> columns;
  s.fluxColumnLines.clear();
  long long column = 0;
  size_t pos = 0;
  long lineNo = firstLine;
  for (int i = 0; i < s.nflux; ++i) {
    while (pos < text.size() && (IsBlank(text[pos]) || text[pos] == '\r' || text[pos] == '\n'))
      if (text[pos++] == '\n') ++lineNo;
    std::string what = "column offset " + std::to_string(i + 1) + " of " + std::to_string(s.nflux);
    if (pos >= text.size())
      throw InputError(path, lineNo, "file ends before " + what + " was read");
    size_t used = 0;
    int value = 0;
    if (!ParseLeadingInt(text.substr(pos), value, &used))
      throw InputError(path, lineNo, "expected an integer as " + what);
    if (value < (i == 0 ? 1 : 0))
      throw InputError(path, lineNo,
                       what + " must be at least " + (i == 0 ? "1" : "0") + ", found " +
                           std::to_string(value));
    // The offsets add up to the flux's column, which must stay a 32-bit count.
    column += value;
    if (column > std::numeric_limits<int>::max())
      throw InputError(path, lineNo, "the column offsets up to offset " + std::to_string(i + 1) +
                                         " add up to more than " +
                                         std::to_string(std::numeric_limits<int>::max()) + " columns");
    columns.push_back(value);
    s.fluxColumnLines.push_back(lineNo);
    pos += used;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && text[pos] == ',') ++pos;
  }
  s.fluxColumns = IntVector(s.nflux);
  for (int i = 0; i < s.nflux; ++i) s.fluxColumns[i] = columns[static_cast<size_t>(i)];
}

}  // namespace

void ParseCalibrationSettings(std::string_view text, const std::string& path,
                              CalibrationSettings& s) {
  s.nparam = 20;
  LineCursor lines(text);
  s.nflux = LeadingIntOfLine(lines, path, 1, "number of fluxes");
  s.spareSetting = LeadingIntOfLine(lines, path, 2, "line 2 setting");
  s.nsteps = LeadingIntOfLine(lines, path, 3, "number of time steps");
  s.objectiveKind = LeadingIntOfLine(lines, path, 4, "objective function");
  s.obsThreshold = LeadingIntOfLine(lines, path, 5, "observation threshold");
  if (s.nflux < 0) throw InputError(path, 1, "the number of fluxes must not be negative");
  if (s.nsteps < 0) throw InputError(path, 3, "the number of time steps must not be negative");
  std::string_view line;
  if (!lines.Next(line) && s.nflux > 0)
    throw InputError(path, 6, "file ends before the flux column offsets");
  // Everything from line 7 on, as one stream of values.
  ParseFluxColumns(lines.Rest(), 7, path, s);
}

void ReadCalibrationSettings(CalibrationSettings& settings, const RunFiles& files) {
  std::string text =
      ReadFileOrBanner(files.calibrationSettingsFile, "Error opening observed moscem_param.txt \n");
  ParseCalibrationSettings(text, files.calibrationSettingsFile, settings);
  if (settings.nflux == 0) {
    std::printf("nflux must be greater than 0, fix moscem_param.txt \n");
    throw InputError(files.calibrationSettingsFile, 1, "the number of fluxes must be at least 1, found 0");
  }
}

void CheckSettingsAgainstModelRun(CalibrationSettings& s, const RunFiles& files) {
  const std::string& balance = files.subbasinCountFile;
  const std::string text = ReadFileOrBanner(balance, OpeningFailure("balparam.txt"));
  s.nsub = ParseSubbasinCount(text, balance);
  const int days = ParseFlowRowCount(text, balance);
  const std::string& path = files.calibrationSettingsFile;
  if (s.nsteps > days)
    throw InputError(path, 3,
                     std::to_string(s.nsteps) + " time steps, but " + balance + ":2 runs the model for " +
                         std::to_string(days) + " days (" + kStreamflowFile + " holds one row per day)");
  const std::vector<int> positions = FluxColumnPositions(s);
  for (size_t i = 0; i < positions.size(); ++i)
    if (positions[i] > s.nsub)
      throw InputError(path, s.fluxColumnLines[i],
                       "flux " + std::to_string(i + 1) + " is column " + std::to_string(positions[i]) + " of " +
                           kStreamflowFile + ", beyond the " + std::to_string(s.nsub) + " subbasins of " + balance +
                           ":5 (one flow column each)");
}
