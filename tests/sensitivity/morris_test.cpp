// Morris screening: the design's structure, effects against a hand
// computation on a model whose flow is a known function of the multipliers,
// the same bytes for the same seed, and resuming.

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "morris_design.h"
#include "test_support.h"

namespace {

using namespace testing_support;

struct MorrisDir {
  ScopedTempDir dir;
  explicit MorrisDir(const std::string& function) {
    InstallModel(dir.path(), TEST_MODEL_PATH);
    WriteFile(dir / "basin_original.txt",
              "h\n1,100.0,150.0,2,0.500,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n"
              "2,200.0,120.0,3,1.200,158.0,3.0,0.1200,28.0,72.0,0.05,0.030,0.78,0.35,2\n");
    WriteFile(dir / "river_original.txt",
              "h\n1,212.0,212.0,0.0042,28.5,2,0.045,0.0,0.1,0,0,0,1.2,800.0,12.0,8.0,1\n"
              "2,158.0,370.0,0.0051,22.0,0,0.040,0.0,0.1,0,0,1,1.4,650.0,10.0,6.0,1\n");
    WriteFile(dir / "whichModel.txt", "x\n1\n3\n");
    WriteFile(dir / "balparam.txt", "title\n3 days\nx\nx\n2 subbasins\n");
    WriteFile(dir / "moscem_param.txt", "1\n1\n3\n1\n0\ncolumns\n1,\n");
    std::string range = "Lower,Upper\n50,400\n";
    for (int p = 2; p <= 20; ++p) range += "0.5, 3\n";
    WriteFile(dir / "range.txt", range);
    WriteFile(dir / "streamflow.source", "Day Q1 Q2\n1 1 1\n2 1 1\n3 1 1\n");
    WriteFile(dir / "flow_function.txt", function);
  }
  Outcome Run(const std::string& arguments) const { return RunProgram(dir.path(), OAT_SENSITIVITY_PATH, arguments); }
  std::string Read(const std::string& name) const { return ReadFile(dir / name); }
};

std::vector<std::vector<std::string>> Csv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // the header
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) fields.push_back(cell);
    if (!line.empty() && line.back() == ',') fields.push_back("");
    rows.push_back(fields);
  }
  return rows;
}

// output,parameter -> mu, mu_star, sigma, r
std::map<std::string, std::vector<double>> Statistics(const std::string& text) {
  std::map<std::string, std::vector<double>> table;
  for (const auto& row : Csv(text))
    table[row[0] + "," + row[1]] = {std::stod(row[2]), std::stod(row[3]), std::stod(row[4]), std::stod(row[6])};
  return table;
}

const char* kNames[] = {"SoilWhc", "Depth",    "Texture",  "Ks",       "Interflow", "HSlope",    "Baseflow",
                        "CurveNum", "MaxCover", "BasinLoss", "PanCoeff", "TopSoil",  "RainCalc", "RivRough",
                        "RivSlope", "RivWidth", "RivLoss",  "RivFPLoss", "Celerity", "Diffusion"};

TEST(Morris, TheDesignMovesOneParameterAtATimeOnTheGrid) {
  MorrisDir d("linear 2 100 3\n");
  ASSERT_EQ(d.Run("--method morris --trajectories 5 --seed 7").status, 0);
  const auto rows = Csv(d.Read("morris_design.csv"));
  ASSERT_EQ(rows.size(), 5u * 21);
  EXPECT_EQ(d.Read("morris_design.csv").substr(0, 42), "trajectory,step,changed_parameter,SoilWhc,");
  for (int t = 0; t < 5; ++t) {
    std::map<std::string, int> changed;
    for (int step = 1; step <= 20; ++step) {
      const auto& before = rows[static_cast<size_t>(t * 21 + step - 1)];
      const auto& after = rows[static_cast<size_t>(t * 21 + step)];
      ++changed[after[2]];
      for (int p = 0; p < 20; ++p) {
        const bool moved = std::string(kNames[p]) == after[2];
        if (!moved) {
          EXPECT_EQ(after[3 + p], before[3 + p]);
        }
      }
    }
    EXPECT_EQ(changed.size(), 20u) << "each parameter changed once in trajectory " << t + 1;
    // SoilWhc's multipliers span 0.5 to 2 on four levels, and a step moves it by delta = 2/3 of that span.
    for (int step = 0; step <= 20; ++step) {
      const double m = std::stod(rows[static_cast<size_t>(t * 21 + step)][3]);
      EXPECT_TRUE(m == 0.5 || m == 1.0 || m == 1.5 || m == 2.0) << m;
    }
  }
  const std::string first = d.Read("morris_design.csv");
  ASSERT_EQ(d.Run("--method morris --trajectories 5 --seed 7").status, 0);
  EXPECT_EQ(d.Read("morris_design.csv"), first);
  ASSERT_EQ(d.Run("--method morris --trajectories 5 --seed 8").status, 0);
  EXPECT_NE(d.Read("morris_design.csv"), first);
}

