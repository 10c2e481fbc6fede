#include "model_run.h"

#include <cstdio>
#include <utility>

#include "checked_files.h"
#include "stop.h"
#include "streamflow.h"
#include "text.h"

ParameterScaling ScalingForSet(const std::vector<int>& optimised, const ParameterSet& set) {
  ParameterScaling scaling;
  for (int m : optimised)
    if (const AdjustableParameter* p = FindParameter(m)) scaling.factors.emplace_back(p, set[m - 1]);
  return scaling;
}

void WriteModelInputFiles(const RunFiles& files, SourceRecords& records, const ParameterScaling& scaling,
                          const ModelChoice& choice) {
  std::vector<SubbasinRecord>& subbasins = records.subbasins;
  std::vector<ReachRecord>& reaches = records.reaches;
  File basinFile = CreateFileOrBanner(files.basinFile, OpeningFailure("basin.txt"));
  File riverFile = CreateFileOrBanner(files.riverFile, OpeningFailure("river.txt"));
  File choiceFile = CreateFileOrBanner(files.modelChoiceFile, OpeningFailure("whichModel.txt"));
  std::string basinText = kBasinHeader, riverText = kRiverHeader;
  basinText.reserve(subbasins.size() * 96 + 160);
  riverText.reserve(reaches.size() * 96 + 160);
  for (size_t i = 0; i < subbasins.size(); ++i) {
    for (const auto& [parameter, multiplier] : scaling.factors)
      ScaleParameter(*parameter, multiplier, subbasins[i], reaches[i]);
    if (scaling.aridityOverride != 0) subbasins[i].aridity = scaling.aridityOverride;
    AppendBasinLine(basinText, subbasins[i]);
    AppendReachLine(riverText, reaches[i]);
  }
  WriteFileOrDie(std::move(basinFile), files.basinFile, basinText);
  WriteFileOrDie(std::move(riverFile), files.riverFile, riverText);
  WriteFileOrDie(std::move(choiceFile), files.modelChoiceFile, kModelChoiceHeader + ModelChoiceLines(choice));
}

ModelChoice WriteModelFiles(const ParameterSet& set, CalibrationSettings& settings, const RunFiles& files) {
  std::vector<int> optimised = ReadOptimisedParameters(files);
  ModelChoice choice = ReadModelChoiceFile(files);
  SourceRecords records = ReadSourceRecords(files, settings.nsub);
  WriteModelInputFiles(files, records, ScalingForSet(optimised, set), choice);
  settings.subbasins = std::move(records.subbasins);
  settings.reaches = std::move(records.reaches);
  return choice;
}

void CallModel(const ModelEntryPoints& entries, const ModelChoice& choice) {
  ModelEntryPoint balance = choice.balanceModel == 1   ? entries.oneLayerBalance
                            : choice.balanceModel == 2 ? entries.twoLayerBalance
                                                       : nullptr;
  ModelEntryPoint routing = choice.routingModel == 1   ? entries.diffusionRoute
                            : choice.routingModel == 2 ? entries.cungeRoute
                            : choice.routingModel == 3 ? entries.lagRoute
                                                       : nullptr;
  if (!balance)
    FailWithBanner("     Error in 'whichModel.txt': water balance model " +
                   std::to_string(choice.balanceModel) + " is not 1 or 2 \n");
  if (!routing)
    FailWithBanner("     Error in 'whichModel.txt': routing model " +
                   std::to_string(choice.routingModel) + " is not 1, 2 or 3 \n");
  // A model that writes no flows must not be scored on the previous run's file.
  std::remove(kStreamflowFile);
  std::fflush(stdout);
  int modelStatus = 0;
  balance("balfiles.txt", 14, &modelStatus);
  routing("routfiles.txt", 14, &modelStatus);
}

void RunModelOnce(CalibrationSettings& settings, const ParameterSet& set, DoubleMatrix& simulated,
                  const RunFiles& files, const ModelEntryPoints& entries) {
  CallModel(entries, WriteModelFiles(set, settings, files));
  ReadSimulatedFlows(settings, simulated);
}
