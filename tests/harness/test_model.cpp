// A tiny model library for the tests. Every entry point appends its name to
// "model_calls.log". The routing entries write "streamflow.txt" from
// "streamflow.source": the header and labels as they are, every number
// multiplied by the first subbasin's Soilwhc in "basin.txt" divided by 100,
// so that different parameter sets give different flows. Without
// "streamflow.source" no flows are written. When "abort_after_runs" holds N,
// the routing call after the N-th of this working directory aborts the process.
// When "no_flows_at_factor" holds F, a run whose flow factor is F writes no flows. Built with TEST_MODEL_WITHOUT_LAGROUTE the LAGROUTE entry is missing.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#if defined(_WIN32)
#define MODEL_EXPORT extern "C" __declspec(dllexport)
#else
#define MODEL_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

void LogCall(const char* name) {
  std::ofstream log("model_calls.log", std::ios::app);
  log << name << '\n';
}

double FlowFactor() {
  std::ifstream basin("basin.txt");
  std::string header, row;
  if (!std::getline(basin, header) || !std::getline(basin, row)) return 1.0;
  size_t comma = row.find(',');
  if (comma == std::string::npos) return 1.0;
  return std::atof(row.c_str() + comma + 1) / 100.0;
}

// Counts the routing calls in "routing_calls" and aborts past the allowed number.
void AbortWhenAsked() {
  std::ifstream limitFile("abort_after_runs");
  int limit = 0;
  if (!(limitFile >> limit)) return;
  int calls = 0;
  std::ifstream("routing_calls") >> calls;
  std::ofstream("routing_calls") << ++calls;
  if (calls > limit) std::abort();
}

void WriteFlows() {
  AbortWhenAsked();
  std::ifstream source("streamflow.source", std::ios::binary);
  if (!source) return;
  const double factor = FlowFactor();
  double failing = 0;
  if (std::ifstream("no_flows_at_factor") >> failing && failing == factor) return;
  std::ofstream out("streamflow.txt");
  std::string line;
  std::getline(source, line);
  out << line << '\n';
  while (std::getline(source, line)) {
    std::istringstream tokens(line);
    std::string token;
    bool label = true;
    while (tokens >> token) {
      char* end = nullptr;
      double v = std::strtod(token.c_str(), &end);
      if (!label && end && *end == '\0' && end != token.c_str()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.6g", v * factor);
        token = buf;
      }
      out << (label ? "" : " ") << token;
      label = false;
    }
    out << '\n';
  }
}

}  // namespace

MODEL_EXPORT void ONELAYERBALANCE(const char*, int, int* status) { LogCall("ONELAYERBALANCE"); *status = 0; }
MODEL_EXPORT void twolayerbalance(const char*, int, int* status) { LogCall("twolayerbalance"); *status = 0; }
MODEL_EXPORT void DIFFROUTE(const char*, int, int* status) { LogCall("DIFFROUTE"); WriteFlows(); *status = 0; }
MODEL_EXPORT void cungeroute(const char*, int, int* status) { LogCall("cungeroute"); WriteFlows(); *status = 0; }
#ifndef TEST_MODEL_WITHOUT_LAGROUTE
MODEL_EXPORT void LAGROUTE(const char*, int, int* status) { LogCall("LAGROUTE"); WriteFlows(); *status = 0; }
#endif
