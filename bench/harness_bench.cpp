// Throughput of the two hot paths of every model run: reading "streamflow.txt"
// (36,500 lines x 200 value columns, 50 fluxes) and writing the model files of
// 20,000 subbasins, each against the floor of moving the same bytes with one
// fread or fwrite. Run it from an empty scratch directory; it writes its files there.

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdio>
#include <string>

#include "best_seconds.h"
#include "checked_files.h"
#include "stop.h"
#include "model_run.h"
#include "number_format.h"
#include "objectives.h"
#include "streamflow.h"
#include "text.h"

namespace {

void Write(const char* path, const std::string& text) {
  File f(std::fopen(path, "wb"));
  std::fwrite(text.data(), 1, text.size(), f.get());
}

void Report(const char* what, double bytes, double seconds, double floorSeconds) {
  std::printf("%-34s %8.1f MB/s   floor %8.1f MB/s   ratio %.2f\n", what, bytes / seconds / 1e6,
              bytes / floorSeconds / 1e6, seconds / floorSeconds);
}

void BenchReading() {
  const int lines = 36500, columns = 200, fluxes = 50;
  std::string text = "Day";
  for (int c = 1; c <= columns; ++c) text += " Q" + std::to_string(c);
  text += '\n';
  char value[32];
  for (int t = 1; t <= lines; ++t) {
    text += std::to_string(t);
    for (int c = 1; c <= columns; ++c) {
      std::snprintf(value, sizeof value, " %.3f,", (t * 7 + c * 13) % 10007 / 7.0);
      text += value;
    }
    text += '\n';
  }
  Write(kStreamflowFile, text);
  CalibrationSettings s;
  s.nsteps = lines;
  s.nflux = fluxes;
  s.fluxColumns = IntVector(fluxes);
  for (int i = 0; i < fluxes; ++i) s.fluxColumns[i] = i == 0 ? 1 : 4;
  DoubleMatrix flows(lines, fluxes);
  double readSeconds = BestSeconds([&] { ReadSimulatedFlows(s, flows); });
  std::string copy;
  double floorSeconds = BestSeconds([&] { ReadFileText(kStreamflowFile, copy); });
  Report("ReadSimulatedFlows", static_cast<double>(text.size()), readSeconds, floorSeconds);
}

void BenchWriting() {
  const int nsub = 20000;
  std::string basin = "header\n", river = "header\n";
  for (int i = 1; i <= nsub; ++i) {
    basin += FormatString("%d,%.1f,%.1f,%d,%.3f,%.1f,%.1f,%.4f,%.1f,%.1f,%.2f,%.3f,%.2f,%.2f,%d\n", i,
                          120.0 + i % 97, 150.0, 1 + i % 3, 0.5 + (i % 11) * 0.1, 100.0 + i % 300, 4.0,
                          0.085, 35.0, 68.0, 0.03, 0.04, 0.8, 0.3, 2);
    river += FormatString("%d,%.1f,%.1f,%.4f,%.1f,%d,%.3f,%.1f,%.1f,%d,%d,%d,%.1f,%.1f,%.1f,%.1f,%d\n", i,
                          100.0 + i % 300, 500.0 + i, 0.004, 28.5, i + 1, 0.045, 0.0, 0.1, 0, 0, 0, 1.2,
                          800.0, 12.0, 8.0, 1);
  }
  Write("basin_original.txt", basin);
  Write("river_original.txt", river);
  Write("whichModel.txt", "x\n1\n3\n");
  std::string table = "No,Name,Default,Lower,Upper,OptIdx,Description\n";
  for (int m = 1; m <= 20; ++m) table += std::to_string(m) + ",P,1,0.5,2," + (m % 3 ? "1" : "0") + ",d\n";
  Write("parameter.in", table);
  CalibrationSettings s;
  s.nsub = nsub;
  ParameterSet set(20);
  for (int m = 0; m < 20; ++m) set[m] = 1.1;
  RunFiles files;
  double writeSeconds = BestSeconds([&] { WriteModelFiles(set, s, files); });
  std::string written, part;
  ReadFileText("basin.txt", written);
  ReadFileText("river.txt", part);
  written += part;
  double floorSeconds = BestSeconds([&] { Write("floor.txt", written); });
  Report("WriteModelFiles (incl. reading)", static_cast<double>(written.size()), writeSeconds, floorSeconds);
  double formatSeconds = BestSeconds([&] {
    std::string out;
    for (const SubbasinRecord& b : s.subbasins) AppendBasinLine(out, b);
    for (const ReachRecord& r : s.reaches) AppendReachLine(out, r);
    Write("format.txt", out);
  });
  Report("  formatting and writing alone", static_cast<double>(written.size()), formatSeconds, floorSeconds);
}

// One ensemble run of 3,650 steps, 5 fluxes and 100 subbasins, piece by piece.
void BenchEnsembleRunParts() {
  const int steps = 3650, nsub = 100, fluxes = 5;
  std::string flows = "Day";
  for (int c = 1; c <= nsub; ++c) flows += " Q" + std::to_string(c);
  flows += '\n';
  for (int t = 1; t <= steps; ++t) {
    flows += std::to_string(t) + ",";
    for (int c = 1; c <= nsub; ++c) flows += FormatString(" %.3f,", (t * 7 + c * 13) % 10007 / 7.0);
    flows += '\n';
  }
  Write(kStreamflowFile, flows);
  std::string basin = "header\n", river = "header\n";
  for (int i = 1; i <= nsub; ++i) {
    basin += FormatString("%d,150.0,150.0,2,0.500,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n", i);
    river += FormatString("%d,212.0,212.0,0.0042,28.5,%d,0.045,0.0,0.1,0,0,0,1.2,800.0,12.0,8.0,1\n", i, i + 1);
  }
  Write("basin_original.txt", basin);
  Write("river_original.txt", river);
  CalibrationSettings s;
  s.nsub = nsub;
  s.nsteps = steps;
  s.nflux = fluxes;
  s.objectiveKind = 1;
  s.fluxColumns = IntVector(fluxes);
  for (int i = 0; i < fluxes; ++i) s.fluxColumns[i] = i == 0 ? 1 : 24;
  ParameterSet set(20);
  for (int m = 0; m < 20; ++m) set[m] = 1.1;
  DoubleMatrix simulated(steps, fluxes), observed(steps, fluxes);
  observed.Fill(3.0);
  DoubleVector objectives(fluxes);
  RunFiles files;
  double write = BestSeconds([&] { WriteModelFiles(set, s, files); }, 20);
  double read = BestSeconds([&] { ReadSimulatedFlows(s, simulated); }, 20);
  double score = BestSeconds([&] { EvaluateObjective(s, simulated, observed, objectives); }, 20);
  std::printf("one ensemble run (100 subbasins, %zu bytes of flows): write model files %.3f ms, "
              "read flows %.3f ms, score %.3f ms\n",
              flows.size(), write * 1e3, read * 1e3, score * 1e3);
}

}  // namespace

int main() {
  BenchReading();
  BenchWriting();
  BenchEnsembleRunParts();
  return 0;
}
