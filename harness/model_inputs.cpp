#include "model_inputs.h"

#include "checked_files.h"
#include "parameter_table.h"
#include "subbasin_count.h"

int ReadSubbasinCount(const std::string& path) {
  return ParseSubbasinCount(ReadFileOrBanner(path, OpeningFailure("balparam.txt")), path);
}

ModelChoice ReadModelChoiceFile(const RunFiles& files) {
  std::string text = ReadFileOrBanner(files.modelChoiceFile, OpeningFailure("whichModel.txt"));
  return ParseModelChoice(text, files.modelChoiceFile);
}

SourceRecords ReadSourceRecords(const RunFiles& files, int nsub) {
  std::string basinText = ReadFileOrBanner(files.basinOriginalFile, OpeningFailure("basin_original.txt"));
  std::string riverText = ReadFileOrBanner(files.riverOriginalFile, OpeningFailure("river_original.txt"));
  SourceRecords records;
  records.subbasins = ParseBasinRows(basinText, files.basinOriginalFile, nsub);
  records.reaches = ParseReachRows(riverText, files.riverOriginalFile, nsub);
  return records;
}

std::vector<int> ReadOptimisedParameters(const RunFiles& files) {
  std::string table = ReadFileOrBanner(files.parameterTableFile, OpeningFailure("parameter.in"));
  return ParseParameterTable(table, files.parameterTableFile);
}
