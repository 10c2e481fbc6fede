#include "parameter_table.h"

#include "input_error.h"
#include "number_format.h"
#include "text.h"

using B = SubbasinRecord;
using R = ReachRecord;

const AdjustableParameter kAdjustableParameters[kParameterCount] = {
    {1, "SoilWhc", "SoilWHC is the soil water holding capacity (mm)", nullptr, &B::soilWhc, nullptr},
    {2, "Depth", "SoilDepth is the total soil(upper,and,lower)depth(cm)", nullptr, &B::soilDepth,
     nullptr},
    {3, "Texture", "Texture is the soil texture (1:2:3)", &B::texture, nullptr, nullptr, 0, true},
    {4, "Ks", "Ks is the saturated hydraulic conductivity (cm/hr)", nullptr, &B::ks, nullptr, 1},
    {5, "Interflow", "Interflow lag is the days of interflow storage", nullptr, &B::interflowLag,
     nullptr},
    {6, "HSlope", "HSlope is the average subbasin slope", nullptr, &B::hSlope, nullptr},
    {7, "Baseflow", "Residence time for the baseflow reservoir (days)", nullptr, &B::baseflowLag,
     nullptr},
    {8, "CurveNum", "RCNumber is the basin mean SCS runoff curve number", nullptr, &B::rcNumber,
     nullptr, 2},
    {9, "MaxCover", "MaxCover is the fraction of the subbasin with permanently impervious cover ",
     nullptr, &B::maxCover, nullptr, 2},
    {10, "BasinLoss", "BasinLoss is the fraction of soil water infiltrating to ground water   ",
     nullptr, &B::basinLoss, nullptr},
    {11, "PanCoeff", "Pancoeff is the pan coefficient for correcting PET readings    ", nullptr,
     &B::panCoeff, nullptr},
    {12, "TopSoil",
     "TopSoil is the fraction of soil layer classified as hydrologically active top soil layer",
     nullptr, &B::topSoil, nullptr},
    {13, "RainCalc", "Excess rainfall calc.mode ", &B::aridity, nullptr, nullptr},
    {14, "RivRough", "RivManning is the mainstream channel mean Manning n coefficient     ", nullptr,
     nullptr, &R::rivManning},
    {15, "RivSlope",
     "RivSlope is the average slope of the river reach /basin mainstream channel mean slope",
     nullptr, nullptr, &R::rivSlope},
    {16, "RivWidth",
     "RivWidth is the average channel width (m)/basin mainstream channel mean width (m)   ",
     nullptr, nullptr, &R::rivWidth},
    {17, "RivLoss", "RiverLoss is the fraction of river water lost to infiltration     ", nullptr,
     nullptr, &R::rivLoss},
    {18, "RivFPLoss",
     "RiverPloss is the fraction of the water in the flood plain loss to groundwater flow", nullptr,
     nullptr, &R::riverPLoss},
    {19, "Celerity",
     "Celerity is the velocity of the flood wave through the river reach (m/s)  ", nullptr,
     nullptr, &R::celerity},
    {20, "Diffusion",
     "Diffusion is the flow attenuation (or dispersion) coefficient of the reach (m^2/s)   ",
     nullptr, nullptr, &R::diffusion},
};

const AdjustableParameter* FindParameter(int number) {
  if (number < 1 || number > kParameterCount) return nullptr;
  return &kAdjustableParameters[number - 1];
}

double ParameterFieldValue(const AdjustableParameter& p, const SubbasinRecord& basin,
                           const ReachRecord& reach) {
  if (p.basinInt) return basin.*p.basinInt;
  if (p.basinFloat) return static_cast<double>(basin.*p.basinFloat);
  return static_cast<double>(reach.*p.reachFloat);
}

// Truncation toward zero; values beyond the 32-bit range are held at its ends.
static int TruncateToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

void ScaleParameter(const AdjustableParameter& p, double multiplier, SubbasinRecord& basin,
                    ReachRecord& reach) {
  if (p.basinInt) {
    basin.*p.basinInt = TruncateToInt(basin.*p.basinInt * multiplier + 0.5);
  } else if (p.basinFloat) {
    basin.*p.basinFloat = static_cast<float>(static_cast<double>(basin.*p.basinFloat) * multiplier);
  } else {
    reach.*p.reachFloat = static_cast<float>(static_cast<double>(reach.*p.reachFloat) * multiplier);
  }
}

namespace {

// Consumes `c` after optional blanks; false when it is not there.
bool Expect(std::string_view line, size_t& pos, char c) {
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos >= line.size() || line[pos] != c) return false;
  ++pos;
  return true;
}

// One data row: No,Name,Default,Lower,Upper,OptIdx,Description. Returns OptIdx.
int ParseTableRow(std::string_view line, const std::string& path, long lineNo) {
  auto fail = [&](const char* what) {
    throw InputError(path, lineNo,
                     std::string("expected ") + what +
                         " (row format No,Name,Default,Lower,Upper,OptIdx,Description)");
  };
  size_t pos = 0, used = 0;
  int number = 0, optIdx = 0;
  if (!ParseLeadingInt(line, number, &used)) fail("the parameter number");
  pos = used;
  if (!Expect(line, pos, ',')) fail("a comma after the number");
  size_t comma = line.find(',', pos);
  if (comma == pos || comma == std::string_view::npos) fail("a name followed by a comma");
  pos = comma + 1;
  const char* names[] = {"the default value", "the lower multiplier", "the upper multiplier"};
  for (const char* what : names) {
    double v = 0;
    if (!ParseRealPrefix(line.substr(pos), v, &used)) fail(what);
    pos += used;
    if (!Expect(line, pos, ',')) fail("a comma after each number");
  }
  if (!ParseLeadingInt(line.substr(pos), optIdx, &used)) fail("OptIdx");
  pos += used;
  if (!Expect(line, pos, ',') && !IsBlankLine(line.substr(pos))) fail("a comma after OptIdx");
  return optIdx;
}

}  // namespace

std::vector<int> ParseParameterTable(std::string_view text, const std::string& path) {
  std::vector<int> optimised;
  LineCursor lines(text);
  std::string_view line;
  lines.Next(line);  // header
  int row = 0;
  while (row < kParameterTableRows && lines.Next(line)) {
    if (IsBlankLine(line)) continue;
    ++row;
    if (ParseTableRow(line, path, lines.LineNumber()) == 1) optimised.push_back(row);
  }
  // A shorter table would leave parameters unscaled without a word.
  if (row < kParameterCount)
    throw InputError(path, lines.LineNumber() + 1,
                     "expected " + std::to_string(kParameterCount) + " parameter rows, found " + std::to_string(row));
  return optimised;
}

std::string ParameterTableText(const float lower[kParameterCount], const float upper[kParameterCount]) {
  std::string out = "No,Name,Default,Lower,Upper,OptIdx,Description\n";
  for (const AdjustableParameter& p : kAdjustableParameters) {
    AppendInt(out, p.number);
    out += ',';
    out += p.name;
    if (p.fixedTableBounds) {
      out += ",1,0.5,1.5,0,";
    } else {
      out += ",1,";
      AppendFixed(out, static_cast<double>(lower[p.number - 1]), 3);
      out += ',';
      AppendFixed(out, static_cast<double>(upper[p.number - 1]), 3);
      out += ",0,";
    }
    out += p.description;
    out += '\n';
  }
  return out;
}
