#include "input_error.h"

std::string FormatInputError(const std::string& path, long line, const std::string& what) {
  if (line > 0) return path + ":" + std::to_string(line) + ": " + what;
  return path + ": " + what;
}

InputError::InputError(const std::string& path, long line, const std::string& what)
    : std::runtime_error(FormatInputError(path, line, what)), path_(path), line_(line) {}
