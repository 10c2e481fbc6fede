#include "model_run.h"

#include <cstdio>
#include <utility>

#include "fatal.h"
#include "streamflow.h"
#include "text.h"

ParameterScaling ScalingForSet(const std::vector<int>& optimised, const ParameterSet& set) {
  ParameterScaling scaling;
  for (int m : optimised)
    if (const AdjustableParameter* p = FindParameter(m)) scaling.factors.emplace_back(p, set[m - 1]);
  return scaling;
}

ModelChoice ReadModelChoiceFile(const RunFiles& files) {
  std::string text = ReadFileOrBanner(files.modelChoiceFile, OpeningFailure("whichModel.txt"));
  return ParseModelChoice(text, files.modelChoiceFile);
}

void ReadSourceRecords(const RunFiles& files, int nsub, std::vector<SubbasinRecord>& subbasins,
                       std::vector<ReachRecord>& reaches) {
  std::string basinText = ReadFileOrBanner(files.basinOriginalFile, OpeningFailure("basin_original.txt"));
  std::string riverText = ReadFileOrBanner(files.riverOriginalFile, OpeningFailure("river_original.txt"));
  subbasins = ParseBasinRows(basinText, files.basinOriginalFile, nsub);
  reaches = ParseReachRows(riverText, files.riverOriginalFile, nsub);
}

void WriteModelInputFiles(const RunFiles& files, std::vector<SubbasinRecord>& subbasins,
                          std::vector<ReachRecord>& reaches, const ParameterScaling& scaling,
                          const ModelChoice& choice) {
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

void WriteModelFiles(int& balanceModel, int& routingModel, const ParameterSet& set,
                     CalibrationSettings& settings, const RunFiles& files) {
  std::string table = ReadFileOrBanner(files.parameterTableFile, OpeningFailure("parameter.in"));
  std::vector<int> optimised = ParseParameterTable(table, files.parameterTableFile);
  ModelChoice choice = ReadModelChoiceFile(files);
  balanceModel = choice.balanceModel;
  routingModel = choice.routingModel;
  ReadSourceRecords(files, settings.nsub, settings.subbasins, settings.reaches);
  WriteModelInputFiles(files, settings.subbasins, settings.reaches, ScalingForSet(optimised, set), choice);
}

void CallModel(const ModelEntryPoints& entries, const ModelChoice& choice, int& modelStatus) {
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
  balance("balfiles.txt", 14, &modelStatus);
  routing("routfiles.txt", 14, &modelStatus);
}

int RunModelOnce(CalibrationSettings& settings, const ParameterSet& set, DoubleMatrix& simulated,
                 int& balanceModel, int& routingModel, const RunFiles& files,
                 const ModelEntryPoints& entries, int& modelStatus) {
  WriteModelFiles(balanceModel, routingModel, set, settings, files);
  CallModel(entries, ModelChoice{balanceModel, routingModel}, modelStatus);
  return ReadSimulatedFlows(settings, simulated);
}
