#include "checked_files.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

#include "stop.h"
#include "text.h"

File OpenFileOrDie(const std::string& path, const char* mode) {
  File file(std::fopen(path.c_str(), mode));
  if (!file) FatalError("Can not open file: " + path + "\n");
  return file;
}

std::string ReadFileOrDie(const std::string& path) {
  std::string text;
  int cause = 0;
  if (!ReadFileText(path, text, &cause)) FatalError("Can not open file: " + path + "\n", CannotReadLine(path, cause));
  return text;
}

std::string OpeningFailure(const std::string& conventionalName) {
  return "     Error opening '" + conventionalName + "' file \n";
}

std::string ReadFileOrBanner(const std::string& path, const std::string& message) {
  std::string text;
  int cause = 0;
  if (!ReadFileText(path, text, &cause)) FailWithBanner(message, CannotReadLine(path, cause));
  return text;
}

File CreateFileOrBanner(const std::string& path, const std::string& message) {
  File file(std::fopen(path.c_str(), "w"));
  if (!file) FailWithBanner(message);
  return file;
}

void CloseFileOrDie(File file, const std::string& path) {
  if (int cause = CloseWrittenFile(std::move(file)))
    FatalError("Can not write file: " + path + " (" + std::strerror(cause) + ")\n");
}

void WriteFileOrDie(File file, const std::string& path, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), file.get());
  CloseFileOrDie(std::move(file), path);
}

static std::string OpeningDetail(const PendingFile& file) {
  if (file.OpenCause() == EISDIR) return file.path() + ": is a directory";
  return file.TemporaryPath() + ": cannot be created (" + std::strerror(file.OpenCause()) + ")";
}

PendingFile CreatePendingOrDie(const std::string& path, const char* mode) {
  PendingFile file(path, mode);
  if (!file.IsOpen()) FatalError("Can not open file: " + path + "\n", OpeningDetail(file));
  return file;
}

PendingFile CreatePendingOrBanner(const std::string& path, const std::string& message, const char* mode) {
  PendingFile file(path, mode);
  if (!file.IsOpen()) FailWithBanner(message, OpeningDetail(file));
  return file;
}

void InstallOrDie(PendingFile& file) {
  if (int cause = file.Install())
    FatalError("Can not write file: " + file.path() + " (" + std::strerror(cause) + ")\n");
}

void WritePendingOrDie(PendingFile file, std::string_view text) {
  file.Write(text);
  InstallOrDie(file);
}

bool NameTheSameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code error;
  auto normal = [&](const std::string& p) { return fs::weakly_canonical(fs::absolute(p, error), error).lexically_normal(); };
  return normal(a) == normal(b);
}
