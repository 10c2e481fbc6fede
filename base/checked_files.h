#pragma once
// Opening, reading and writing files with the stops that name them.

#include <string>

#include "file_handle.h"
#include "pending_file.h"

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

// `path` opened for writing under its temporary name, or the stop of
// OpenFileOrDie (naming `path`) when the temporary cannot be created.
PendingFile CreatePendingOrDie(const std::string& path, const char* mode = "w");

// The same, or FailWithBanner(message).
PendingFile CreatePendingOrBanner(const std::string& path, const std::string& message, const char* mode = "w");

// Closes the temporary and renames it over the final name, or stops through
// FatalError with "Can not write file: PATH (reason)\n".
void InstallOrDie(PendingFile& file);

// Writes `text` to `file` and installs it through InstallOrDie.
void WritePendingOrDie(PendingFile file, std::string_view text);

// Whether two paths name the same file, whether or not it exists yet
// ("m.csv", "./m.csv" and the absolute path do).
bool NameTheSameFile(const std::string& a, const std::string& b);
