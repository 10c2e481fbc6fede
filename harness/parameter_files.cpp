#include "parameter_files.h"

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
};

using B = SubbasinRecord;
using R = ReachRecord;

const Column<B> kBasinColumns[] = {
    {"Basinid", &B::basinId, nullptr},          {"Soilwhc", nullptr, &B::soilWhc},
    {"Soildepth", nullptr, &B::soilDepth},      {"Texture", &B::texture, nullptr},
    {"Ks", nullptr, &B::ks},                    {"Area", nullptr, &B::area},
    {"Interflowlag", nullptr, &B::interflowLag}, {"Hslope", nullptr, &B::hSlope},
    {"Baseflowlag", nullptr, &B::baseflowLag},  {"Rcnumber", nullptr, &B::rcNumber},
    {"Maxcover", nullptr, &B::maxCover},        {"Basinloss", nullptr, &B::basinLoss},
    {"Pancoeff", nullptr, &B::panCoeff},        {"Topsoil", nullptr, &B::topSoil},
    {"Aridity", &B::aridity, nullptr},
};

const Column<R> kReachColumns[] = {
    {"Basinid", &R::basinId, nullptr},        {"Area", nullptr, &R::area},
    {"Uparea", nullptr, &R::upArea},          {"Rivslope", nullptr, &R::rivSlope},
    {"Rivlength", nullptr, &R::rivLength},    {"Downid", &R::downId, nullptr},
    {"Rivmanning", nullptr, &R::rivManning},  {"Rivloss", nullptr, &R::rivLoss},
    {"Riverploss", nullptr, &R::riverPLoss},  {"Hasdam", &R::hasDam, nullptr},
    {"Hasrating", &R::hasRating, nullptr},    {"Hasflowdata", &R::hasFlowData, nullptr},
    {"Celerity", nullptr, &R::celerity},      {"Diffusion", nullptr, &R::diffusion},
    {"Rivwidth", nullptr, &R::rivWidth},      {"Flowref", nullptr, &R::flowRef},
    {"Runtype", &R::runType, nullptr},
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
  records.reserve(nsub > 0 ? static_cast<size_t>(nsub) : 0);
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // header, whatever it says
  while (static_cast<int>(records.size()) < nsub && lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    records.push_back(ParseRow(line, columns, path, lines.LineNumber()));
  }
  if (static_cast<int>(records.size()) < nsub)
    throw InputError(path, lines.LineNumber(),
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
void Put(std::string& out, int v) {
  AppendInt(out, v);
  out += ',';
}
void Put(std::string& out, float v, int precision) {
  AppendFixedFloat(out, v, precision);
  out += ',';
}
void EndLine(std::string& out) { out.back() = '\n'; }
}  // namespace

// "%d,%.1f,%.1f,%d,%.3f,%.1f,%.1f,%.4f,%.1f,%.1f,%.2f,%.3f,%.2f,%.2f,%d\n"
void AppendBasinLine(std::string& out, const SubbasinRecord& r) {
  Put(out, r.basinId);
  Put(out, r.soilWhc, 1);
  Put(out, r.soilDepth, 1);
  Put(out, r.texture);
  Put(out, r.ks, 3);
  Put(out, r.area, 1);
  Put(out, r.interflowLag, 1);
  Put(out, r.hSlope, 4);
  Put(out, r.baseflowLag, 1);
  Put(out, r.rcNumber, 1);
  Put(out, r.maxCover, 2);
  Put(out, r.basinLoss, 3);
  Put(out, r.panCoeff, 2);
  Put(out, r.topSoil, 2);
  Put(out, r.aridity);
  EndLine(out);
}

// "%d,%.1f,%.1f,%.4f,%.1f,%d,%.3f,%.1f,%.1f,%d,%d,%d,%.1f,%.1f,%.1f,%.1f,%d\n"
void AppendReachLine(std::string& out, const ReachRecord& r) {
  Put(out, r.basinId);
  Put(out, r.area, 1);
  Put(out, r.upArea, 1);
  Put(out, r.rivSlope, 4);
  Put(out, r.rivLength, 1);
  Put(out, r.downId);
  Put(out, r.rivManning, 3);
  Put(out, r.rivLoss, 1);
  Put(out, r.riverPLoss, 1);
  Put(out, r.hasDam);
  Put(out, r.hasRating);
  Put(out, r.hasFlowData);
  Put(out, r.celerity, 1);
  Put(out, r.diffusion, 1);
  Put(out, r.rivWidth, 1);
  Put(out, r.flowRef, 1);
  Put(out, r.runType);
  EndLine(out);
}

ModelChoice ParseModelChoice(std::string_view text, const std::string& path) {
  LineCursor lines(text);
  std::string_view line;
  ModelChoice choice;
  lines.Next(line);
  if (!lines.Next(line) || !ParseLeadingInt(line, choice.balanceModel))
    throw InputError(path, 2, "expected the water balance model number (1 or 2)");
  if (!lines.Next(line) || !ParseLeadingInt(line, choice.routingModel))
    throw InputError(path, 3, "expected the routing model number (1, 2 or 3)");
  return choice;
}

const char* const kModelChoiceHeader = "Model Index   Index description\n";

std::string ModelChoiceLines(const ModelChoice& choice) {
  return FormatString(
      "%d //water balance model:  1= 1D balance, 2= 2D balance\n"
      "%d //routing model:  1=diffusion, 2=Muskingham-Cunge, 3=lag \n",
      choice.balanceModel, choice.routingModel);
}
