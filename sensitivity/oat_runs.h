#pragma once
// The 400 single-parameter runs of oat-sensitivity and their figures.

#include <string>
#include <string_view>
#include <vector>

#include "model_library.h"
#include "parallel.h"
#include "run_options.h"
#include "parameter_files.h"
#include "streamflow.h"

struct OatRow {
  int whichParam = 0;
  float oatValue = 0;
};

struct RunStatistics {
  double max_mod = 0, mean_mod = 0, stddev = 0;
  int kept = 0;  // station values that entered the figures
};

struct Moments {
  double mean = 0, variance = 0, stddev = 0;
};

struct SensitivityAccumulator {
  int whichParam = 0;
  double prevMax = 0, prevMean = 0, prevStddev = 0;
  double sumMaxChange = 0, sumMeanChange = 0, sumStddevChange = 0;
};

// The 400 data rows of OAT.txt ("%d" one character "%f"); throws InputError
// for a row that does not scan, a parameter outside 1 to 20 or missing rows.
std::vector<OatRow> ParseOatRows(std::string_view text, const std::string& path);

// The station's column: the first integer of line 7 of moscem_param.txt, at least 1.
int ParseStationColumn(std::string_view text, const std::string& path);

// Mean, sample variance and standard deviation; 0 where undefined (n < 2).
Moments SeriesMoments(int n, const float* x);

// Figures of one station series: the values that are neither negative nor
// missing enter the maximum (which starts at 0), the mean and the deviation.
RunStatistics StationFlowStats(const std::vector<double>& values);

// Reads the station's column of "streamflow.txt" (FailWithBanner when it
// cannot be opened) and reduces it to the run's figures.
RunStatistics ReadStationFlowStats(int flowRowCount, int stationColumn);

// Writes basin.txt, river.txt and whichModel.txt scaling the one parameter,
// with the rainfall-excess mode that Ks, CurveNum and MaxCover runs need.
void WriteOatModelFiles(int whichParam, float oatValue, int& balanceModel, int& routingModel);

// Folds run k (0-based) into the accumulators: the first block of 20 runs
// sets the starting figures, later runs add the absolute changes.
void AccumulateRun(std::vector<SensitivityAccumulator>& accumulators, int k, int whichParam,
                   const RunStatistics& stats);

// Everything of oat-sensitivity after the library is bound.
void OatRunDriver(const ModelEntryPoints& entries, const RunOptions& options, ParallelSession& session);
