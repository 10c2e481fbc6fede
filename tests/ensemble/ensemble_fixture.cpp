#include "ensemble_fixture.h"

#include <cstdio>

using namespace testing_support;

EnsembleFixture::EnsembleFixture(const std::vector<double>& multipliers, int nflux, int kind,
                                 int threshold) {
  InstallModel(dir.path(), TEST_MODEL_PATH);
  std::string columns;
  for (int i = 0; i < nflux; ++i) columns += "1,";
  Write("run.txt", std::to_string(multipliers.size()) +
                       " runs of the test\nobs.csv sets.csv objectives.csv\nseries.csv stats.csv "
                       "bounds.csv\nbal.txt moscem.txt table.in basin.txt river.txt\n"
                       "basin_original.txt river_original.txt spare1 spare2 whichModel.txt\n");
  Write("moscem.txt", std::to_string(nflux) + "\n1\n3\n" + std::to_string(kind) + "\n" +
                          std::to_string(threshold) + "\ncolumns\n" + columns + "\n");
  // Three subbasins: the model writes one flow column each.
  Write("bal.txt", "title\n3\nx\nx\n3 subbasins\n");
  std::string table = "No,Name,Default,Lower,Upper,OptIdx,Description\n1,SoilWhc,1,0.5,2,1,\n";
  for (int m = 2; m <= 20; ++m) table += std::to_string(m) + ",P,1,0.5,2,0,\n";
  Write("table.in", table);
  std::string basins = "h\n", rivers = "h\n";
  for (int id = 1; id <= 3; ++id) {
    basins += std::to_string(id) + ",100.0,150.0,2,0.500,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n";
    rivers += std::to_string(id) + ",212.0,212.0,0.0042,28.5,0,0.045,0.0,0.1,0,0,0,1.2,800.0,12.0,8.0,1\n";
  }
  Write("basin_original.txt", basins);
  Write("river_original.txt", rivers);
  Write("whichModel.txt", "Model Index\n1\n3\n");
  Write("streamflow.source", "Day Q1 Q2 Q3\n1 10 20 5\n2 30 40 5\n3 50 60 5\n");
  std::string obs = "Day,S1,S2,S3\n1,10,20,5,\n2,30,40,5,\n3,50,60,5,\n";
  Write("obs.csv", obs);
  std::string sets = "No,multipliers\n", objectives = "No,objectives\n";
  for (size_t k = 0; k < multipliers.size(); ++k) {
    char value[32];
    std::snprintf(value, sizeof value, "%g", multipliers[k]);
    sets += std::to_string(k + 1) + "," + value + ",";
    for (int m = 2; m <= 20; ++m) sets += "1,";
    sets += "\n";
    objectives += std::to_string(k + 1) + "," + std::to_string(k + 1) + ".5,7,7,\n";
  }
  Write("sets.csv", sets);
  Write("objectives.csv", objectives);
}

void EnsembleFixture::Write(const std::string& name, const std::string& text) const {
  WriteFile(dir / name, text);
}

std::string EnsembleFixture::Read(const std::string& name) const { return ReadFile(dir / name); }

Outcome EnsembleFixture::Run(const std::string& arguments) const {
  return RunProgram(dir.path(), ENSEMBLE_RUNNER_PATH, arguments);
}
