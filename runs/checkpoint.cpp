#include "checkpoint.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <utility>

#include "checked_files.h"
#include "stop.h"
#include "input_error.h"
#include "number_format.h"
#include "pending_file.h"
#include "run_options.h"
#include "text.h"

void CheckpointData::PutInt(int64_t v) { bytes_.append(reinterpret_cast<const char*>(&v), sizeof v); }
void CheckpointData::PutDouble(double v) { bytes_.append(reinterpret_cast<const char*>(&v), sizeof v); }
void CheckpointData::PutDoubles(const double* v, size_t n) {
  bytes_.append(reinterpret_cast<const char*>(v), n * sizeof(double));
}
void CheckpointData::PutText(std::string_view text) {
  PutInt(static_cast<int64_t>(text.size()));
  bytes_.append(text.data(), text.size());
}

bool CheckpointData::Take(void* to, size_t n) {
  if (bytes_.size() - read_ < n) return false;
  if (n) std::memcpy(to, bytes_.data() + read_, n);
  read_ += n;
  return true;
}
bool CheckpointData::GetInt(int64_t& v) { return Take(&v, sizeof v); }
bool CheckpointData::GetDouble(double& v) { return Take(&v, sizeof v); }
bool CheckpointData::GetDoubles(double* v, size_t n) { return Take(v, n * sizeof(double)); }
bool CheckpointData::GetText(std::string& text) {
  int64_t n = 0;
  if (!GetInt(n) || n < 0 || static_cast<uint64_t>(n) > bytes_.size() - read_) return false;
  text.assign(bytes_.data() + read_, static_cast<size_t>(n));
  read_ += static_cast<size_t>(n);
  return true;
}

void WriteCheckpointRow(const std::string& path, size_t index, const double* row, size_t width) {
  File rows(std::fopen(path.c_str(), "r+b"));
  if (!rows) rows = OpenFileOrDie(path, "wb");
  SeekFile(rows.get(), static_cast<unsigned long long>(index) * width * sizeof(double));
  std::fwrite(row, sizeof(double), width, rows.get());
  CloseFileOrDie(std::move(rows), path);
}

void WriteCheckpoint(const std::string& path, Checkpoint& c) {
  std::string head = c.program + " checkpoint\ncompleted " + std::to_string(c.completedRuns) + "\n";
  for (const StudyInput& input : c.inputs)
    head += FormatString("input %016" PRIx64 " %d ", input.hash, input.listed ? 1 : 0) + input.name + "\n";
  head += "bytes " + std::to_string(c.data.bytes().size()) + "\n";
  PendingFile file = CreatePendingOrDie(path, "wb");
  file.Write(head);
  file.Write(c.data.bytes());
  InstallOrDie(file);
}

namespace {

bool ParseInputLine(std::string_view line, StudyInput& input) {
  // "input HASH LISTED NAME": the name is the rest of the line, blanks included.
  if (line.size() < 25 || line.substr(0, 6) != "input ") return false;
  unsigned long long hash = 0;
  int listed = 0, used = 0;
  std::string head(line.substr(0, 26));
  if (std::sscanf(head.c_str(), "input %16llx %d %n", &hash, &listed, &used) != 2 || used == 0) return false;
  input.hash = hash;
  input.listed = listed != 0;
  input.name.assign(line.substr(static_cast<size_t>(used)));
  return !input.name.empty();
}

}  // namespace

CheckpointState ReadCheckpoint(const std::string& path, Checkpoint& c) {
  std::string text;
  if (!ReadFileText(path, text)) return CheckpointState::Missing;
  LineCursor lines(text);
  std::string_view line;
  size_t bytes = 0;
  if (!lines.Next(line) || line != c.program + " checkpoint") return CheckpointState::Unreadable;
  if (!lines.Next(line) || std::sscanf(std::string(line).c_str(), "completed %d", &c.completedRuns) != 1)
    return CheckpointState::Unreadable;
  c.inputs.clear();
  while (lines.Next(line) && line.substr(0, 6) == "input ") {
    StudyInput input;
    if (!ParseInputLine(line, input)) return CheckpointState::Unreadable;
    c.inputs.push_back(input);
  }
  if (std::sscanf(std::string(line).c_str(), "bytes %zu", &bytes) != 1) return CheckpointState::Unreadable;
  std::string_view rest = lines.Rest();
  if (rest.size() != bytes) return CheckpointState::Unreadable;
  c.data.bytes().assign(rest.data(), rest.size());
  return CheckpointState::Loaded;
}

bool LoadCheckpointToResume(const RunOptions& options, const std::string& path, const StudyInputs& current,
                            Checkpoint& c) {
  if (!options.resume) {
    std::remove(path.c_str());
    return false;
  }
  switch (ReadCheckpoint(path, c)) {
    case CheckpointState::Missing:
      std::fprintf(stderr, "%s: no checkpoint %s; starting at run 1\n", c.program.c_str(), path.c_str());
      return false;
    case CheckpointState::Unreadable:
      throw InputError(path, 0, "not a checkpoint of " + c.program + "; remove it to start anew");
    case CheckpointState::Loaded:
      break;
  }
  std::string changed = StudyInputs::FirstChanged(c.inputs, current);
  if (!changed.empty())
    throw InputError(path, 0, "made for other inputs: " + changed +
                                  " has changed since; remove the checkpoint or run without --resume");
  return true;
}
