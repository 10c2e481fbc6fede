#include "model_inputs.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "input_error.h"
#include "subbasin_count.h"
#include "text.h"

namespace fluvex {

std::string ReadText(const std::string& path) {
  std::string text;
  if (!ReadFileText(path, text)) throw ModelError{path + ": cannot be opened"};
  return text;
}

static std::vector<std::string> ReadNames(const std::string& listFile, size_t count) {
  std::string text = ReadText(listFile);
  LineCursor lines(text);
  std::string_view line;
  std::vector<std::string> names;
  while (names.size() < count && lines.Next(line))
    if (!IsBlankLine(line)) names.emplace_back(TrimBlanks(line));
  if (names.size() < count)
    throw ModelError{listFile + ": expected " + std::to_string(count) + " file names, found " +
                     std::to_string(names.size())};
  return names;
}

BalanceFiles ReadBalanceFileList(const std::string& listFile) {
  std::vector<std::string> n = ReadNames(listFile, 5);
  return BalanceFiles{n[0], n[1], n[2], n[3], n[4]};
}

RoutingFiles ReadRoutingFileList(const std::string& listFile) {
  std::vector<std::string> n = ReadNames(listFile, 4);
  return RoutingFiles{n[0], n[1], n[2], n[3]};
}

RunSettings ReadRunSettings(const std::string& path) {
  std::string text = ReadText(path);
  RunSettings s;
  try {
    s.days = ParseFlowRowCount(text, path);
    s.subbasins = ParseSubbasinCount(text, path);
  } catch (const InputError& e) {
    throw ModelError{e.what()};
  }
  LineCursor lines(text);
  std::string_view line;
  for (int i = 0; i < 6; ++i)
    if (!lines.Next(line)) break;
  double wetness = 0;
  if (lines.LineNumber() == 6 && ParseRealPrefix(line, wetness) && wetness >= 0 && wetness <= 1)
    s.initialWetness = wetness;
  return s;
}

std::vector<double> ReadDailyTable(const std::string& path, int days, int subbasins) {
  std::string text = ReadText(path);
  std::vector<double> values(static_cast<size_t>(days) * static_cast<size_t>(subbasins));
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);
  for (int d = 0; d < days; ++d) {
    if (!lines.Next(line))
      throw ModelError{path + ": expected " + std::to_string(days) + " days, found " + std::to_string(d)};
    size_t pos = line.find(',');
    for (int i = 0; i < subbasins; ++i) {
      size_t used = 0;
      double v = 0;
      if (pos == std::string_view::npos || !ParseRealPrefix(line.substr(pos + 1), v, &used) ||
          !std::isfinite(v))
        throw ModelError{path + ":" + std::to_string(lines.LineNumber()) + ": expected " +
                         std::to_string(subbasins) + " values"};
      values[static_cast<size_t>(d) * static_cast<size_t>(subbasins) + static_cast<size_t>(i)] = v;
      pos = line.find(',', pos + 1 + used);
    }
  }
  return values;
}

File CreateOutput(const std::string& path) {
  File file(std::fopen(path.c_str(), "w"));
  if (!file) throw ModelError{path + ": cannot be created"};
  return file;
}

void CloseOutput(File file, const std::string& path) {
  if (CloseWrittenFile(std::move(file)) != 0) throw ModelError{path + ": cannot be written"};
}

void WriteDailyTable(const std::string& path, const std::string& header,
                     const std::vector<double>& values, int days, int subbasins) {
  File file = CreateOutput(path);
  FILE* f = file.get();
  std::fprintf(f, "%s\n", header.c_str());
  for (int d = 0; d < days; ++d) {
    std::fprintf(f, "%d", d + 1);
    for (int i = 0; i < subbasins; ++i)
      std::fprintf(f, ",%.6f", values[static_cast<size_t>(d) * static_cast<size_t>(subbasins) + static_cast<size_t>(i)]);
    std::fputc('\n', f);
  }
  CloseOutput(std::move(file), path);
}

}  // namespace fluvex
