#include "subbasin_count.h"

#include "input_error.h"
#include "text.h"

int ParseCountOnLine(std::string_view text, const std::string& path, int lineNo, const char* what) {
  LineCursor lines(text);
  std::string_view line;
  for (int i = 0; i < lineNo; ++i)
    if (!lines.Next(line))
      throw InputError(path, lineNo, std::string("file ends before the ") + what);
  int value = 0;
  if (!ParseLeadingInt(line, value))
    throw InputError(path, lineNo, std::string("expected an integer: the ") + what);
  if (value < 0)
    throw InputError(path, lineNo,
                     std::string("the ") + what + " must not be negative, found " + std::to_string(value));
  return value;
}

int ParseSubbasinCount(std::string_view text, const std::string& path) {
  int count = ParseCountOnLine(text, path, 5, "number of subbasins");
  if (count < 1) throw InputError(path, 5, "the number of subbasins must be at least 1, found " + std::to_string(count));
  return count;
}

int ParseFlowRowCount(std::string_view text, const std::string& path) {
  return ParseCountOnLine(text, path, 2, "number of time steps");
}
