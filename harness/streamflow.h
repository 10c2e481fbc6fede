#pragma once
// Reading of "streamflow.txt", the model's simulated flows: a header line,
// then one line per time step holding a label and value columns separated by
// white space.

#include <string>
#include <string_view>
#include <vector>

#include "arrays.h"
#include "calibration_settings.h"

// Stands for a flow that the model wrote as missing.
constexpr double kMissingFlow = 9999999.0;

// One token's flow: a real number (one closing comma allowed) passed through
// single precision; kMissingFlow for the model's missing-value words, a lone
// comma, 9999999 itself and anything not finite. False for anything else (a
// model that wrote garbage).
bool StreamflowTokenValue(std::string_view token, double& value);

// Reads `rows` data lines and, from each, the tokens at the given columns
// (counted after the label: column 1 is the first value) into
// out[row * columns.size() + k]. `columns` must not decrease. Throws
// InputError for a line too short, a token that is no flow, or a file with
// too few lines (naming `rowsFrom`, the setting the row count comes from,
// when it is given).
void ScanStreamflowColumns(std::string_view text, const std::string& path, int rows,
                           const std::vector<int>& columns, double* out, const std::string& rowsFrom = "");

// The absolute column of every flux: the running sum of fluxColumns.
std::vector<int> FluxColumnPositions(const CalibrationSettings& settings);

// Fills the nsteps x nflux matrix from the text of "streamflow.txt".
void ParseSimulatedFlows(std::string_view text, const std::string& path, const CalibrationSettings& settings,
                         DoubleMatrix& simulated, const std::string& rowsFrom = "");

// The text of "streamflow.txt", valid until the next call; a file that
// cannot be opened stops the program through FailWithBanner.
const std::string& ReadStreamflowText();

// Reads "streamflow.txt" of the working directory into `simulated`; a file
// that cannot be opened stops the program through FailWithBanner.
void ReadSimulatedFlows(const CalibrationSettings& settings, DoubleMatrix& simulated,
                        const std::string& rowsFrom = "");
