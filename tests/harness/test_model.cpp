// A tiny model library for the tests. Every entry point appends its name to
// "model_calls.log". The routing entries write "streamflow.txt" from
// "streamflow.source": the header and labels as they are, every number
// multiplied by the first subbasin's Soilwhc in "basin.txt" divided by 100
// (the run's flow factor), so that different parameter sets give different
// flows. Without "streamflow.source" no flows are written. When
// "balfiles.txt" names a fourth file, the balance entries write it (the
// model's own intermediate output).
//
// Faults, for the failure paths of the toolkit:
// - "abort_after_runs" holding N: the routing call after the N-th of this
//   working directory aborts the process.
// - "no_flows_at_factor" holding F: a run whose flow factor is F writes no flows.
// - "flow_function.txt": the flow factor as a function of the first
//   subbasin's fields in "basin.txt" (columns counted from 1): lines
//   "linear COLUMN SOURCE WEIGHT" add WEIGHT x field / SOURCE, lines
//   "product COLUMN SOURCE COLUMN SOURCE WEIGHT" add WEIGHT times the product
//   of the two ratios.
// - "test_model_faults.txt": one fault a line, "WHEN ACTION [ARGUMENT] [once=PATH]".
//   WHEN is "call=N" (the N-th routing call of this working directory),
//   "factor=F" (every run whose flow factor is F) or "any". ACTION is
//   "status N" (the routing stage sets status N and writes no flows),
//   "balance-status N" (the balance stage does), "garbage" (flows written as
//   words), "sleep MS", "crash" (a segmentation fault), "abort", "exit" (the
//   process calls exit(0)), "hang" (sleeps for an hour) or "noflows". With
//   "once=PATH" the fault happens only while PATH does not exist, and makes it.
// Built with TEST_MODEL_WITHOUT_LAGROUTE the LAGROUTE entry is missing.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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

// The fields of the first subbasin's row of "basin.txt", column 1 first.
std::vector<double> FirstBasinFields() {
  std::ifstream basin("basin.txt");
  std::string header, row;
  std::vector<double> fields;
  if (!std::getline(basin, header) || !std::getline(basin, row)) return fields;
  std::istringstream values(row);
  std::string field;
  while (std::getline(values, field, ',')) fields.push_back(std::atof(field.c_str()));
  return fields;
}

double FlowFactor() {
  const std::vector<double> fields = FirstBasinFields();
  if (fields.size() < 2) return 1.0;
  std::ifstream function("flow_function.txt");
  if (!function) return fields[1] / 100.0;
  auto ratio = [&](size_t column, double source) { return column >= 1 && column <= fields.size() ? fields[column - 1] / source : 0.0; };
  double factor = 0;
  std::string kind;
  while (function >> kind) {
    size_t a = 0, b = 0;
    double sourceA = 1, sourceB = 1, weight = 0;
    if (kind == "linear" && function >> a >> sourceA >> weight) factor += weight * ratio(a, sourceA);
    if (kind == "product" && function >> a >> sourceA >> b >> sourceB >> weight)
      factor += weight * ratio(a, sourceA) * ratio(b, sourceB);
  }
  return factor;
}

// The number of this routing call in the working directory (counted in "routing_calls").
int CountRoutingCall() {
  int calls = 0;
  std::ifstream("routing_calls") >> calls;
  std::ofstream("routing_calls") << ++calls;
  return calls;
}

struct Fault {
  std::string action;
  double argument = 0;
};

// The fault of this call, if one applies.
Fault FaultFor(int call, bool routing) {
  std::ifstream faults("test_model_faults.txt");
  std::string line;
  while (std::getline(faults, line)) {
    std::istringstream words(line);
    std::string when, action, word, once;
    double argument = 0;
    words >> when >> action;
    while (words >> word) {
      if (word.rfind("once=", 0) == 0)
        once = word.substr(5);
      else
        argument = std::atof(word.c_str());
    }
    bool applies = when == "any" || (when.rfind("call=", 0) == 0 && std::atoi(when.c_str() + 5) == call) ||
                   (when.rfind("factor=", 0) == 0 && std::atof(when.c_str() + 7) == FlowFactor());
    if (!applies || (action == "balance-status") == routing) continue;
    if (!once.empty()) {
      if (std::ifstream(once)) continue;
      std::ofstream(once) << "done\n";
    }
    return Fault{action, argument};
  }
  return Fault{};
}

// Carries out a fault that ends or stalls the call; returns a status to set, or 0.
int Carry(const Fault& fault) {
  if (fault.action == "sleep") std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<long>(fault.argument)));
  if (fault.action == "hang") std::this_thread::sleep_for(std::chrono::hours(1));
  if (fault.action == "crash") std::raise(SIGSEGV);
  if (fault.action == "abort") std::abort();
  if (fault.action == "exit") std::exit(0);
  if (fault.action == "status" || fault.action == "balance-status") {
    std::fprintf(stderr, "test model: failing with status %d\n", static_cast<int>(fault.argument));
    return static_cast<int>(fault.argument);
  }
  return 0;
}

// Counts the routing calls in "routing_calls" and aborts past the allowed number.
void AbortWhenAsked(int calls) {
  std::ifstream limitFile("abort_after_runs");
  int limit = 0;
  if (!(limitFile >> limit)) return;
  if (calls > limit) std::abort();
}

void WriteFlows(bool garbage) {
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
        token = garbage ? "#garbage#" : buf;
      }
      out << (label ? "" : " ") << token;
      label = false;
    }
    out << '\n';
  }
}

// The balance stage writes the fourth file of "balfiles.txt", when there is one.
int Balance(const char* name) {
  LogCall(name);
  int calls = 0;
  std::ifstream("routing_calls") >> calls;
  if (int status = Carry(FaultFor(calls + 1, false))) return status;
  std::ifstream list("balfiles.txt");
  std::string file;
  for (int i = 0; i < 4 && std::getline(list, file); ++i) {
  }
  if (list && !file.empty()) std::ofstream(file) << "runoff of flow factor " << FlowFactor() << "\n";
  return 0;
}

int Route(const char* name) {
  LogCall(name);
  const int call = CountRoutingCall();
  AbortWhenAsked(call);
  const Fault fault = FaultFor(call, true);
  if (int status = Carry(fault)) return status;
  if (fault.action != "noflows") WriteFlows(fault.action == "garbage");
  return 0;
}

}  // namespace

MODEL_EXPORT void ONELAYERBALANCE(const char*, int, int* status) { *status = Balance("ONELAYERBALANCE"); }
MODEL_EXPORT void twolayerbalance(const char*, int, int* status) { *status = Balance("twolayerbalance"); }
MODEL_EXPORT void DIFFROUTE(const char*, int, int* status) { *status = Route("DIFFROUTE"); }
MODEL_EXPORT void cungeroute(const char*, int, int* status) { *status = Route("cungeroute"); }
#ifndef TEST_MODEL_WITHOUT_LAGROUTE
MODEL_EXPORT void LAGROUTE(const char*, int, int* status) { *status = Route("LAGROUTE"); }
#endif
