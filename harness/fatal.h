#pragma once
// The two ways a model-driving program stops, and the open-or-stop helper.

#include <stdexcept>
#include <string>

#include "file_handle.h"

// In a parallel worker a stop must not end the process: FatalError and
// FailWithBanner then throw this, carrying their message, instead.
struct StopRequested : std::runtime_error {
  using std::runtime_error::runtime_error;
};
void SetStopsThrow(bool enabled);

// Writes "message\n" and "...now exiting to system...\n" to standard error, exit status 1.
[[noreturn]] void FatalError(const std::string& message);

// The framed stop: frame lines on standard output, the message (printed as
// given) on standard error, exit status 1.
[[noreturn]] void FailWithBanner(const std::string& message);

// Opens `path` with `mode` ("r" or "w", text mode) or stops through FatalError
// with "Can not open file: PATH\n".
File OpenFileOrDie(const std::string& path, const char* mode);

// The whole text of `path`, or the stop of OpenFileOrDie when it cannot be read.
std::string ReadFileOrDie(const std::string& path);

// The framed message of a file that cannot be opened: "     Error opening 'NAME' file \n".
std::string OpeningFailure(const std::string& conventionalName);

// The whole text of `path`, or FailWithBanner(message) when it cannot be read.
std::string ReadFileOrBanner(const std::string& path, const std::string& message);

// `path` created (or truncated) for writing, or FailWithBanner(message).
File CreateFileOrBanner(const std::string& path, const std::string& message);

// Flushes and closes `file`, or stops through FatalError with
// "Can not write file: PATH (reason)\n" when any write to it failed (a full
// disk, a lost network share): a cut-short file is never reported as written.
void CloseFileOrDie(File file, const std::string& path);

// Writes all of `text` to `file` and closes it through CloseFileOrDie.
void WriteFileOrDie(File file, const std::string& path, const std::string& text);
