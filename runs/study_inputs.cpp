#include "study_inputs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "file_handle.h"
#include "text.h"

namespace fs = std::filesystem;

uint64_t HashFile(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return 0;
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return 0;
  // Eight bytes a step: a multiply and a rotation mix each word in.
  uint64_t hash = 0x9e3779b97f4a7c15ull;
  std::vector<char> block(1 << 16);
  uint64_t length = 0;
  size_t got;
  while ((got = std::fread(block.data(), 1, block.size(), file.get())) > 0) {
    length += got;
    size_t whole = got / 8 * 8;
    for (size_t i = 0; i < whole; i += 8) {
      uint64_t word;
      std::memcpy(&word, block.data() + i, 8);
      hash = ((hash ^ word) * 0xff51afd7ed558ccdull);
      hash = (hash << 31) | (hash >> 33);
    }
    for (size_t i = whole; i < got; ++i) hash = (hash ^ static_cast<unsigned char>(block[i])) * 0x100000001b3ull;
  }
  hash ^= length;
  hash *= 0xc4ceb9fe1a85ec53ull;
  return hash == 0 ? 1 : hash;
}

static uint64_t HashText(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

void StudyInputs::AddFile(const std::string& path) {
  for (const StudyInput& e : entries_)
    if (e.name == path) return;
  entries_.push_back({path, HashFile(path), false});
}

void StudyInputs::AddSetting(const std::string& label, const std::string& value) {
  entries_.push_back({"=" + label, HashText(value), false});
}

void StudyInputs::AddListedFiles(const std::string& listFile, const std::vector<std::string>& written) {
  std::string text;
  if (!ReadFileText(listFile, text)) return;
  size_t pos = 0;
  auto isSeparator = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ','; };
  while (pos < text.size()) {
    while (pos < text.size() && isSeparator(text[pos])) ++pos;
    size_t start = pos;
    while (pos < text.size() && !isSeparator(text[pos])) ++pos;
    if (pos == start) break;
    std::string token = text.substr(start, pos - start);
    std::error_code error;
    if (!fs::is_regular_file(token, error)) continue;
    bool isWritten = false;
    for (const std::string& w : written) isWritten = isWritten || fs::equivalent(token, w, error);
    bool known = false;
    for (const StudyInput& e : entries_) known = known || e.name == token;
    if (!isWritten && !known) entries_.push_back({token, HashFile(token), true});
  }
}

static long long ChangeTime(const std::string& path) {
  std::error_code error;
  auto time = fs::last_write_time(path, error);
  return error ? 0 : static_cast<long long>(time.time_since_epoch().count());
}

void StudyInputs::BeforeLocalRun() {
  timesBefore_.clear();
  for (const StudyInput& e : entries_) timesBefore_.push_back(e.listed ? ChangeTime(e.name) : 0);
}

void StudyInputs::AfterLocalRun() {
  if (localRunSeen_ || timesBefore_.size() != entries_.size()) return;
  localRunSeen_ = true;
  std::vector<StudyInput> kept;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const StudyInput& e = entries_[i];
    bool output = e.listed && (HashFile(e.name) != e.hash || ChangeTime(e.name) != timesBefore_[i]);
    if (!output) kept.push_back(e);
  }
  entries_ = std::move(kept);
}

std::string StudyInputs::FirstChanged(const std::vector<StudyInput>& recorded, const StudyInputs& current) {
  for (const StudyInput& e : recorded) {
    if (!e.name.empty() && e.name[0] == '=') {
      auto now = std::find_if(current.entries_.begin(), current.entries_.end(),
                              [&](const StudyInput& c) { return c.name == e.name; });
      if (now == current.entries_.end() || now->hash != e.hash) return e.name.substr(1);
    } else if (HashFile(e.name) != e.hash) {
      return e.name;
    }
  }
  return "";
}

RunFunction WatchingLocalRuns(RunFunction run, StudyInputs& inputs) {
  return [run = std::move(run), &inputs](const RunJob& job) {
    if (inputs.LocalRunSeen()) return run(job);
    inputs.BeforeLocalRun();
    RunResult result = run(job);
    inputs.AfterLocalRun();
    return result;
  };
}
