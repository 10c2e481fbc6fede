#pragma once
// The 400 single-parameter runs of oat-sensitivity and their result files.

#include <string>
#include <string_view>
#include <vector>

#include "model_choice.h"
#include "model_library.h"
#include "oat_figures.h"
#include "parallel.h"
#include "run_options.h"
#include "run_settings.h"

struct OatRow {
  int whichParam = 0;
  float oatValue = 0;
};

// The 400 data rows of OAT.txt ("%d" one character "%f"); throws InputError
// for a row that does not scan, a parameter outside 1 to 20 or missing rows.
std::vector<OatRow> ParseOatRows(std::string_view text, const std::string& path);

// The station's column: the first integer of line 7 of moscem_param.txt, at least 1.
int ParseStationColumn(std::string_view text, const std::string& path);

// The station's column in "streamflow.txt" (moscem_param.txt line 7) and
// the flow rows of a run (balparam.txt line 2), checked against each other.
struct StationSettings {
  int stationColumn = 0;
  int flowRowCount = 0;
};
StationSettings ReadStationSettings();

// Reads the station's column of "streamflow.txt" (FailWithBanner when it
// cannot be opened), and reduces it to the run's figures.
std::vector<double> ReadStationFlows(int flowRowCount, int stationColumn);
RunStatistics ReadStationFlowStats(int flowRowCount, int stationColumn);

// Writes basin.txt, river.txt and whichModel.txt scaling the one parameter,
// with the rainfall-excess mode that its single runs need. Returns the model choice.
ModelChoice WriteOatModelFiles(int whichParam, float oatValue);

// Everything of oat-sensitivity after the library is bound. Returns the exit
// status; an MPI worker serves runs and returns when the coordinator is done.
int OatRunDriver(const ModelEntryPoints& entries, const RunOptions& options, const RunSettings& settings,
                 ParallelSession& session);