// Effects computed here from the design and the outputs of each run.
TEST(Morris, TheStatisticsAreThoseOfTheEffectsByHand) {
  MorrisDir d("linear 2 100 3\nproduct 2 100 5 0.5 2\n");
  Outcome o = d.Run("--method morris --trajectories 6 --levels 4 --seed 3");
  ASSERT_EQ(o.status, 0) << o.err;
  const auto design = Csv(d.Read("morris_design.csv"));
  const auto runs = Csv(d.Read("morris_runs.csv"));
  const double delta = 4.0 / 6.0;
  std::map<std::string, std::vector<double>> effects;  // "output,parameter" -> effects
  const char* outputs[] = {"max_flow", "mean_flow", "stddev_flow"};
  for (size_t k = 1; k < design.size(); ++k) {
    if (design[k][1] == "0") continue;
    int p = 0;
    while (kNames[p] != design[k][2]) ++p;
    const double change = std::stod(design[k][static_cast<size_t>(3 + p)]) - std::stod(design[k - 1][static_cast<size_t>(3 + p)]);
    if (change == 0) continue;
    for (int o = 0; o < 3; ++o) {
      const double rise = std::stod(runs[k][static_cast<size_t>(4 + o)]) - std::stod(runs[k - 1][static_cast<size_t>(4 + o)]);
      effects[std::string(outputs[o]) + "," + kNames[p]].push_back((change > 0 ? rise : -rise) / delta);
    }
  }
  const auto table = Statistics(d.Read("morris.csv"));
  for (const char* name : {"SoilWhc", "Ks", "Depth", "Celerity"}) {
    const std::vector<double>& e = effects[std::string("mean_flow,") + name];
    double mu = 0, muStar = 0;
    for (double x : e) {
      mu += x / e.size();
      muStar += std::fabs(x) / e.size();
    }
    double squares = 0;
    for (double x : e) squares += (x - mu) * (x - mu);
    const std::vector<double>& s = table.at(std::string("mean_flow,") + name);
    EXPECT_NEAR(s[0], mu, 1e-7 * (1 + std::fabs(mu))) << name;
    EXPECT_NEAR(s[1], muStar, 1e-7 * (1 + muStar)) << name;
    EXPECT_NEAR(s[2], std::sqrt(squares / (e.size() - 1)), 1e-7 * (1 + muStar)) << name;
    EXPECT_EQ(s[3], static_cast<double>(e.size())) << name;
  }
  // Ks enters a product with SoilWhc: its effects differ from trajectory to trajectory.
  EXPECT_GT(table.at("mean_flow,Ks")[2], 0.01);
  EXPECT_EQ(table.at("mean_flow,Celerity")[1], 0.0);  // a parameter the flow ignores
  EXPECT_NE(o.out.find("mean_flow: parameters ranked by mu*\n   1  SoilWhc"), std::string::npos) << o.out;
}

