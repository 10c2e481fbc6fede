#pragma once
// The failure report of the two model-driving programs.

#include <functional>

// Runs a program's body and returns its exit status. What escapes it is
// reported on standard error: a stop exactly as specified, an input error as
// "path:line: what", a failed run with its number, its job (named `jobName`)
// and its worker folder, anything else as "PROGRAM: what"; each gives its
// exit status (1 unless a stop says otherwise).
int RunReportingFailures(const char* program, const char* jobName, const std::function<int()>& body);
