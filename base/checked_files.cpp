#include "checked_files.h"

#include <cstring>
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
  if (!ReadFileText(path, text)) FatalError("Can not open file: " + path + "\n");
  return text;
}

std::string OpeningFailure(const std::string& conventionalName) {
  return "     Error opening '" + conventionalName + "' file \n";
}

std::string ReadFileOrBanner(const std::string& path, const std::string& message) {
  std::string text;
  if (!ReadFileText(path, text)) FailWithBanner(message);
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
