#pragma once
// The run log "logfilestats.txt": emptied at start, flushed after every line,
// so that it is complete however the run ends.

#include <string>

#include "file_handle.h"

struct RunLog {
  File file;  // empty when the log could not be created: its text is then lost
};

// Opens (truncating) the log; a log that cannot be created gives one warning
// on standard error and the run goes on without it.
void OpenRunLog(RunLog& log, const std::string& path);

// Writes `text` and a line end, then flushes.
void WriteLogLine(RunLog& log, const std::string& text);

// Writes `text` as it is (no line end), then flushes.
void WriteLogText(RunLog& log, const std::string& text);
