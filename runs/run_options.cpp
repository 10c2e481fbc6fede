#include "run_options.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "text.h"

#include "version.h"

namespace {

struct OptionSpec {
  const char* name;
  const char* value;  // the value's name in the help, nullptr for a flag
  int programs;       // ProgramKind bits
  const char* help;   // nullptr: an option of the program's own workers, not shown
  // Takes the value; returns what is wrong with it, or "".
  std::string (*set)(RunOptions& options, const std::string& value);
};

constexpr int kBoth = static_cast<int>(ProgramKind::Ensemble) | static_cast<int>(ProgramKind::Oat);

std::string SetWholeNumber(const std::string& value, int& to, const char* what) {
  int n = 0;
  size_t used = 0;
  if (!ParseLeadingInt(value, n, &used) || used != value.size() || n < 0) return std::string("needs ") + what;
  to = n;
  return "";
}

std::string SetTimeout(RunOptions& o, const std::string& v) {
  o.isolate = true;  // only a run in a process of its own can be ended
  if (v == "auto") {
    o.autoRunTimeout = true;
    return "";
  }
  double seconds = 0;
  size_t used = 0;
  if (!ParseRealPrefix(v, seconds, &used) || used != v.size() || !(seconds > 0) || !std::isfinite(seconds))
    return "needs a number of seconds above 0, or auto";
  o.runTimeout = seconds;
  return "";
}

constexpr int kOat = static_cast<int>(ProgramKind::Oat);

std::string SetAtLeast(const std::string& value, int& to, int least, const char* what) {
  int n = 0;
  size_t used = 0;
  if (!ParseLeadingInt(value, n, &used) || used != value.size() || n < least) return std::string("needs ") + what;
  to = n;
  return "";
}

constexpr int kEnsemble = static_cast<int>(ProgramKind::Ensemble);

// A whole decimal number (no exponent, no hex, no "inf" or "nan").
bool ParsePlainNumber(const std::string& text, double& value) {
  size_t used = 0;
  if (text.empty() || text.find_first_not_of("+-.0123456789") != std::string::npos) return false;
  return ParseRealPrefix(text, value, &used) && used == text.size() && std::isfinite(value);
}

std::string SetBand(RunOptions& o, const std::string& v) {
  const size_t comma = v.find(',');
  double low = 0, high = 0;
  if (comma == std::string::npos || !ParsePlainNumber(v.substr(0, comma), low) ||
      !ParsePlainNumber(v.substr(comma + 1), high) || !(low >= 0 && low < high && high <= 100))
    return "needs two percentiles P_LOW,P_HIGH with 0 <= P_LOW < P_HIGH <= 100, such as 2.5,97.5";
  o.band = true;
  o.bandLow = low;
  o.bandHigh = high;
  o.bandText = v;
  return "";
}

std::string SetBehavioural(RunOptions& o, const std::string& v) {
  const std::string problem = "needs top:SHARE% (0 < SHARE <= 100) or objective<=VALUE";
  BehaviouralRule rule;
  rule.text = v;
  if (v.rfind("top:", 0) == 0 && v.size() > 5 && v.back() == '%') {
    rule.kind = BehaviouralRule::Kind::TopShare;
    if (!ParsePlainNumber(v.substr(4, v.size() - 5), rule.value) || !(rule.value > 0 && rule.value <= 100))
      return problem;
  } else if (v.rfind("objective<=", 0) == 0) {
    rule.kind = BehaviouralRule::Kind::AtMost;
    if (!ParsePlainNumber(v.substr(11), rule.value)) return problem;
  } else {
    return problem;
  }
  o.behavioural = rule;
  return "";
}

std::string SetUnits(RunOptions& o, const std::string& v) {
  for (char c : v)
    if (static_cast<unsigned char>(c) < 0x20 || c == ',') return "needs a text without commas or line breaks";
  o.units = v;
  return "";
}

const OptionSpec kOptions[] = {
    {"--resume", nullptr, kBoth, "continue a study after the last run its checkpoint holds",
     [](RunOptions& o, const std::string&) { o.resume = true; return std::string(); }},
    {"--worker-root", "DIR", kBoth, "where workers get their private folders",
     [](RunOptions& o, const std::string& v) { o.workerRoot = v; return std::string(); }},
    {"--isolate", nullptr, kBoth, "make every run in a worker process of its own (a crash ends that run only)",
     [](RunOptions& o, const std::string&) { o.isolate = true; return std::string(); }},
    {"--run-timeout", "SECONDS", kBoth, "end a run that takes longer (auto: 10 x the median of the first 10 runs)",
     SetTimeout},
    {"--retries", "N", kBoth, "try a failed run N more times before it counts as failed",
     [](RunOptions& o, const std::string& v) { return SetWholeNumber(v, o.retries, "a whole number from 0"); }},
    {"--on-failure", "stop|skip", kBoth, "stop at a failed run (the default), or leave it out and go on",
     [](RunOptions& o, const std::string& v) {
       if (v != "stop" && v != "skip") return std::string("needs stop or skip");
       o.skipFailed = v == "skip";
       return std::string();
     }},
    {"--retry-failed", nullptr, kBoth, "with --resume: make the runs that failed before again",
     [](RunOptions& o, const std::string&) { o.retryFailed = true; return std::string(); }},
    {"--progress", nullptr, kBoth, "a progress line on standard error every 30 s",
     [](RunOptions& o, const std::string&) { o.progress = true; return std::string(); }},
    {"--method", "oat|morris", kOat, "the design: one parameter at a time (oat, the default) or Morris screening",
     [](RunOptions& o, const std::string& v) {
       if (v != "oat" && v != "morris") return std::string("needs oat or morris");
       o.morris = v == "morris";
       return std::string();
     }},
    {"--trajectories", "R", kOat, "Morris: trajectories of 21 runs each (20)",
     [](RunOptions& o, const std::string& v) { return SetAtLeast(v, o.trajectories, 1, "a whole number from 1"); }},
    {"--levels", "P", kOat, "Morris: levels of the grid, an even number (4)",
     [](RunOptions& o, const std::string& v) {
       std::string problem = SetAtLeast(v, o.levels, 2, "an even whole number from 2");
       if (problem.empty() && o.levels % 2 != 0) problem = "needs an even whole number from 2";
       return problem;
     }},
    {"--seed", "S", kOat, "Morris: the seed of the design and of the bootstrap (1)",
     [](RunOptions& o, const std::string& v) {
       char* end = nullptr;
       const unsigned long long seed = std::strtoull(v.c_str(), &end, 10);
       if (v.empty() || v[0] == '-' || !end || *end != '\0') return std::string("needs a whole number from 0");
       o.seed = seed;
       return std::string();
     }},
    {"--bootstrap", "B", kOat, "Morris: resamples for the confidence of mu* (1000)",
     [](RunOptions& o, const std::string& v) { return SetAtLeast(v, o.bootstrap, 0, "a whole number from 0"); }},
    {"--observed", "FILE", kOat, "Morris: observed flows (as ensemble-runner reads them) for the NSE and KGE",
     [](RunOptions& o, const std::string& v) { o.observedFile = v; return std::string(); }},
    {"--metrics-per-run", nullptr, kEnsemble, "write the fit measures of every run to run_metrics.csv",
     [](RunOptions& o, const std::string&) { o.metricsPerRun = true; return std::string(); }},
    {"--band", "P_LOW,P_HIGH", kEnsemble, "write band.csv: these percentiles and the median of the runs per step",
     SetBand},
    {"--behavioural", "EXPR", kEnsemble, "run only the sets top:10% or objective<=VALUE (first flux, smaller is better)",
     SetBehavioural},
    {"--start-date", "YYYY-MM-DD", kEnsemble, "the date of step 1, for the date column of the tidy files",
     [](RunOptions& o, const std::string& v) {
       return ParseIsoDate(v, o.startDate) ? std::string() : std::string("needs a date YYYY-MM-DD");
     }},
    {"--units", "TEXT", kEnsemble, "the unit of the flows, such as m3/s, for the tidy files and the pictures",
     SetUnits},
    {"--serve-runs", "FOLDER", kBoth, nullptr,
     [](RunOptions& o, const std::string& v) { o.serveRuns = v; return std::string(); }},
    {"--help", nullptr, kBoth, "print this help and exit (also -h)",
     [](RunOptions& o, const std::string&) { o.help = true; return std::string(); }},
    {"--version", nullptr, kBoth, "print the version and exit",
     [](RunOptions& o, const std::string&) { o.version = true; return std::string(); }},
};

const char* ProgramName(ProgramKind program) {
  return program == ProgramKind::Ensemble ? "ensemble-runner" : "oat-sensitivity";
}

bool Takes(const OptionSpec& spec, ProgramKind program) { return (spec.programs & static_cast<int>(program)) != 0; }

}  // namespace

