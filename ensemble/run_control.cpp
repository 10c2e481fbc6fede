#include "run_control.h"

#include "input_error.h"
#include "text.h"

RunControl ParseRunControl(std::string_view text, const std::string& path) {
  RunControl control;
  LineCursor lines(text);
  std::string_view line;
  if (!lines.Next(line) || !ParseLeadingInt(line, control.nruns))
    throw InputError(path, 1, "expected the number of runs at the start of the line");
  if (control.nruns < 1)
    throw InputError(path, 1,
                     "the number of runs must be at least 1, found " + std::to_string(control.nruns));
  RunFiles& f = control.files;
  std::string* const names[] = {
      &f.observedFlowFile,  &f.parameterSetFile,     &f.objectiveFile,
      &f.seriesOutputFile,  &f.statisticsOutputFile, &f.boundsOutputFile,
      &f.subbasinCountFile, &f.calibrationSettingsFile, &f.parameterTableFile,
      &f.basinFile,         &f.riverFile,            &f.basinOriginalFile,
      &f.riverOriginalFile, &f.spareName1,           &f.spareName2,
      &f.modelChoiceFile};
  std::string_view rest = lines.Rest();
  size_t pos = 0, found = 0;
  for (std::string* name : names) {
    while (pos < rest.size() && (IsBlank(rest[pos]) || rest[pos] == '\r' || rest[pos] == '\n')) ++pos;
    size_t start = pos;
    while (pos < rest.size() && !IsBlank(rest[pos]) && rest[pos] != '\r' && rest[pos] != '\n') ++pos;
    if (pos == start)
      throw InputError(path, 0,
                       "expected 16 file names after the number of runs, found " + std::to_string(found));
    name->assign(rest.substr(start, pos - start));
    if (name->find('\0') != std::string::npos)
      throw InputError(path, 0, "file name " + std::to_string(found + 1) + " holds a NUL character");
    ++found;
  }
  return control;
}
