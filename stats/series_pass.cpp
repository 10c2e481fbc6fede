#include "series_pass.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <condition_variable>
#include <memory>
#include <mutex>
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

// The blocks of the series in file order, read ahead into a few slots and
// parsed by whichever thread is free: a second thread parses every block it
// finds read, and the folding thread, which needs them in order, parses the
// next one itself when nobody has taken it yet, or another read one while it
// waits. So both processors stay busy whatever the share of folding and
// writing, and memory stays at a few blocks.
class ParsedBlocks {
 public:
  ParsedBlocks(BlockReader& reader, const ValueRules& rules, int threads) : reader_(reader), rules_(rules) {
    if (threads > 1) worker_ = std::thread([this] { Serve(); });
  }
  ~ParsedBlocks() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
  }

  // The next block in file order, parsed; nullptr after the last.
  const ParsedBlock* Next() {
    if (next_ > 0) Release(next_ - 1);
    ReadAhead();
    if (next_ == read_) return nullptr;
    Slot& slot = slots_[next_ % kSlots];
    std::unique_lock<std::mutex> lock(mutex_);
    while (slot.state != State::Parsed) {
      Slot* other = slot.state == State::Read ? &slot : EarliestRead();
      if (other) {
        ParseIn(*other, lock);
      } else {
        changed_.wait(lock);
      }
    }
    ++next_;
    return &slot.parsed;
  }

 private:
  enum class State { Free, Read, Parsing, Parsed };
  struct Slot {
    std::string text;
    ParsedBlock parsed;
    State state = State::Free;
    size_t index = 0;
  };
  static const size_t kSlots = 4;

  void Release(size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    slots_[index % kSlots].state = State::Free;
  }

  // Fills the free slots with the blocks that follow; only this thread reads.
  void ReadAhead() {
    while (!ended_ && read_ - next_ < kSlots) {
      Slot& slot = slots_[read_ % kSlots];
      if (!reader_.NextBlock(slot.text)) {
        ended_ = true;
        break;
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        slot.index = read_++;
        slot.state = State::Read;
      }
      changed_.notify_all();
    }
  }

  Slot* EarliestRead() {
    Slot* earliest = nullptr;
    for (Slot& slot : slots_)
      if (slot.state == State::Read && (!earliest || slot.index < earliest->index)) earliest = &slot;
    return earliest;
  }

  // Parses `slot` with the lock released meanwhile.
  void ParseIn(Slot& slot, std::unique_lock<std::mutex>& lock) {
    slot.state = State::Parsing;
    lock.unlock();
    ParseDailyBlock(slot.text, rules_, slot.parsed);
    lock.lock();
    slot.state = State::Parsed;
    changed_.notify_all();
  }

  void Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!quit_) {
      if (Slot* slot = EarliestRead())
        ParseIn(*slot, lock);
      else
        changed_.wait(lock);
    }
  }

  BlockReader& reader_;
  const ValueRules& rules_;
  Slot slots_[kSlots];
  size_t next_ = 0, read_ = 0;  // blocks handed out and blocks read
  bool ended_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool quit_ = false;
  std::thread worker_;
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
  if (walk.Complete()) return;
  ParsedBlocks blocks(reader, rules, threads);
  while (const ParsedBlock* block = blocks.Next())
    if (FoldBlock(*block, s, walk, line)) return;
  if (!walk.Complete())
    throw InputError(s.inputFileName, line,
                     "the records end here, after " + std::to_string(walk.Folded()) + " of the " +
                         std::to_string(s.recordCount) + " records that statsparam.txt:5 asks for");
}
