#include "model_run.h"

#include <cstdio>
#include <stdexcept>
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
  // Each file is written under a temporary name and renamed into place, so an
  // interruption leaves every one of them complete, "whichModel.txt" above all.
  PendingFile basinFile = CreatePendingOrBanner(files.basinFile, OpeningFailure("basin.txt"));
  PendingFile riverFile = CreatePendingOrBanner(files.riverFile, OpeningFailure("river.txt"));
  PendingFile choiceFile = CreatePendingOrBanner(files.modelChoiceFile, OpeningFailure("whichModel.txt"));
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
  WritePendingOrDie(std::move(basinFile), basinText);
  WritePendingOrDie(std::move(riverFile), riverText);
  WritePendingOrDie(std::move(choiceFile), kModelChoiceHeader + ModelChoiceLines(choice));
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

namespace {

struct Stage {
  ModelEntryPoint function = nullptr;
  const char* name = "";
};

Stage BalanceStage(const ModelEntryPoints& entries, int balanceModel) {
  if (balanceModel == 1) return {entries.oneLayerBalance, "ONELAYERBALANCE"};
  if (balanceModel == 2) return {entries.twoLayerBalance, "twolayerbalance"};
  return {};
}

Stage RoutingStage(const ModelEntryPoints& entries, int routingModel) {
  if (routingModel == 1) return {entries.diffusionRoute, "DIFFROUTE"};
  if (routingModel == 2) return {entries.cungeRoute, "cungeroute"};
  if (routingModel == 3) return {entries.lagRoute, "LAGROUTE"};
  return {};
}

// Calls one stage with a status of 0; any other status after the call is a
// failed run: the routing stage must not run on what a failed balance left.
void CallStage(const Stage& stage, const char* listFile) {
  int modelStatus = 0;
  stage.function(listFile, 14, &modelStatus);
  if (modelStatus != 0)
    throw std::runtime_error(std::string("model entry point ") + stage.name + " returned status " +
                             std::to_string(modelStatus));
}

}  // namespace

void CallModel(const ModelEntryPoints& entries, const ModelChoice& choice) {
  const Stage balance = BalanceStage(entries, choice.balanceModel);
  const Stage routing = RoutingStage(entries, choice.routingModel);
  if (!balance.function)
    FailWithBanner("     Error in 'whichModel.txt': water balance model " +
                   std::to_string(choice.balanceModel) + " is not 1 or 2 \n");
  if (!routing.function)
    FailWithBanner("     Error in 'whichModel.txt': routing model " +
                   std::to_string(choice.routingModel) + " is not 1, 2 or 3 \n");
  // A model that writes no flows must not be scored on the previous run's file.
  std::remove(kStreamflowFile);
  std::fflush(stdout);
  CallStage(balance, "balfiles.txt");
  CallStage(routing, "routfiles.txt");
}

void RunModelOnce(CalibrationSettings& settings, const ParameterSet& set, DoubleMatrix& simulated,
                  const RunFiles& files, const ModelEntryPoints& entries) {
  CallModel(entries, WriteModelFiles(set, settings, files));
  ReadSimulatedFlows(settings, simulated, files.calibrationSettingsFile + ":3");
}
