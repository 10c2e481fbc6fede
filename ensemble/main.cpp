// ensemble-runner: runs the model once per calibrated parameter set, keeps the
// bounds and average of the simulated flows, re-runs the set of middle rank
// and writes the series, bounds and statistics files.

#include <cstdio>
#include <string>

#include "calibration_settings.h"
#include "ensemble_driver.h"
#include "fatal.h"
#include "input_error.h"
#include "model_library.h"
#include "objectives.h"
#include "run_control.h"

static int Usage() {
  std::fputs("usage: ensemble-runner RUN_CONTROL_FILE\n", stderr);
  return 1;
}

int main(int argc, char** argv) {
  if (argc != 2 || (argv[1][0] == '-' && argv[1][1] != '\0')) return Usage();
  const std::string controlPath = argv[1];
  try {
    ModelLibrary library;
    ModelEntryPoints entries;
    if (!BindModelLibrary(library, entries)) return 1;
    RunControl control = ParseRunControl(ReadFileOrDie(controlPath), controlPath);
    CalibrationSettings settings;
    settings.nruns = control.nruns;
    ReadCalibrationSettings(settings, control.files);
    if (!ObjectiveOfKind(settings.objectiveKind)) FatalError("OBJECTIVE FUNCTION NOT DEFINED");
    RunEnsemble(settings, control.files, entries);
    return 0;
  } catch (const InputError& e) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
