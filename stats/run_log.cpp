#include "run_log.h"

void OpenRunLog(RunLog& log, const std::string& path) {
  log.file.reset(std::fopen(path.c_str(), "w"));
  if (!log.file)
    std::fprintf(stderr, "warning: cannot create the run log %s; the run goes on without it\n",
                 path.c_str());
}

void WriteLogText(RunLog& log, const std::string& text) {
  if (!log.file) return;
  std::fwrite(text.data(), 1, text.size(), log.file.get());
  std::fflush(log.file.get());
}

void WriteLogLine(RunLog& log, const std::string& text) { WriteLogText(log, text + "\n"); }