TEST(Morris, ALinearFunctionHasNoSpreadAndItsWeightTimesTheRange) {
  MorrisDir d("linear 2 100 3\n");
  ASSERT_EQ(d.Run("--method morris --trajectories 8").status, 0);
  const auto table = Statistics(d.Read("morris.csv"));
  // A weight of 3 on the multiplier, whose range is 0.5 to 2.
  EXPECT_NEAR(table.at("mean_flow,SoilWhc")[1], 3 * 1.5, 1e-9);
  EXPECT_NEAR(table.at("mean_flow,SoilWhc")[2], 0, 1e-9);
  EXPECT_EQ(table.at("mean_flow,SoilWhc")[3], 8);
  for (const char* name : {"Depth", "Ks", "CurveNum", "Diffusion"}) EXPECT_EQ(table.at(std::string("mean_flow,") + name)[1], 0.0);
  EXPECT_TRUE(std::isnan(table.at("stddev_flow,SoilWhc")[2]) || table.at("stddev_flow,SoilWhc")[1] == 0);
}

TEST(Morris, AKilledStudyResumesToTheSameFiles) {
  MorrisDir whole("linear 2 100 3\nproduct 2 100 3 150 1\n");
  ASSERT_EQ(whole.Run("--method morris --trajectories 4").status, 0);
  MorrisDir killed("linear 2 100 3\nproduct 2 100 3 150 1\n");
  WriteFile(killed.dir / "abort_after_runs", "40");
  EXPECT_NE(killed.Run("--method morris --trajectories 4").status, 0);
  std::filesystem::remove(killed.dir / "abort_after_runs");
  Outcome resumed = killed.Run("--resume --method morris --trajectories 4");
  ASSERT_EQ(resumed.status, 0) << resumed.err;
  for (const char* name : {"morris_design.csv", "morris.csv", "morris_runs.csv"})
    EXPECT_EQ(killed.Read(name), whole.Read(name)) << name;
  // Another seed is another study: its checkpoint is refused.
  WriteFile(killed.dir / "abort_after_runs", "10");
  std::filesystem::remove(killed.dir / "routing_calls");
  killed.Run("--method morris --trajectories 4");
  std::filesystem::remove(killed.dir / "abort_after_runs");
  Outcome other = killed.Run("--resume --method morris --trajectories 4 --seed 2");
  EXPECT_EQ(other.status, 1);
  EXPECT_NE(other.err.find("oat-sensitivity.checkpoint: made for other inputs: the method has changed since"),
            std::string::npos)
      << other.err;
}

// A run left out removes the two effects that use it (the step into it and
// the step out of it) and no other.
TEST(Morris, ARunLeftOutRemovesOnlyTheEffectsThatUseIt) {
  MorrisDir whole("linear 2 100 3\n");
  ASSERT_EQ(whole.Run("--method morris --trajectories 3").status, 0);
  MorrisDir skipped("linear 2 100 3\n");
  WriteFile(skipped.dir / "test_model_faults.txt", "call=5 status 4\n");
  Outcome o = skipped.Run("--method morris --trajectories 3 --on-failure skip");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(skipped.Read("morris_design.csv"), whole.Read("morris_design.csv"));
  const auto design = Csv(whole.Read("morris_design.csv"));
  const std::string into = design[4][2], outOf = design[5][2];  // run 5 is step 4 of trajectory 1
  const auto all = Statistics(whole.Read("morris.csv")), left = Statistics(skipped.Read("morris.csv"));
  for (const char* name : kNames) {
    const double lost = (name == into) + (name == outOf);
    EXPECT_EQ(left.at(std::string("max_flow,") + name)[3], all.at(std::string("max_flow,") + name)[3] - lost) << name;
  }
  EXPECT_NE(skipped.Read("failed_runs.csv").find("\n5,"), std::string::npos);
}

TEST(Morris, TheSameSeedDrawsTheSameDesignAndTheRandomNumbersAreFixed) {
  DesignRandom a(1), b(1);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(a.Next(), b.Next());
  DesignRandom c(42);
  EXPECT_EQ(c.Next(), 1546998764402558742ull);  // the sequence the code fixes, on every platform
  for (int i = 0; i < 1000; ++i) EXPECT_LT(c.Below(7), 7u);
}

}  // namespace