bool ParseRunOptions(int argc, char** argv, ProgramKind program, RunOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "-h") a = "--help";
    if (a.size() < 2 || a[0] != '-') {
      options.arguments.push_back(a);
      continue;
    }
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& s : kOptions)
      if (a == s.name && Takes(s, program)) spec = &s;
    if (!spec) {
      error = "unknown option " + a;
      return false;
    }
    std::string value;
    if (spec->value) {
      if (i + 1 >= argc) {
        error = a + " needs " + (std::string(spec->value) == "DIR" ? "a directory" : std::string("a value"));
        return false;
      }
      value = argv[++i];
    }
    const std::string problem = spec->set(options, value);
    if (!problem.empty()) {
      error = a + " " + problem + ", found " + QuoteToken(value);
      return false;
    }
  }
  if (options.retryFailed && !options.resume) {
    error = "--retry-failed goes with --resume";
    return false;
  }
  return true;
}

bool AnswerCommandLine(int argc, char** argv, ProgramKind program, bool printing, RunOptions& options, int& status,
                       const std::function<std::string(const RunOptions&)>& checkArguments) {
  std::string error;
  const bool parsed = ParseRunOptions(argc, argv, program, options, error);
  if (parsed && (options.help || options.version)) {
    if (printing) std::fputs((options.help ? HelpText(program) : VersionText(program)).c_str(), stdout);
    status = 0;
    return true;
  }
  if (parsed) error = checkArguments(options);
  if (error.empty()) return false;
  if (printing) std::fprintf(stderr, "%s: %s\n%s", ProgramName(program), error.c_str(), UsageLine(program).c_str());
  status = 1;
  return true;
}

