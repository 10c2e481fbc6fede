#include "fatal.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "text.h"

static bool stopsThrow = false;

void SetStopsThrow(bool enabled) { stopsThrow = enabled; }

[[noreturn]] static void ExitProcess1() {
  std::fflush(stdout);
  std::fflush(stderr);
  std::exit(1);
}

void FatalError(const std::string& message) {
  if (stopsThrow) throw StopRequested(message);
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fputs("...now exiting to system...\n", stderr);
  ExitProcess1();
}

void FailWithBanner(const std::string& message) {
  if (stopsThrow) throw StopRequested(message);
  const std::string dashes(60, '-');
  std::printf("\n\n\n %s \n", dashes.c_str());
  std::printf("%s\n", std::string(55, ' ').c_str());
  std::fflush(stdout);
  std::fputs(message.c_str(), stderr);
  std::fflush(stderr);
  std::printf("%s\n", std::string(66, ' ').c_str());
  std::printf(" %s \n\n\n", dashes.c_str());
  ExitProcess1();
}

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
