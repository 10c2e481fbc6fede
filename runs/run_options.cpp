#include "run_options.h"

#include <filesystem>

#include "version.h"

namespace {

struct OptionSpec {
  const char* name;
  const char* value;  // the value's name in the help, nullptr for a flag
  int programs;       // ProgramKind bits
  const char* help;
  void (*set)(RunOptions& options, const std::string& value);
};

constexpr int kBoth = static_cast<int>(ProgramKind::Ensemble) | static_cast<int>(ProgramKind::Oat);

const OptionSpec kOptions[] = {
    {"--resume", nullptr, kBoth, "continue a study after the last run its checkpoint holds",
     [](RunOptions& o, const std::string&) { o.resume = true; }},
    {"--worker-root", "DIR", kBoth, "where parallel workers get their private folders",
     [](RunOptions& o, const std::string& v) { o.workerRoot = v; }},
    {"--help", nullptr, kBoth, "print this help and exit (also -h)",
     [](RunOptions& o, const std::string&) { o.help = true; }},
    {"--version", nullptr, kBoth, "print the version and exit",
     [](RunOptions& o, const std::string&) { o.version = true; }},
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
    spec->set(options, value);
  }
  return true;
}

std::string UsageLine(ProgramKind program) {
  std::string line = std::string("usage: ") + ProgramName(program);
  for (const OptionSpec& s : kOptions) {
    if (!Takes(s, program) || std::string(s.name) == "--help" || std::string(s.name) == "--version") continue;
    line += std::string(" [") + s.name + (s.value ? std::string(" ") + s.value : "") + "]";
  }
  if (program == ProgramKind::Ensemble) line += " RUN_CONTROL_FILE";
  return line + "\n";
}

std::string HelpText(ProgramKind program) {
  std::string text = UsageLine(program);
  text += program == ProgramKind::Ensemble
              ? "Runs the model once per calibrated parameter set, keeps the lowest, highest and average flow per\n"
                "station and time step, re-runs the set of middle rank and writes the series, bounds and\n"
                "statistics files named in RUN_CONTROL_FILE.\n"
              : "Designs and runs a one-at-a-time sensitivity experiment (20 parameters x 20 fractions) in the\n"
                "working directory and writes OAT.txt, parameter.in, SensAnalysis.txt and SArunOutput.txt.\n";
  text += "options:\n";
  for (const OptionSpec& s : kOptions) {
    if (!Takes(s, program)) continue;
    std::string left = std::string("  ") + s.name + (s.value ? std::string(" ") + s.value : "");
    if (left.size() < 24) left.append(24 - left.size(), ' ');
    text += left + s.help + "\n";
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
