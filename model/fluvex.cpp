// The five entry points of the stand-in model library. Each reads its list
// file, removes the file it writes (so a failed stage leaves no old output),
// runs its stage and sets *modelStatus to 0, or to a non-zero code with one
// message line on standard error.

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>

#include "balance.h"
#include "input_error.h"
#include "model_inputs.h"
#include "routing.h"

#if defined(_WIN32)
#define FLUVEX_EXPORT extern "C" __declspec(dllexport)
#else
#define FLUVEX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace fluvex {
namespace {

// Parses a parameter file with the toolkit's reader, reporting its errors as the model's.
template <typename Parse>
auto ReadRecords(const std::string& path, int n, Parse parse) {
  try {
    return parse(ReadText(path), path, n);
  } catch (const InputError& e) {
    throw ModelError{e.what()};
  }
}

void Balance(const char* listFile, bool twoLayers) {
  BalanceFiles files = ReadBalanceFileList(listFile);
  std::remove(files.runoff.c_str());
  RunSettings settings = ReadRunSettings(files.settings);
  std::vector<SubbasinRecord> basins = ReadRecords(files.basin, settings.subbasins, ParseBasinRows);
  std::vector<double> rain = ReadDailyTable(files.rainfall, settings.days, settings.subbasins);
  std::vector<double> pet = ReadDailyTable(files.evaporation, settings.days, settings.subbasins);
  std::vector<double> runoff =
      RunBalance(basins, twoLayers, rain, pet, settings.days, settings.initialWetness);
  WriteDailyTable(files.runoff, "Day,local runoff of every subbasin (m3/s)", runoff, settings.days,
                  settings.subbasins);
}

void WriteStreamflow(const std::string& path, const std::vector<double>& flows, int days, int n) {
  File file = CreateOutput(path);
  FILE* f = file.get();
  std::fputs("Day", f);
  for (int i = 1; i <= n; ++i) std::fprintf(f, ", Flow%d", i);
  std::fputc('\n', f);
  for (int d = 0; d < days; ++d) {
    std::fprintf(f, "%d,", d + 1);
    for (int i = 0; i < n; ++i) {
      double v = flows[static_cast<size_t>(d) * static_cast<size_t>(n) + static_cast<size_t>(i)];
      if (std::isfinite(v))
        std::fprintf(f, " %.3f,", v);
      else
        std::fputs(" NaN,", f);
    }
    std::fputc('\n', f);
  }
  CloseOutput(std::move(file), path);
}

void Route(const char* listFile, RoutingMethod method) {
  RoutingFiles files = ReadRoutingFileList(listFile);
  std::remove(files.streamflow.c_str());
  RunSettings settings = ReadRunSettings(files.settings);
  std::vector<ReachRecord> reaches = ReadRecords(files.river, settings.subbasins, ParseReachRows);
  std::vector<double> runoff = ReadDailyTable(files.runoff, settings.days, settings.subbasins);
  std::vector<double> flows = RouteNetwork(reaches, method, runoff, settings.days);
  WriteStreamflow(files.streamflow, flows, settings.days, settings.subbasins);
}

template <typename Stage>
void Guarded(const char* name, int* modelStatus, Stage&& stage) {
  int status = 0;
  try {
    stage();
  } catch (const ModelError& e) {
    std::fprintf(stderr, "fluvex %s: %s\n", name, e.message.c_str());
    status = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fluvex %s: %s\n", name, e.what());
    status = 2;
  }
  if (modelStatus) *modelStatus = status;
}

}  // namespace
}  // namespace fluvex

using fluvex::Guarded;
using fluvex::RoutingMethod;

FLUVEX_EXPORT void ONELAYERBALANCE(const char* listFile, int, int* modelStatus) {
  Guarded("ONELAYERBALANCE", modelStatus, [&] { fluvex::Balance(listFile, false); });
}
FLUVEX_EXPORT void twolayerbalance(const char* listFile, int, int* modelStatus) {
  Guarded("twolayerbalance", modelStatus, [&] { fluvex::Balance(listFile, true); });
}
FLUVEX_EXPORT void DIFFROUTE(const char* listFile, int, int* modelStatus) {
  Guarded("DIFFROUTE", modelStatus, [&] { fluvex::Route(listFile, RoutingMethod::Diffusion); });
}
FLUVEX_EXPORT void cungeroute(const char* listFile, int, int* modelStatus) {
  Guarded("cungeroute", modelStatus, [&] { fluvex::Route(listFile, RoutingMethod::MuskingumCunge); });
}
FLUVEX_EXPORT void LAGROUTE(const char* listFile, int, int* modelStatus) {
  Guarded("LAGROUTE", modelStatus, [&] { fluvex::Route(listFile, RoutingMethod::Lag); });
}
