#include <gtest/gtest.h>

#include "parameter_table.h"
#include "test_support.h"

namespace {

using testing_support::ExpectInputError;

// A table of 20 rows (or more) with the given OptIdx values first, 0 after them.
std::string Table(std::vector<int> optIdx) {
  if (optIdx.size() < 20) optIdx.resize(20, 0);
  std::string text = "No,Name,Default,Lower,Upper,OptIdx,Description\n";
  for (size_t i = 0; i < optIdx.size(); ++i)
    text += std::to_string(i + 1) + ",P" + std::to_string(i + 1) + ",1,0.5,1.5," +
            std::to_string(optIdx[i]) + ",a description, with commas\n";
  return text;
}

TEST(ParameterTable, OptimisedParametersAreTheRowPositionsMarkedOne) {
  EXPECT_EQ(ParseParameterTable(Table({1, 1, 0, 0, 1}), "parameter.in"), (std::vector<int>{1, 2, 5}));
  EXPECT_TRUE(ParseParameterTable(Table(std::vector<int>(20, 0)), "parameter.in").empty());
  EXPECT_EQ(ParseParameterTable(Table({0, 2, 1}), "parameter.in"), (std::vector<int>{3}));
  // The No column does not count: the row in position 5 is parameter 5.
  std::string shuffled = "h\n1,a,1,1,1,0,\n2,b,1,1,1,0,\n3,c,1,1,1,0,\n4,d,1,1,1,0,\n7,e,1,1,1,1,x\n";
  for (int m = 6; m <= 20; ++m) shuffled += std::to_string(m) + ",p,1,1,1,0,\n";
  EXPECT_EQ(ParseParameterTable(shuffled, "parameter.in"), (std::vector<int>{5}));
  // Rows after the 22nd are not read.
  std::vector<int> long_table(25, 0);
  long_table[23] = 1;
  EXPECT_TRUE(ParseParameterTable(Table(long_table), "parameter.in").empty());
}

TEST(ParameterTable, RowsOffThePatternAreRefusedWithFileAndLine) {
  ExpectInputError([] { ParseParameterTable("h\n1,,1,0.5,1.5,1,x\n", "parameter.in"); },
                   "parameter.in:2: expected a name followed by a comma "
                   "(row format No,Name,Default,Lower,Upper,OptIdx,Description)");
  ExpectInputError([] { ParseParameterTable("h\n1,a,1,0.5,1.5,1,x\n2,b,1,low,1.5,0,x\n", "p.in"); },
                   "p.in:3: expected the lower multiplier "
                   "(row format No,Name,Default,Lower,Upper,OptIdx,Description)");
  ExpectInputError([] { ParseParameterTable("h\nx,a,1,0.5,1.5,1,x\n", "p.in"); },
                   "p.in:2: expected the parameter number "
                   "(row format No,Name,Default,Lower,Upper,OptIdx,Description)");
  // A long name is fine; a row may end right after OptIdx.
  std::string name(5000, 'n');
  std::string rows = "h\n1," + name + ",1,0.5,1.5,1\n";
  for (int m = 2; m <= 20; ++m) rows += std::to_string(m) + ",p,1,1,1,0\n";
  EXPECT_EQ(ParseParameterTable(rows, "p.in"), (std::vector<int>{1}));
}

// A table that stops short would leave the missing parameters unscaled.
TEST(ParameterTable, FewerThanTwentyRowsAreRefused) {
  std::string table = Table({});
  std::string nineteen = table.substr(0, table.rfind("\n20,") + 1);
  ExpectInputError([&] { ParseParameterTable(nineteen, "parameter.in"); },
                   "parameter.in:21: expected 20 parameter rows, found 19");
  ExpectInputError([] { ParseParameterTable("No,Name\n", "parameter.in"); },
                   "parameter.in:2: expected 20 parameter rows, found 0");
}

TEST(ParameterTable, ProductsStayInSinglePrecisionAndIntegersRound) {
  SubbasinRecord basin;
  ReachRecord reach;
  basin.texture = 2;
  ScaleParameter(*FindParameter(3), 1.2, basin, reach);
  EXPECT_EQ(basin.texture, 2);  // 2.4 + 0.5 truncated
  basin.texture = 2;
  ScaleParameter(*FindParameter(3), 1.3, basin, reach);
  EXPECT_EQ(basin.texture, 3);
  basin.soilWhc = 0.1f;
  ScaleParameter(*FindParameter(1), 3.0, basin, reach);
  EXPECT_EQ(basin.soilWhc, static_cast<float>(static_cast<double>(0.1f) * 3.0));
  reach.celerity = 2.0f;
  ScaleParameter(*FindParameter(19), 0.5, basin, reach);
  EXPECT_EQ(reach.celerity, 1.0f);
  EXPECT_EQ(FindParameter(0), nullptr);
  EXPECT_EQ(FindParameter(21), nullptr);
}

TEST(ParameterTable, EveryParameterScalesItsOwnField) {
  const char* fields[] = {"Soilwhc", "Soildepth", "Texture", "Ks", "Interflowlag", "Hslope",
                          "Baseflowlag", "Rcnumber", "Maxcover", "Basinloss", "Pancoeff",
                          "Topsoil", "Aridity", "Rivmanning", "Rivslope", "Rivwidth", "Rivloss",
                          "Riverploss", "Celerity", "Diffusion"};
  for (const AdjustableParameter& p : kAdjustableParameters) {
    SubbasinRecord basin{1, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
    ReachRecord reach{1, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
    ScaleParameter(p, 2.0, basin, reach);
    std::string b, r;
    AppendBasinLine(b, basin);
    AppendReachLine(r, reach);
    int changedFields = 0;
    for (const std::string* line : {&b, &r})
      for (size_t pos = 0; (pos = line->find("20", pos)) != std::string::npos; ++pos) ++changedFields;
    EXPECT_EQ(changedFields, 1) << fields[p.number - 1];
    EXPECT_EQ(ParameterFieldValue(p, basin, reach), 20.0) << fields[p.number - 1];
  }
}

TEST(ParameterTable, WrittenTableHasTheFixedRows) {
  float lower[kParameterCount], upper[kParameterCount];
  for (int i = 0; i < kParameterCount; ++i) {
    lower[i] = 0.5f;
    upper[i] = 2.0f;
  }
  std::string text = ParameterTableText(lower, upper);
  EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1) + 1),
            "No,Name,Default,Lower,Upper,OptIdx,Description\n"
            "1,SoilWhc,1,0.500,2.000,0,SoilWHC is the soil water holding capacity (mm)\n");
  EXPECT_NE(text.find("\n3,Texture,1,0.5,1.5,0,Texture is the soil texture (1:2:3)\n"), std::string::npos);
  EXPECT_NE(text.find("\n9,MaxCover,1,0.500,2.000,0,MaxCover is the fraction of the subbasin with "
                      "permanently impervious cover \n"),
            std::string::npos);
  EXPECT_TRUE(ParseParameterTable(text, "parameter.in").empty());
}

}  // namespace
