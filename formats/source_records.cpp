#include "source_records.h"

#include <algorithm>
#include <cmath>

#include "input_error.h"
#include "number_format.h"
#include "text.h"

namespace {

// One column of a source file: its header word and the record field it fills.
template <typename Record>
struct Column {
  const char* header;
  int Record::*intField;
  float Record::*floatField;
  int decimals;  // written with "%.Nf"; integer columns with "%d"
};

using B = SubbasinRecord;
using R = ReachRecord;

const Column<B> kBasinColumns[] = {
    {"Basinid", &B::basinId, nullptr, 0},          {"Soilwhc", nullptr, &B::soilWhc, 1},
    {"Soildepth", nullptr, &B::soilDepth, 1},      {"Texture", &B::texture, nullptr, 0},
    {"Ks", nullptr, &B::ks, 3},                    {"Area", nullptr, &B::area, 1},
    {"Interflowlag", nullptr, &B::interflowLag, 1}, {"Hslope", nullptr, &B::hSlope, 4},
    {"Baseflowlag", nullptr, &B::baseflowLag, 1},  {"Rcnumber", nullptr, &B::rcNumber, 1},
    {"Maxcover", nullptr, &B::maxCover, 2},        {"Basinloss", nullptr, &B::basinLoss, 3},
    {"Pancoeff", nullptr, &B::panCoeff, 2},        {"Topsoil", nullptr, &B::topSoil, 2},
    {"Aridity", &B::aridity, nullptr, 0},
};

const Column<R> kReachColumns[] = {
    {"Basinid", &R::basinId, nullptr, 0},        {"Area", nullptr, &R::area, 1},
    {"Uparea", nullptr, &R::upArea, 1},          {"Rivslope", nullptr, &R::rivSlope, 4},
    {"Rivlength", nullptr, &R::rivLength, 1},    {"Downid", &R::downId, nullptr, 0},
    {"Rivmanning", nullptr, &R::rivManning, 3},  {"Rivloss", nullptr, &R::rivLoss, 1},
    {"Riverploss", nullptr, &R::riverPLoss, 1},  {"Hasdam", &R::hasDam, nullptr, 0},
    {"Hasrating", &R::hasRating, nullptr, 0},    {"Hasflowdata", &R::hasFlowData, nullptr, 0},
    {"Celerity", nullptr, &R::celerity, 1},      {"Diffusion", nullptr, &R::diffusion, 1},
    {"Rivwidth", nullptr, &R::rivWidth, 1},      {"Flowref", nullptr, &R::flowRef, 1},
    {"Runtype", &R::runType, nullptr, 0},
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A separator is one character that cannot belong to a number or a word.
bool IsSeparator(char c) {
  return !IsBlank(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.' && !IsLetter(c);
}

template <typename Record, size_t N>
Record ParseRow(std::string_view line, const Column<Record> (&columns)[N], const std::string& path,
                long lineNo) {
  Record record;
  size_t pos = 0;
  for (size_t k = 0; k < N; ++k) {
    const Column<Record>& c = columns[k];
    auto fail = [&](const char* what) {
      throw InputError(path, lineNo,
                       std::string(what) + " for " + c.header + " (column " + std::to_string(k + 1) + ")");
    };
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    std::string_view rest = line.substr(pos);
    size_t used = 0;
    if (c.intField) {
      if (!ParseLeadingInt(rest, record.*c.intField, &used)) fail("expected an integer");
    } else {
      float v = 0;
      if (!ParseFloatPrefix(rest, v, &used) || !std::isfinite(v)) fail("expected a number");
      record.*c.floatField = v;
    }
    pos += used;
    if (pos < line.size() && !IsBlank(line[pos]) && !IsSeparator(line[pos]))
      fail(c.intField ? "expected an integer" : "expected a number");
    if (k + 1 == N) break;  // anything after the last column is ignored
    size_t before = pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos < line.size() && IsSeparator(line[pos])) {
      ++pos;
    } else if (pos == before && pos < line.size()) {
      fail("expected a separator after the value");
    }
  }
  return record;
}

template <typename Record, size_t N>
std::vector<Record> ParseRows(std::string_view text, const std::string& path, int nsub,
                              const Column<Record> (&columns)[N]) {
  std::vector<Record> records;
  // A row takes at least two characters, whatever count the caller expects.
  records.reserve(std::min(static_cast<size_t>(nsub > 0 ? nsub : 0), text.size() / 2 + 1));
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // header, whatever it says
  while (static_cast<int>(records.size()) < nsub && lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    records.push_back(ParseRow(line, columns, path, lines.LineNumber()));
  }
  if (static_cast<int>(records.size()) < nsub)
    throw InputError(path, lines.LineNumber() + 1,
                     "expected " + std::to_string(nsub) + " data rows, found " +
                         std::to_string(records.size()));
  return records;
}

}  // namespace

std::vector<SubbasinRecord> ParseBasinRows(std::string_view text, const std::string& path, int nsub) {
  return ParseRows(text, path, nsub, kBasinColumns);
}

std::vector<ReachRecord> ParseReachRows(std::string_view text, const std::string& path, int nsub) {
  return ParseRows(text, path, nsub, kReachColumns);
}

const char* const kBasinHeader =
    "Basinid,Soilwhc,Soildepth, Texture, Ks, Area, Interflowlag, Hslope, Baseflowlag, Rcnumber, "
    "Maxcover, Basinloss, Pancoeff, Topsoil, Aridity\n";
const char* const kRiverHeader =
    "Basinid,Area,Uparea,Rivslope,Rivlength,Downid,Rivmanning,Rivloss,Riverploss,Hasdam,"
    "Hasrating,Hasflowdata,Celerity,Diffusion,Rivwidth,Flowref,Runtype\n";

namespace {

// One record as a line of its file: every column in order, comma-separated.
template <typename Record, size_t N>
void AppendRow(std::string& out, const Record& record, const Column<Record> (&columns)[N]) {
  for (const Column<Record>& c : columns) {
    if (c.intField)
      AppendInt(out, record.*c.intField);
    else
      AppendFixedFloat(out, record.*c.floatField, c.decimals);
    out += ',';
  }
  out.back() = '\n';
}

}  // namespace

// "%d,%.1f,%.1f,%d,%.3f,%.1f,%.1f,%.4f,%.1f,%.1f,%.2f,%.3f,%.2f,%.2f,%d\n"
void AppendBasinLine(std::string& out, const SubbasinRecord& r) { AppendRow(out, r, kBasinColumns); }

// "%d,%.1f,%.1f,%.4f,%.1f,%d,%.3f,%.1f,%.1f,%d,%d,%d,%.1f,%.1f,%.1f,%.1f,%d\n"
void AppendReachLine(std::string& out, const ReachRecord& r) { AppendRow(out, r, kReachColumns); }
