// The fit measures, the band's coverage and the percentiles against values
// worked out by hand (and, for the percentiles, by numpy's default method).

#include <cmath>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "fit_measures.h"
#include "percentiles.h"
#include "streamflow.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FitMeasures, ASmallSeriesByHand) {
  const double o[] = {1, 2, 3, 4, 5}, s[] = {2, 2, 3, 5, 4};
  const FitMeasures m = MeasureFit(o, s, 5);
  EXPECT_EQ(m.n, 5);
  EXPECT_NEAR(m.nse, 0.7, 1e-15);
  EXPECT_NEAR(m.kgeR, 0.8488746876271654, 1e-15);
  EXPECT_NEAR(m.kgeAlpha, 0.824621125123532, 1e-15);
  EXPECT_NEAR(m.kgeBeta, 1.0666666666666667, 1e-15);
  EXPECT_NEAR(m.kge, 0.7590828892810495, 1e-15);
  EXPECT_NEAR(m.kge2012Gamma, 0.7730823048033113, 1e-15);
  EXPECT_NEAR(m.kge2012, 0.7193312541845662, 1e-15);
  EXPECT_NEAR(m.pbias, 6.666666666666667, 1e-13);  // positive: the model overestimates
  EXPECT_NEAR(m.rmse, 0.7745966692414834, 1e-15);
  EXPECT_NEAR(m.mae, 0.6, 1e-15);
  EXPECT_NEAR(m.logNse, 0.6438447318205487, 1e-14);
}

TEST(FitMeasures, APerfectFitAndTheUndefinedOnes) {
  const double o[] = {1, 2, 3, 4, 5};
  const FitMeasures perfect = MeasureFit(o, o, 5);
  for (double v : {perfect.nse, perfect.kge, perfect.kgeR, perfect.kgeAlpha, perfect.kgeBeta, perfect.kge2012,
                   perfect.kge2012Gamma, perfect.logNse})
    EXPECT_DOUBLE_EQ(v, 1.0);
  EXPECT_EQ(perfect.pbias, 0.0);
  EXPECT_EQ(perfect.rmse, 0.0);
  EXPECT_EQ(perfect.mae, 0.0);
  // A constant simulation has no correlation: r and both KGEs are NaN, the rest defined.
  const double flat[] = {3, 3, 3, 3, 3};
  const FitMeasures constant = MeasureFit(o, flat, 5);
  EXPECT_TRUE(std::isnan(constant.kgeR));
  EXPECT_TRUE(std::isnan(constant.kge));
  EXPECT_TRUE(std::isnan(constant.kge2012));
  EXPECT_EQ(constant.kgeAlpha, 0.0);
  EXPECT_EQ(constant.nse, 0.0);
  EXPECT_EQ(constant.pbias, 0.0);
  // Constant observations: NSE and alpha divide by zero.
  const FitMeasures still = MeasureFit(flat, o, 5);
  EXPECT_TRUE(std::isnan(still.nse));
  EXPECT_TRUE(std::isnan(still.kgeAlpha));
  EXPECT_TRUE(std::isnan(still.logNse));
  // Fewer than two pairs: everything NaN; zero observations: pbias and beta NaN.
  const FitMeasures one = MeasureFit(o, o, 1);
  EXPECT_EQ(one.n, 1);
  EXPECT_TRUE(std::isnan(one.nse) && std::isnan(one.rmse) && std::isnan(one.kge));
  const double zeros[] = {0, 0}, some[] = {1, 2};
  EXPECT_TRUE(std::isnan(MeasureFit(zeros, some, 2).pbias));
  EXPECT_TRUE(std::isnan(MeasureFit(zeros, some, 2).kgeBeta));
}

TEST(FitMeasures, ScoredPairsLeaveOutMissingValuesAndThoseAtTheThreshold) {
  // Two fluxes interleaved, flux 0 taken: missing observed, missing simulated, at and above the threshold.
  const double observed[] = {kNaN, 0, 5, 0, 2, 0, 7, 0, 8, 0};
  const double simulated[] = {1, 0, kMissingFlow, 0, 3, 0, 6, 0, kNaN, 0};
  std::vector<double> o, s;
  ScoredPairs(observed, simulated, 5, 2, 2, o, s);
  EXPECT_EQ(o, std::vector<double>({7}));
  EXPECT_EQ(s, std::vector<double>({6}));
  ScoredPairs(observed, simulated, 5, 2, 1, o, s);
  EXPECT_EQ(o, std::vector<double>({2, 7}));
}

TEST(FitMeasures, TheBandsCoverageByHand) {
  const double observed[] = {kNaN, 1, 5, 10, 3}, lower[] = {0, 0, 4, 11, 3}, upper[] = {9, 9, 6, 12, 3};
  // Scored (above 2): 5 inside, 10 above the band, 3 on both bounds.
  BandCoverage c = MeasureBand(observed, lower, upper, 5, 1, 2);
  EXPECT_DOUBLE_EQ(c.pFactor, 2.0 / 3.0);
  EXPECT_DOUBLE_EQ(c.rFactor, 1.0 / std::sqrt(13.0));  // mean width 1, standard deviation sqrt(26 / 2)
  c = MeasureBand(observed, lower, upper, 5, 1, 9);  // one observation: no spread
  EXPECT_EQ(c.pFactor, 0.0);
  EXPECT_TRUE(std::isnan(c.rFactor));
  c = MeasureBand(observed, lower, upper, 5, 1, 100);
  EXPECT_TRUE(std::isnan(c.pFactor) && std::isnan(c.rFactor));
}

std::vector<double> Percentiles(std::vector<double> values, std::vector<double> percents) {
  std::vector<double> out(percents.size());
  LinearPercentiles(values.data(), values.size(), percents.data(), percents.size(), out.data());
  return out;
}

TEST(Percentiles, AsNumpyComputesThem) {
  // numpy.percentile([3, 1, 4, 1, 5, 9, 2.6], p) for each p.
  const std::vector<double> got =
      Percentiles({3, 1, 4, 1, 5, 9, 2.6}, {0, 2.5, 10, 25, 33.3333, 50, 62.5, 97.5, 100});
  const std::vector<double> numpy = {1.0, 1.0, 1.0, 1.8, 2.5999968, 3.0, 3.75, 8.399999999999999, 9.0};
  for (size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], numpy[i], 1e-15 * (1 + numpy[i])) << i;
  // Ties, and a percent whose position falls between two tied runs of values.
  const std::vector<double> ties = Percentiles({7, 2, 7, 2, 7, 2, 7}, {0, 2.5, 40, 50, 97.5, 100});
  const std::vector<double> tiesNumpy = {2, 2, 4.000000000000002, 7, 7, 7};
  for (size_t i = 0; i < ties.size(); ++i) EXPECT_NEAR(ties[i], tiesNumpy[i], 1e-15 * (1 + tiesNumpy[i])) << i;
  EXPECT_EQ(Percentiles({4}, {0, 50, 100}), std::vector<double>({4, 4, 4}));
  EXPECT_TRUE(std::isnan(Percentiles({}, {50})[0]));
}

}  // namespace
