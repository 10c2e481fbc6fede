#pragma once
// The sixteen file names of a model-driving program. ensemble-runner fills
// them from its run-control file; oat-sensitivity uses the defaults, which
// are the conventional names in the working directory.

#include <string>

struct RunFiles {
  std::string observedFlowFile;
  std::string parameterSetFile;
  std::string objectiveFile;
  std::string seriesOutputFile;
  std::string statisticsOutputFile;
  std::string boundsOutputFile;
  std::string subbasinCountFile = "balparam.txt";
  std::string calibrationSettingsFile = "moscem_param.txt";
  std::string parameterTableFile = "parameter.in";
  std::string basinFile = "basin.txt";
  std::string riverFile = "river.txt";
  std::string basinOriginalFile = "basin_original.txt";
  std::string riverOriginalFile = "river_original.txt";
  std::string spareName1;
  std::string spareName2;
  std::string modelChoiceFile = "whichModel.txt";
};

// The fixed name of the model's flow output, never configurable.
inline const char* const kStreamflowFile = "streamflow.txt";
