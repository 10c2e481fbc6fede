#pragma once
// The inputs of a study, each with a hash of its content, so that a
// checkpoint can be refused with the file named when any of them changed.
//
// A study reads the files its program names, the model library and the
// model's own inputs. The model's list files ("balfiles.txt",
// "routfiles.txt") belong to the model, so every token of them that names an
// existing file of the working directory counts, except the files a run
// writes: the toolkit's model input files and the model's outputs, which are
// recognised as the listed files that the first model run made in this
// working directory changed.

#include <cstdint>
#include <string>
#include <vector>

#include "run_dispatch.h"

struct StudyInput {
  std::string name;     // a path as the study names it, or "=label" for a setting
  uint64_t hash = 0;    // of the content; 0 for a file that is not there
  bool listed = false;  // named by a model list file (may turn out to be an output)
};

// A fast hash of a file's bytes (not a cryptographic one); 0 when it cannot be read.
uint64_t HashFile(const std::string& path);

class StudyInputs {
 public:
  // The file `path`, hashed now.
  void AddFile(const std::string& path);
  // A setting that is no file, such as a count from the command line.
  void AddSetting(const std::string& label, const std::string& value);
  // Every token of the list file naming an existing file of the working
  // directory, but those in `written` (the files a run writes).
  void AddListedFiles(const std::string& listFile, const std::vector<std::string>& written);

  const std::vector<StudyInput>& entries() const { return entries_; }
  void Assign(std::vector<StudyInput> entries) { entries_ = std::move(entries); }

  // Before and after the first model run made in this working directory:
  // the listed files whose content or time of change it changed are outputs
  // and leave the set.
  void BeforeLocalRun();
  void AfterLocalRun();
  bool LocalRunSeen() const { return localRunSeen_; }

  // The first input of `recorded` that differs now (a file whose content
  // changed, or a setting whose value in `current` differs), or "" when none
  // does. A setting is named by its label.
  static std::string FirstChanged(const std::vector<StudyInput>& recorded, const StudyInputs& current);

 private:
  std::vector<StudyInput> entries_;
  std::vector<long long> timesBefore_;
  bool localRunSeen_ = false;
};

// `run`, watching the first run it makes in this working directory for the
// model outputs among the listed inputs (StudyInputs::AfterLocalRun).
RunFunction WatchingLocalRuns(RunFunction run, StudyInputs& inputs);
