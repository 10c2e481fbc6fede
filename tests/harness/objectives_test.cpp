#include <cmath>

#include <gtest/gtest.h>

#include "objectives.h"
#include "streamflow.h"
#include "test_support.h"

namespace {

const double kO[] = {10, 20, 30};
const double kS[] = {12, 18, 30};

TEST(Objectives, WorkedExampleForAllSixKinds) {
  EXPECT_DOUBLE_EQ(RMS(kO, kS, 3), std::sqrt(8.0 / 3.0));
  EXPECT_DOUBLE_EQ(STD(kO, kS, 3), 2.0);
  EXPECT_DOUBLE_EQ(NSE(kO, kS, 3), 0.04);
  EXPECT_EQ(NSC(kO, kS, 3), -1.0);
  EXPECT_EQ(BIAS(kO, kS, 3), 0.0);
  double t = 0;
  for (int i = 0; i < 3; ++i) {
    double d = (std::sqrt(kO[i]) - 1) / kO[i] - (std::sqrt(kS[i]) - 1) / kS[i];
    t += d * d;
  }
  EXPECT_DOUBLE_EQ(TRMS(kO, kS, 3), std::sqrt(t / 3));
  for (int kind = 1; kind <= 6; ++kind) EXPECT_NE(ObjectiveOfKind(kind), nullptr);
  EXPECT_EQ(ObjectiveOfKind(0), nullptr);
  EXPECT_EQ(ObjectiveOfKind(7), nullptr);
}

TEST(Objectives, FollowIeeeArithmeticWhereUndefined) {
  const double one[] = {5};
  EXPECT_TRUE(std::isnan(STD(one, one, 1)));
  const double flat[] = {4, 4};
  const double other[] = {3, 5};
  EXPECT_TRUE(std::isinf(NSE(flat, other, 2)));
  const double zero[] = {0};
  EXPECT_FALSE(std::isfinite(TRMS(one, zero, 1)));
  // A zero residual is no sign change on either side.
  const double o[] = {1, 1, 1, 1};
  const double s[] = {2, 1, 0, 0};
  EXPECT_EQ(NSC(o, s, 4), 0.0);
}

struct Scoring {
  CalibrationSettings settings;
  DoubleMatrix observed, simulated;
  DoubleVector objectives;
};

Scoring Make(int kind, int threshold, const std::vector<std::vector<double>>& obs,
             const std::vector<std::vector<double>>& sim) {
  Scoring s;
  s.settings.nsteps = static_cast<int>(obs.size());
  s.settings.nflux = static_cast<int>(obs[0].size());
  s.settings.objectiveKind = kind;
  s.settings.obsThreshold = threshold;
  s.observed = DoubleMatrix(s.settings.nsteps, s.settings.nflux);
  s.simulated = DoubleMatrix(s.settings.nsteps, s.settings.nflux);
  s.objectives = DoubleVector(s.settings.nflux);
  for (int t = 0; t < s.settings.nsteps; ++t)
    for (int j = 0; j < s.settings.nflux; ++j) {
      s.observed[t][j] = obs[static_cast<size_t>(t)][static_cast<size_t>(j)];
      s.simulated[t][j] = sim[static_cast<size_t>(t)][static_cast<size_t>(j)];
    }
  return s;
}

TEST(EvaluateObjective, ComparesOnlyStepsWhoseObservationExceedsTheThreshold) {
  Scoring s = Make(1, 0, {{0, 0}, {10, -1}, {-5, 20}, {20, 30}}, {{100, 100}, {12, 5}, {7, 18}, {18, kMissingFlow}});
  EvaluateObjective(s.settings, s.simulated, s.observed, s.objectives);
  EXPECT_DOUBLE_EQ(s.objectives[0], 2.0);
  EXPECT_DOUBLE_EQ(s.objectives[1], std::sqrt((4.0 + (30 - kMissingFlow) * (30 - kMissingFlow)) / 2));
  s.settings.obsThreshold = -1;
  EvaluateObjective(s.settings, s.simulated, s.observed, s.objectives);
  EXPECT_DOUBLE_EQ(s.objectives[0], std::sqrt((100.0 * 100 + 4 + 4) / 3));
}

TEST(EvaluateObjective, FluxWithoutDataGetsTheMarkerAndLaterFluxesAreStillScored) {
  auto outcome = testing_support::RunInChild([] {
    Scoring s = Make(1, 5, {{1, 1, 10}, {2, 2, 20}}, {{0, 0, 12}, {0, 0, 18}});
    s.objectives[2] = -7;
    EvaluateObjective(s.settings, s.simulated, s.observed, s.objectives);
    std::printf("%g %g %g\n", s.objectives[0], s.objectives[1], s.objectives[2]);
  });
  EXPECT_EQ(outcome.out,
            "Attention: no validation data available for flux  1.\n"
            "Objective fluction value set to 1.000000e+20.\n"
            "Attention: no validation data available for flux  2.\n"
            "Objective fluction value set to 1.000000e+20.\n"
            "1e+20 1e+20 2\n");
}

TEST(EvaluateObjective, UndefinedKindStopsOnlyWhenAFluxHasPairs) {
  testing_support::ExpectStop(
      [] {
        Scoring s = Make(7, 0, {{1}}, {{1}});
        EvaluateObjective(s.settings, s.simulated, s.observed, s.objectives);
      },
      StopStyle::Fatal, "OBJECTIVE FUNCTION NOT DEFINED");
  // Without a scored pair the function is never asked for.
  Scoring s = Make(7, 0, {{0}}, {{1}});
  testing::internal::CaptureStdout();
  EvaluateObjective(s.settings, s.simulated, s.observed, s.objectives);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(s.objectives[0], kNoDataObjective);
}

}  // namespace
