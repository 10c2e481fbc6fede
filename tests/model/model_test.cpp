// The stand-in model: mass balance, routing behaviour and its failures.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <utility>

#include <gtest/gtest.h>

#include "balance.h"
#include "model_inputs.h"
#include "model_library.h"
#include "routing.h"
#include "test_support.h"

namespace {

using namespace fluvex;
using namespace testing_support;

SubbasinRecord Basin(int aridity = 2) {
  SubbasinRecord b;
  b.basinId = 1;
  b.soilWhc = 150;
  b.soilDepth = 120;
  b.ks = 0.8f;
  b.area = 100;
  b.interflowLag = 4;
  b.hSlope = 0.08f;
  b.baseflowLag = 30;
  b.rcNumber = 70;
  b.maxCover = 0.05f;
  b.basinLoss = 0.05f;
  b.panCoeff = 0.8f;
  b.topSoil = 0.3f;
  b.aridity = aridity;
  return b;
}

std::vector<double> Rain(int days) {
  std::vector<double> rain(static_cast<size_t>(days));
  for (int d = 0; d < days; ++d) rain[static_cast<size_t>(d)] = d % 5 == 0 ? 40.0 + d % 13 : (d % 3 == 0 ? 3.0 : 0.0);
  return rain;
}

TEST(Balance, ConservesMassForBothSoilsAndBothExcessRules) {
  for (bool twoLayers : {false, true}) {
    for (int aridity : {1, 2}) {
      SubbasinRecord b = Basin(aridity);
      BalanceState s = InitialState(b, 0.5, twoLayers);
      double start = s.Total(), rain = 0, out = 0;
      for (double p : Rain(400)) {
        DayBudget day = StepDay(b, twoLayers, p, 3.0, s);
        rain += day.rain;
        out += day.evaporation + day.loss + day.outflow;
      }
      EXPECT_NEAR(rain, out + s.Total() - start, 1e-9 * rain) << twoLayers << aridity;
    }
  }
}

TEST(Balance, WithoutRainOnlyARecessionFlows) {
  SubbasinRecord b = Basin();
  BalanceState dry = InitialState(b, 0.0, false);
  for (int d = 0; d < 30; ++d) EXPECT_EQ(StepDay(b, false, 0.0, 2.0, dry).outflow, 0.0);
  // From a wet soil the reservoirs fill, peak once and then only recede.
  BalanceState wet = InitialState(b, 0.9, false);
  double previous = 0;
  bool falling = false;
  for (int d = 0; d < 300; ++d) {
    double flow = StepDay(b, false, 0.0, 2.0, wet).outflow;
    if (falling) {
      EXPECT_LE(flow, previous) << d;
    }
    falling = falling || flow < previous;
    previous = flow;
  }
  EXPECT_TRUE(falling);
}

TEST(Balance, AHigherCurveNumberGivesMoreRunoff) {
  SubbasinRecord low = Basin(), high = Basin();
  high.rcNumber = 85;
  auto total = [](const SubbasinRecord& b) {
    std::vector<double> flows = RunBalance({b}, false, Rain(200), std::vector<double>(200, 2.0), 200, 0.5);
    return std::accumulate(flows.begin(), flows.end(), 0.0);
  };
  EXPECT_GT(total(high), total(low));
}

TEST(Routing, LagDelaysAPulseByTheTravelTime) {
  std::vector<double> pulse(10, 0.0);
  pulse[2] = 5.0;
  std::vector<double> out = LagSeries(pulse, 3.0);
  EXPECT_EQ(out[5], 5.0);
  EXPECT_EQ(std::accumulate(out.begin(), out.end(), 0.0), 5.0);
  ReachRecord r;
  r.rivLength = 86.4f;  // km, at 1 m/s: one day
  r.celerity = 1.0f;
  double k = 0, x = 0;
  RoutingParameters(r, RoutingMethod::Lag, k, x);
  EXPECT_NEAR(k, 1.0, 1e-6);
}

TEST(Routing, MuskingumAndDiffusionConserveMassApartFromLosses) {
  std::vector<double> inflow(300, 0.0);
  for (int d = 5; d < 15; ++d) inflow[static_cast<size_t>(d)] = 20.0;
  for (auto [k, x] : {std::pair{0.3, 0.2}, {2.5, 0.45}, {0.005, 0.0}, {1.0, 0.0}}) {
    std::vector<double> out = MuskingumSeries(inflow, k, x);
    EXPECT_NEAR(std::accumulate(out.begin(), out.end(), 0.0), 200.0, 1e-6) << k << " " << x;
    for (double q : out) EXPECT_GE(q, 0.0);
  }
  ReachRecord a;
  a.basinId = 1;
  a.downId = 2;
  a.rivLength = 20;
  a.celerity = 1.5f;
  a.diffusion = 500;
  a.rivLoss = 0.1f;
  ReachRecord b = a;
  b.basinId = 2;
  b.downId = 0;
  b.rivLoss = 0;
  std::vector<double> local(2 * 300, 0.0);
  for (size_t d = 0; d < 300; ++d) local[d * 2] = inflow[d];
  for (RoutingMethod m : {RoutingMethod::Diffusion, RoutingMethod::MuskingumCunge, RoutingMethod::Lag}) {
    std::vector<double> out = RouteNetwork({a, b}, m, local, 300);
    double outlet = 0;
    for (size_t d = 0; d < 300; ++d) outlet += out[d * 2 + 1];
    EXPECT_NEAR(outlet, 180.0, 1e-6) << static_cast<int>(m);  // 10 % lost in the first reach
  }
}

TEST(Routing, ALoopInTheNetworkIsRefused) {
  ReachRecord a, b;
  a.basinId = 1;
  a.downId = 2;
  b.basinId = 2;
  b.downId = 1;
  EXPECT_THROW(UpstreamFirstOrder({a, b}), ModelError);
}

// The library through its entry points, on the bundled example.
struct ExampleRun {
  ScopedTempDir dir;
  ExampleRun() {
    std::filesystem::copy(EXAMPLES_DIR "/demo-basin", dir.path(), std::filesystem::copy_options::recursive);
    std::filesystem::copy_file(dir / "basin_original.txt", dir / "basin.txt");
    std::filesystem::copy_file(dir / "river_original.txt", dir / "river.txt");
    InstallModel(dir.path(), STAND_IN_MODEL_PATH);
  }
  int Call(const char* entry, const char* list) const {
    ScopedWorkingDirectory cwd(dir.path());
    ModelLibrary library;
    if (!library.Load(ModelLibraryPath())) return -1;
    int status = -1;
    library.Find(entry)(list, 14, &status);
    return status;
  }
};

TEST(Library, RunsTheExampleWithEveryStageCombination) {
  ExampleRun run;
  for (const char* balance : {"ONELAYERBALANCE", "twolayerbalance"}) {
    for (const char* routing : {"DIFFROUTE", "cungeroute", "LAGROUTE"}) {
      EXPECT_EQ(run.Call(balance, "balfiles.txt"), 0);
      EXPECT_EQ(run.Call(routing, "routfiles.txt"), 0);
      std::string flows = ReadFile(run.dir / "streamflow.txt");
      EXPECT_EQ(std::count(flows.begin(), flows.end(), '\n'), 1096) << balance << routing;
      EXPECT_EQ(flows.find("NaN"), std::string::npos);
    }
  }
}

TEST(Library, BadInputGivesAStatusAMessageAndNoFlows) {
  ExampleRun run;
  ASSERT_EQ(run.Call("ONELAYERBALANCE", "balfiles.txt"), 0);
  ASSERT_EQ(run.Call("LAGROUTE", "routfiles.txt"), 0);
  WriteFile(run.dir / "basin.txt", "header\n1,2,3\n");
  Outcome bad = RunInChild([&] { std::exit(run.Call("ONELAYERBALANCE", "balfiles.txt")); });
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.err, "fluvex ONELAYERBALANCE: basin.txt:2: expected an integer for Texture (column 4)\n");
  EXPECT_FALSE(std::filesystem::exists(run.dir / "runoff.txt"));
  Outcome routing = RunInChild([&] { std::exit(run.Call("LAGROUTE", "routfiles.txt")); });
  EXPECT_EQ(routing.status, 1);
  EXPECT_EQ(routing.err, "fluvex LAGROUTE: runoff.txt: cannot be opened\n");
  EXPECT_FALSE(std::filesystem::exists(run.dir / "streamflow.txt"));
  EXPECT_EQ(run.Call("DIFFROUTE", "nolist.txt"), 1);
}

