#pragma once
// Checkpoints of the model-driving programs: after each run folded in order,
// what is needed to continue, with every input of the study and the hash of
// its content. Written under a temporary name and renamed, so that a kill
// mid-write loses at most that run.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "study_inputs.h"

// A flat list of numbers and texts in the order they were put.
class CheckpointData {
 public:
  void PutInt(int64_t v);
  void PutDouble(double v);
  void PutDoubles(const double* v, size_t n);
  void PutText(std::string_view text);
  // Reading back in the same order; false when the data ends early.
  bool GetInt(int64_t& v);
  bool GetDouble(double& v);
  bool GetDoubles(double* v, size_t n);
  bool GetText(std::string& text);
  std::string& bytes() { return bytes_; }

 private:
  bool Take(void* to, size_t n);
  std::string bytes_;
  size_t read_ = 0;
};

struct Checkpoint {
  std::string program;
  std::vector<StudyInput> inputs;
  int completedRuns = 0;
  CheckpointData data;
};

void WriteCheckpoint(const std::string& path, Checkpoint& checkpoint);

// Row `index` of a file of fixed-width rows beside a checkpoint (one row per
// run, written before the checkpoint that counts it): `width` doubles at
// their place, the file made when missing. A failed write stops.
void WriteCheckpointRow(const std::string& path, size_t index, const double* row, size_t width);

enum class CheckpointState { Missing, Loaded, Unreadable };
CheckpointState ReadCheckpoint(const std::string& path, Checkpoint& checkpoint);

struct RunOptions;

// The checkpoint to continue from. Without --resume any old one is removed
// and false returned; with --resume and none there, a notice goes to standard
// error and false is returned. A checkpoint of another program, or one whose
// inputs differ from `current`, is refused with an InputError naming the
// first input that changed.
bool LoadCheckpointToResume(const RunOptions& options, const std::string& path, const StudyInputs& current,
                            Checkpoint& checkpoint);
