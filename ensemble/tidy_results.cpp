#include "tidy_results.h"

#include <limits>

#include "number_format.h"
#include "version.h"

const char* const kMetricsFile = "metrics.csv";
const char* const kRunMetricsFile = "run_metrics.csv";
const char* const kBandFile = "band.csv";

namespace {

const char* const kMeasureNames = "n,nse,kge,kge_r,kge_alpha,kge_beta,kge2012,kge2012_gamma,pbias,rmse,mae,log_nse,"
                                  "p_factor,r_factor";

std::string Comment(const TidyNotes& notes, const std::string& what) {
  std::string out = std::string("# ensemble-runner ") + kToolkitVersion + ": " + what + "\n";
  if (!notes.units.empty()) out += "# units: " + notes.units + "\n";
  if (notes.startDate.year != 0) out += "# start_date: " + DateText(notes.startDate) + "\n";
  out += "# band: " + notes.band + "\n";
  out += "# sets: " + std::to_string(notes.keptSets) + " of " + std::to_string(notes.totalSets) + " run";
  if (!notes.behavioural.empty()) out += " (behavioural: " + notes.behavioural + ")";
  out += "\n";
  return out;
}

void AppendFigures(std::string& out, const double* figures, double pFactor, double rFactor) {
  AppendInt(out, static_cast<long long>(figures[0]));
  for (int m = 1; m < kFitFigures; ++m) {
    out += ',';
    AppendTidy(out, figures[m]);
  }
  for (double v : {pFactor, rFactor}) {
    out += ',';
    AppendTidy(out, v);
  }
  out += '\n';
}

}  // namespace

void StoreFit(const FitMeasures& f, double* figures) {
  const double values[kFitFigures] = {static_cast<double>(f.n), f.nse,    f.kge,          f.kgeR,
                                      f.kgeAlpha,               f.kgeBeta, f.kge2012,     f.kge2012Gamma,
                                      f.pbias,                  f.rmse,    f.mae,         f.logNse};
  for (int m = 0; m < kFitFigures; ++m) figures[m] = values[m];
}

std::string MetricsText(const TidyNotes& notes, const std::vector<FitMeasures>& fits,
                        const std::vector<BandCoverage>& bands) {
  std::string out = Comment(notes, "fit measures of the calibrated (middle-rank) run over the scored pairs");
  out += std::string("flux,station,") + kMeasureNames + "\n";
  double figures[kFitFigures];
  for (size_t j = 0; j < fits.size(); ++j) {
    out += std::to_string(j + 1) + "," + (j < notes.stations.size() ? notes.stations[j] : "Station" + std::to_string(j + 1)) + ",";
    StoreFit(fits[j], figures);
    AppendFigures(out, figures, bands[j].pFactor, bands[j].rFactor);
  }
  return out;
}

std::string RunMetricsText(const TidyNotes& notes, const DoubleMatrix& figures, const std::vector<size_t>& runs,
                           const std::vector<int>& setNumbers, int nflux) {
  std::string out = Comment(notes, "fit measures of every run over the scored pairs");
  out += std::string("run,set,flux,") + kMeasureNames + "\n";
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (size_t k : runs)
    for (int j = 0; j < nflux; ++j) {
      out += std::to_string(k + 1) + "," + std::to_string(setNumbers[k]) + "," + std::to_string(j + 1) + ",";
      AppendFigures(out, figures[static_cast<std::ptrdiff_t>(k)] + j * kFitFigures, nan, nan);
    }
  return out;
}

std::string BandText(const TidyNotes& notes, const DoubleMatrix& lower, const DoubleMatrix& median,
                     const DoubleMatrix& upper) {
  std::string out = Comment(notes, "percentiles of the runs' flows per step and station");
  out += "step,date,flux,lower,median,upper\n";
  CivilDate date = notes.startDate;
  for (std::ptrdiff_t t = 0; t < lower.rows(); ++t) {
    const std::string day = date.year != 0 ? DateText(date) : "";
    for (std::ptrdiff_t j = 0; j < lower.columns(); ++j) {
      AppendInt(out, t + 1);
      out += "," + day + ",";
      AppendInt(out, j + 1);
      for (const DoubleMatrix* m : {&lower, &median, &upper}) {
        out += ',';
        AppendTidy(out, (*m)[t][j]);
      }
      out += '\n';
    }
    if (date.year != 0) date = NextDay(date);
  }
  return out;
}