// A stage whose output cannot be written completely (a full disk) fails
// instead of handing a cut-short file to the next stage or the caller.
TEST(Library, AFailedWriteIsAFailure) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
  try {
    File full = fluvex::CreateOutput("/dev/full");
    std::fputs("Day, Flow1\n", full.get());
    fluvex::CloseOutput(std::move(full), "/dev/full");
    ADD_FAILURE() << "no error";
  } catch (const fluvex::ModelError& e) {
    EXPECT_EQ(e.message, "/dev/full: cannot be written");
  }
}

}  // namespace

#if defined(__linux__)
namespace {

// The library stands for an outside component: the five entry points are all it shows.
TEST(StandInModel, ExportsItsFiveEntryPointsOnly) {
  FILE* pipe = popen("nm -D --defined-only '" STAND_IN_MODEL_PATH "'", "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> functions;
  char address[64], type[8], name[512];
  while (std::fscanf(pipe, "%63s %7s %511s", address, type, name) == 3)
    if (std::string("TtWw").find(type[0]) != std::string::npos) functions.push_back(name);
  ASSERT_EQ(pclose(pipe), 0) << "nm failed";
  std::sort(functions.begin(), functions.end());
  EXPECT_EQ(functions,
            (std::vector<std::string>{"DIFFROUTE", "LAGROUTE", "ONELAYERBALANCE", "cungeroute", "twolayerbalance"}));
}

}  // namespace
#endif
