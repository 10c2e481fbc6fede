#include "checkpoint.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <utility>

#include "checked_files.h"
#include "stop.h"
#include "input_error.h"
#include "run_options.h"
#include "text.h"

uint64_t FingerprintText(uint64_t hash, std::string_view text) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

uint64_t FingerprintFiles(const std::vector<std::string>& paths) {
  uint64_t hash = 14695981039346656037ull;
  std::string text;
  for (const std::string& path : paths) {
    if (!ReadFileText(path, text)) text.clear();
    hash = FingerprintText(hash, path);
    hash = FingerprintText(hash, std::to_string(text.size()));
    hash = FingerprintText(hash, text);
  }
  return hash;
}

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

void WriteCheckpoint(const std::string& path, Checkpoint& c) {
  const std::string temporary = path + ".tmp";
  {
    File file(std::fopen(temporary.c_str(), "wb"));
    if (!file) FatalError("Can not open file: " + temporary + "\n");
    std::fprintf(file.get(), "%s checkpoint\nfingerprint %016" PRIx64 "\ncompleted %d\nbytes %zu\n",
                 c.program.c_str(), c.fingerprint, c.completedRuns, c.data.bytes().size());
    std::fwrite(c.data.bytes().data(), 1, c.data.bytes().size(), file.get());
    CloseFileOrDie(std::move(file), temporary);
  }
#if defined(_WIN32)
  std::remove(path.c_str());  // rename does not replace a file on Windows
#endif
  if (std::rename(temporary.c_str(), path.c_str()) != 0) FatalError("Can not write file: " + path + "\n");
}

CheckpointState ReadCheckpoint(const std::string& path, Checkpoint& c) {
  std::string text;
  if (!ReadFileText(path, text)) return CheckpointState::Missing;
  LineCursor lines(text);
  std::string_view line;
  std::string expected = c.program + " checkpoint";
  unsigned long long fingerprint = 0;
  size_t bytes = 0;
  if (!lines.Next(line) || line != expected) return CheckpointState::Unreadable;
  if (!lines.Next(line) || std::sscanf(std::string(line).c_str(), "fingerprint %llx", &fingerprint) != 1)
    return CheckpointState::Unreadable;
  if (!lines.Next(line) || std::sscanf(std::string(line).c_str(), "completed %d", &c.completedRuns) != 1)
    return CheckpointState::Unreadable;
  if (!lines.Next(line) || std::sscanf(std::string(line).c_str(), "bytes %zu", &bytes) != 1)
    return CheckpointState::Unreadable;
  std::string_view rest = lines.Rest();
  if (rest.size() != bytes) return CheckpointState::Unreadable;
  c.fingerprint = fingerprint;
  c.data.bytes().assign(rest.data(), rest.size());
  return CheckpointState::Loaded;
}

bool LoadCheckpointToResume(const RunOptions& options, const std::string& path, uint64_t fingerprint,
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
  if (c.fingerprint != fingerprint)
    throw InputError(path, 0, "made for other inputs (its fingerprint does not match them); remove it or run without --resume");
  return true;
}