std::string UsageLine(ProgramKind program) {
  return std::string("usage: ") + ProgramName(program) + " [OPTIONS]" +
         (program == ProgramKind::Ensemble ? " RUN_CONTROL_FILE" : "") + " (--help lists the options)\n";
}

std::string HelpText(ProgramKind program) {
  std::string text = std::string("usage: ") + ProgramName(program) + " [OPTIONS]" +
                     (program == ProgramKind::Ensemble ? " RUN_CONTROL_FILE" : "") + "\n";
  text += program == ProgramKind::Ensemble
              ? "Runs the model once per calibrated parameter set, keeps the lowest, highest and average flow per\n"
                "station and time step, re-runs the set of middle rank and writes the series, bounds and\n"
                "statistics files named in RUN_CONTROL_FILE.\n"
              : "Designs and runs a one-at-a-time sensitivity experiment (20 parameters x 20 fractions) in the\n"
                "working directory and writes OAT.txt, parameter.in, SensAnalysis.txt and SArunOutput.txt;\n"
                "with --method morris a Morris screening that writes morris_design.csv, morris_runs.csv and\n"
                "morris.csv.\n";
  text += "options:\n";
  auto left = [](const OptionSpec& s) { return std::string("  ") + s.name + (s.value ? std::string(" ") + s.value : ""); };
  size_t width = 0;  // the help texts start in one column, two spaces after the longest option
  for (const OptionSpec& s : kOptions)
    if (Takes(s, program) && s.help) width = std::max(width, left(s).size() + 2);
  for (const OptionSpec& s : kOptions) {
    if (!Takes(s, program) || !s.help) continue;
    std::string line = left(s);
    line.append(width - line.size(), ' ');
    text += line + s.help + "\n";
  }
  return text;
}

std::string VersionText(ProgramKind program) {
  return std::string(ProgramName(program)) + " " + kToolkitVersion + "\n";
}

std::string DefaultWorkerRoot() {
  std::filesystem::path cwd = std::filesystem::current_path();
  return cwd.string() + ".workers";
}
