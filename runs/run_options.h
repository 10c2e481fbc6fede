#pragma once
// Command-line options of the two model-driving programs, described once in
// a table that the parser and the help text both walk.

#include <functional>
#include <string>
#include <vector>

#include "civil_date.h"

// Which program takes an option.
enum class ProgramKind { Ensemble = 1, Oat = 2 };

// Which parameter sets a study runs: all, the best share of them, or those
// whose first-flux objective value is at most a limit (smaller is better).
struct BehaviouralRule {
  enum class Kind { All, TopShare, AtMost } kind = Kind::All;
  double value = 0;  // the share in percent, or the limit
  std::string text;  // as given
};

struct RunOptions {
  bool help = false;          // -h, --help
  bool version = false;       // --version
  bool resume = false;        // --resume: continue after the last run of the checkpoint
  std::string workerRoot;     // --worker-root DIR: where workers get their folders
  bool isolate = false;       // --isolate: every run in a worker process of its own
  double runTimeout = 0;      // --run-timeout SECONDS (0: none)
  bool autoRunTimeout = false;  // --run-timeout auto
  int retries = 0;            // --retries N
  bool skipFailed = false;    // --on-failure skip
  bool progress = false;      // --progress
  bool retryFailed = false;   // --retry-failed
  std::string serveRuns;      // --serve-runs FOLDER: this process is an isolated worker
  // oat-sensitivity's design: --method oat|morris and the Morris settings
  bool morris = false;
  int trajectories = 20;      // --trajectories R
  int levels = 4;             // --levels P
  unsigned long long seed = 1;  // --seed S
  int bootstrap = 1000;       // --bootstrap B
  std::string observedFile;   // --observed FILE
  // ensemble-runner's fit measures and bands
  bool metricsPerRun = false;  // --metrics-per-run: run_metrics.csv
  bool band = false;           // --band P_LOW,P_HIGH: band.csv of these percentiles
  double bandLow = 0, bandHigh = 100;
  std::string bandText;        // as given, for the checkpoint and the files' comments
  BehaviouralRule behavioural; // --behavioural top:N%|objective<=VALUE
  CivilDate startDate;         // --start-date YYYY-MM-DD (year 0: none)
  std::string units;           // --units TEXT
  std::vector<std::string> arguments;  // what is not an option, in order
};

// Parses argv[1..] for `program`; returns false (with `error` set) for an
// unknown option, an option of the other program or an option without its value.
bool ParseRunOptions(int argc, char** argv, ProgramKind program, RunOptions& options, std::string& error);

// Parses the command line and answers what needs no work: --help and
// --version on standard output, an unknown option or bad arguments with a
// line on standard error and the usage line (`printing`: this process is the
// one that speaks). Returns true with the exit status in `status` when the
// program is done; false when it goes on with `options`. `checkArguments`
// says what is wrong with the plain arguments, or "".
bool AnswerCommandLine(int argc, char** argv, ProgramKind program, bool printing, RunOptions& options, int& status,
                       const std::function<std::string(const RunOptions&)>& checkArguments);

// "usage: PROGRAM [OPTIONS...] ARGUMENTS" as one line with its line end.
std::string UsageLine(ProgramKind program);

// The usage line, what the program does and one line per option.
std::string HelpText(ProgramKind program);

// "PROGRAM VERSION" and a line end.
std::string VersionText(ProgramKind program);

// The default worker root: the working directory's path with ".workers" appended.
std::string DefaultWorkerRoot();
