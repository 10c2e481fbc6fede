#pragma once
// The error that every text parser of the toolkit reports to its caller: the
// file as the user named it, the 1-based line (0 when no line applies) and
// what was expected there.  Programs turn it into "path:line: what" and exit 1.

#include <stdexcept>
#include <string>

class InputError : public std::runtime_error {
 public:
  InputError(const std::string& path, long line, const std::string& what);
  const std::string& path() const { return path_; }
  long line() const { return line_; }

 private:
  std::string path_;
  long line_;
};

// "path:line: what" (or "path: what" when line is 0).
std::string FormatInputError(const std::string& path, long line, const std::string& what);
