#include "ensemble_results.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "checked_files.h"
#include "stop.h"
#include "number_format.h"
#include "objectives.h"

void EvaluateFinalRun(const CalibrationSettings& s, const DoubleMatrix& simulated,
                      const DoubleMatrix& observed, DoubleMatrix& stats) {
  DoubleVector o(s.nsteps), sim(s.nsteps);
  for (int i = 0; i < s.nflux; ++i) {
    int n = SelectPairs(observed, simulated, i, s.nsteps, s.obsThreshold, o, sim);
    if (n == 0) {
      // Zeros would read as a perfect fit: a flux without a scored pair has no statistics.
      ReportNoValidationData(i + 1);
      std::fflush(stdout);
      std::fprintf(stderr, "warning: flux %d has no observed value above the threshold %d; its statistics are NaN\n",
                   i + 1, s.obsThreshold);
      for (int m = 0; m < 6; ++m) stats[m][i] = std::numeric_limits<double>::quiet_NaN();
      continue;
    }
    stats[0][i] = RMS(o.data(), sim.data(), n);
    stats[1][i] = STD(o.data(), sim.data(), n);
    stats[2][i] = TRMS(o.data(), sim.data(), n);
    stats[3][i] = 1.0 - NSE(o.data(), sim.data(), n);
    stats[4][i] = -1.0 * NSC(o.data(), sim.data(), n);
    stats[5][i] = BIAS(o.data(), sim.data(), n);
  }
}

namespace {

void AppendFlow(std::string& out, double value) {
  AppendScientific(out, value, 5, 15, true);  // "%15.5E,"
  out += ',';
}

void AppendStepLabel(std::string& out, int step) {
  std::string label;
  AppendInt(label, step);
  if (label.size() < 5) out.append(5 - label.size(), ' ');  // "%5d,"
  out += label;
  out += ',';
}

void AppendHeaderFields(std::string& out, const char* name, int nflux) {
  for (int i = 1; i <= nflux; ++i) {
    out += name;
    AppendInt(out, i);
    out += ',';
  }
}

}  // namespace

std::string SeriesFileText(const CalibrationSettings& s, const EnsembleResults& r) {
  std::string out = "Timestep,";
  for (int i = 1; i <= s.nflux; ++i) out += FormatString("Observed Station%d,Calibrated Station%d,", i, i);
  out += '\n';
  for (int t = 0; t < s.nsteps; ++t) {
    AppendStepLabel(out, t + 1);
    for (int j = 0; j < s.nflux; ++j) {
      AppendFlow(out, r.observed[t][j]);
      AppendFlow(out, r.simulated[t][j]);
    }
    out += '\n';
  }
  return out;
}

std::string BoundsFileText(const CalibrationSettings& s, const EnsembleResults& r) {
  std::string out = "Timestep,";
  AppendHeaderFields(out, "LowerBound Station", s.nflux);
  AppendHeaderFields(out, "UppBound Station", s.nflux);
  AppendHeaderFields(out, "Average Station", s.nflux);
  out += '\n';
  for (int t = 0; t < s.nsteps; ++t) {
    AppendStepLabel(out, t + 1);
    for (const DoubleMatrix* block : {&r.lowerBound, &r.upperBound, &r.average})
      for (int j = 0; j < s.nflux; ++j) AppendFlow(out, (*block)[t][j]);
    out += '\n';
  }
  return out;
}

std::string StatisticsFileText(const CalibrationSettings& s, const EnsembleResults& r) {
  std::string out;
  const DoubleMatrix& f = r.finalStatistics;
  for (int m = 0; m < s.nflux; ++m) {
    out += FormatString("Flux %d\n", m + 1);
    out += "RMS,STD,NSE,NSC,BIAS\n";
    out += FormatString("%6.4f,%6.4f,%6.4f,%6.4f,%6.4f\n", f[0][m], f[1][m], f[3][m], f[4][m], f[5][m]);
    out += '\n';
  }
  return out;
}

EnsembleResultFiles CreateEnsembleResultFiles(const RunFiles& files) {
  return EnsembleResultFiles{CreatePendingOrDie(files.seriesOutputFile), CreatePendingOrDie(files.boundsOutputFile),
                             CreatePendingOrDie(files.statisticsOutputFile), {}};
}

void WriteEnsembleResults(const CalibrationSettings& s, const EnsembleResults& r, EnsembleResultFiles& files,
                          const std::vector<std::string>& tidyTexts) {
  files.series.Write(SeriesFileText(s, r));
  files.bounds.Write(BoundsFileText(s, r));
  files.statistics.Write(StatisticsFileText(s, r));
  std::vector<PendingFile*> all = {&files.series, &files.bounds, &files.statistics};
  for (size_t i = 0; i < files.tidy.size(); ++i) {
    files.tidy[i].Write(tidyTexts.at(i));
    all.push_back(&files.tidy[i]);
  }
  for (PendingFile* file : all)
    if (int cause = file->Close())
      FatalError("Can not write file: " + file->path() + " (" + std::strerror(cause) + ")\n");
  for (PendingFile* file : all) InstallOrDie(*file);
}
