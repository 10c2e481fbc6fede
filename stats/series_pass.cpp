#include "series_pass.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "calendar.h"
#include "daily_blocks.h"
#include "file_handle.h"
#include "input_error.h"
#include "stop.h"
#include "text.h"

namespace {

File OpenSeries(const std::string& path, RunLog& log) {
  std::error_code ignored;
  int cause = 0;
  File file;
  if (std::filesystem::is_directory(path, ignored)) {
    cause = EISDIR;
  } else {
    errno = 0;
    file.reset(std::fopen(path.c_str(), "rb"));
    cause = errno != 0 ? errno : EIO;
  }
  if (!file) {
    WriteLogLine(log, "Error opening file " + path);
    throw Stop(StopStyle::Plain, CannotReadLine(path, cause) + "\n");
  }
  return file;
}

// Folds the records of a parsed block, in order; `line` is the line of its
// first record and moves on past them. True once the walk is complete.
bool FoldBlock(const ParsedBlock& block, const StatsSettings& s, CalendarWalk& walk, long& line) {
  const size_t width = static_cast<size_t>(s.fieldCount);
  for (size_t i = 0; i < block.records(); ++i, ++line) {
    if (walk.Complete()) return true;
    const RecordDate& stated = block.dates[i];
    const RecordDate& expected = walk.NextDate();
    if (stated.year != 0 &&
        (stated.year != expected.year || stated.month != expected.month || stated.day != expected.day))
      throw InputError(s.inputFileName, line,
                       "date " + DateText(stated) + ", expected " + DateText(expected) +
                           " (start date and record count come from statsparam.txt)");
    walk.Fold(block.values.data() + i * width);
  }
  if (walk.Complete()) return true;
  if (block.failed) throw InputError(s.inputFileName, line, block.failure);
  if (block.ended) throw InputError(s.inputFileName, line, "the records end at this empty line, after " +
                                                               std::to_string(walk.Folded()) + " of the " +
                                                               std::to_string(s.recordCount) +
                                                               " records that statsparam.txt:5 asks for");
  return false;
}

// Joins a thread on every way out, also when folding throws.
struct Joining {
  std::thread thread;
  ~Joining() {
    if (thread.joinable()) thread.join();
  }
};

}  // namespace

std::string OutputHeader(const std::string& header, int fieldCount, const std::string& path) {
  size_t cut = 0;
  for (int names = 0; names <= fieldCount; ++names) {
    cut = header.find(',', cut);
    if (cut == std::string::npos) return header;
    ++cut;
  }
  size_t more = 1;
  for (size_t at = cut; (at = header.find(',', at)) != std::string::npos; ++at) ++more;
  if (cut == header.size()) return header;  // a closing comma names nothing
  std::fprintf(stderr,
               "warning: %s:1: the header names %zu value columns, but statsparam.txt:6 uses %d; the outputs name "
               "the first %d\n",
               path.c_str(), static_cast<size_t>(fieldCount) + more, fieldCount, fieldCount);
  return header.substr(0, cut - 1);
}

void RunSeriesPass(const StatsSettings& s, RunLog& log, const std::function<void(const std::string&)>& onHeader,
                   CalendarWalk& walk, const PassOptions& options) {
  File file = OpenSeries(s.inputFileName, log);
  PassOptions chosen = options;
  if (chosen.threads == 0) {
    std::error_code ignored;
    const auto size = std::filesystem::file_size(s.inputFileName, ignored);
    chosen.threads = !ignored && size > 2 * options.blockBytes ? 2 : 1;
  }
  FoldSeries(file.get(), s, onHeader, walk, chosen);
}

void FoldSeries(FILE* file, const StatsSettings& s, const std::function<void(const std::string&)>& onHeader,
                CalendarWalk& walk, const PassOptions& options) {
  BlockReader reader(file, options.blockBytes);
  std::string header;
  reader.ReadHeader(header);
  onHeader(OutputHeader(header, s.fieldCount, s.inputFileName));
  ValueRules rules;
  rules.width = s.fieldCount;
  rules.hasMissingCode = s.hasMissingCode;
  rules.missingCode = static_cast<float>(s.missingCode);
  const int threads = options.threads;
  long line = 2;  // the line of the next record
  std::string text[2];
  ParsedBlock parsed[2];
  while (!walk.Complete()) {
    if (!reader.NextBlock(text[0])) break;
    Joining worker;
    const bool second = threads > 1 && reader.NextBlock(text[1]);
    if (second) worker.thread = std::thread([&] { ParseDailyBlock(text[1], rules, parsed[1]); });
    ParseDailyBlock(text[0], rules, parsed[0]);
    if (FoldBlock(parsed[0], s, walk, line)) return;
    if (!second) continue;
    worker.thread.join();
    if (FoldBlock(parsed[1], s, walk, line)) return;
  }
  if (!walk.Complete())
    throw InputError(s.inputFileName, line,
                     "the records end here, after " + std::to_string(walk.Folded()) + " of the " +
                         std::to_string(s.recordCount) + " records that statsparam.txt:5 asks for");
}
