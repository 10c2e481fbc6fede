#pragma once
// Reading the files that every model run starts from: the subbasin count of
// "balparam.txt", the model choice, the untouched source parameter files and
// the parameter table. A file that cannot be opened stops the program with
// the framed message of its conventional name.

#include <string>
#include <vector>

#include "model_choice.h"
#include "run_files.h"
#include "source_records.h"

// The number of subbasins in the subbasin-count file.
int ReadSubbasinCount(const std::string& path);

// The model choice of "whichModel.txt".
ModelChoice ReadModelChoiceFile(const RunFiles& files);

struct SourceRecords {
  std::vector<SubbasinRecord> subbasins;
  std::vector<ReachRecord> reaches;
};

// The first `nsub` rows of both source files (basin first).
SourceRecords ReadSourceRecords(const RunFiles& files, int nsub);

// The numbers of the parameters flagged adjustable in the parameter table.
std::vector<int> ReadOptimisedParameters(const RunFiles& files);
