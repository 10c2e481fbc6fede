#pragma once
// The stand-in model's input files: the list files that name them, the
// run-length settings of "balparam.txt", the daily forcing series and the
// runoff series passed from the balance stage to the routing stage.

#include <string>
#include <vector>

#include "file_handle.h"
#include "source_records.h"

namespace fluvex {

// Thrown for any input problem; the entry point turns it into a status and
// one message line.
struct ModelError {
  std::string message;
};

struct BalanceFiles {
  std::string settings, basin, rainfall, evaporation, runoff;
};

struct RoutingFiles {
  std::string settings, river, runoff, streamflow;
};

BalanceFiles ReadBalanceFileList(const std::string& listFile);
RoutingFiles ReadRoutingFileList(const std::string& listFile);

struct RunSettings {
  int days = 0;                 // line 2
  int subbasins = 0;            // line 5
  double initialWetness = 0.5;  // line 6: initial soil store as a fraction of capacity
};

RunSettings ReadRunSettings(const std::string& path);

// days x subbasins values, row-major: a header line, then per day a label
// and one value per subbasin, comma-separated.
std::vector<double> ReadDailyTable(const std::string& path, int days, int subbasins);
void WriteDailyTable(const std::string& path, const std::string& header,
                     const std::vector<double>& values, int days, int subbasins);

std::string ReadText(const std::string& path);

// `path` created (or truncated), or a ModelError.
File CreateOutput(const std::string& path);
// Flushes and closes `file`; a ModelError when any write to it failed, so a
// cut-short output (a full disk) is never reported as a successful stage.
void CloseOutput(File file, const std::string& path);

}  // namespace fluvex
