#include <gtest/gtest.h>

#include "input_error.h"
#include "model_choice.h"
#include "source_records.h"
#include "test_support.h"

namespace {

using testing_support::ExpectInputError;

const char* kBasinRow = "1,180.0,150.0,2,0.12345,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2";
const char* kRiverRow = "1,212.0,212.0,0.0042,28.5,3,0.045,0.0,0.1,0,0,1,1.2,800.0,12.0,8.0,1";

std::string Basin(const std::string& rows) { return std::string("any header at all\n") + rows; }

std::string BasinLine(const SubbasinRecord& r) {
  std::string out;
  AppendBasinLine(out, r);
  return out;
}

TEST(SourceFiles, ReadAndWriteRoundTripAtThePrintedPrecision) {
  auto basins = ParseBasinRows(Basin(std::string(kBasinRow) + "\n"), "basin_original.txt", 1);
  ASSERT_EQ(basins.size(), 1u);
  EXPECT_EQ(basins[0].texture, 2);
  EXPECT_EQ(basins[0].ks, 0.12345f);
  EXPECT_EQ(BasinLine(basins[0]),
            "1,180.0,150.0,2,0.123,212.0,4.0,0.0850,35.0,68.0,0.03,0.040,0.80,0.30,2\n");
  auto reaches = ParseReachRows(std::string("h\n") + kRiverRow + "\r\n", "river_original.txt", 1);
  std::string river;
  AppendReachLine(river, reaches[0]);
  EXPECT_EQ(river, std::string(kRiverRow) + "\n");
}

TEST(SourceFiles, SeparatorsMayBeSurroundedByBlanksOrBeBlanksAlone) {
  std::string spaced = "1, 180.0 ,150.0,\t2 ; 0.5,212 4 0.085,35,68,0.03,0.04,0.8,0.3,2,";
  auto basins = ParseBasinRows(Basin(spaced), "b.txt", 1);
  EXPECT_EQ(basins[0].soilWhc, 180.0f);
  EXPECT_EQ(basins[0].ks, 0.5f);
  EXPECT_EQ(basins[0].interflowLag, 4.0f);
  EXPECT_EQ(basins[0].aridity, 2);
  // Values after the last column, trailing blanks and blank lines are ignored.
  auto more = ParseBasinRows(Basin("\n  \n" + std::string(kBasinRow) + ",99,extra   \n"), "b.txt", 1);
  EXPECT_EQ(more[0].aridity, 2);
}

TEST(SourceFiles, BadValuesNameFileLineAndColumn) {
  ExpectInputError([] { ParseBasinRows(Basin("1,180.0,150.0,2.5,0.5,1,1,1,1,1,1,1,1,1,1"), "b.txt", 1); },
                   "b.txt:2: expected an integer for Texture (column 4)");
  ExpectInputError([] { ParseBasinRows(Basin("1,180.0,,2,0.5,1,1,1,1,1,1,1,1,1,1"), "b.txt", 1); },
                   "b.txt:2: expected a number for Soildepth (column 3)");
  ExpectInputError([] { ParseBasinRows(Basin("1,180.0,abc,2,0.5,1,1,1,1,1,1,1,1,1,1"), "b.txt", 1); },
                   "b.txt:2: expected a number for Soildepth (column 3)");
  ExpectInputError([] { ParseBasinRows(Basin("1,180.0,150.0,2,0.5"), "b.txt", 1); },
                   "b.txt:2: expected a number for Area (column 6)");
  ExpectInputError([] { ParseBasinRows(Basin("1,180.0,1e999,2,0.5,1,1,1,1,1,1,1,1,1,1"), "b.txt", 1); },
                   "b.txt:2: expected a number for Soildepth (column 3)");
  ExpectInputError([] { ParseReachRows("h\n" + std::string(kRiverRow) + "\n", "r.txt", 3); },
                   "r.txt:3: expected 3 data rows, found 1");
}

TEST(SourceFiles, NoSubbasinsReadsNothing) {
  EXPECT_TRUE(ParseBasinRows("header only", "b.txt", 0).empty());
  EXPECT_TRUE(ParseReachRows("", "r.txt", 0).empty());
}

TEST(ModelChoice, ReadsTheLeadingIntegersOfLinesTwoAndThree) {
  ModelChoice c = ParseModelChoice("Model Index\n2 //balance\n 3 //routing\n", "whichModel.txt");
  EXPECT_EQ(c.balanceModel, 2);
  EXPECT_EQ(c.routingModel, 3);
  EXPECT_EQ(kModelChoiceHeader + ModelChoiceLines(c),
            "Model Index   Index description\n"
            "2 //water balance model:  1= 1D balance, 2= 2D balance\n"
            "3 //routing model:  1=diffusion, 2=Muskingham-Cunge, 3=lag \n");
  ExpectInputError([] { ParseModelChoice("x\none\n1\n", "whichModel.txt"); },
                   "whichModel.txt:2: expected the water balance model number (1 or 2)");
  ExpectInputError([] { ParseModelChoice("x\n1\n", "whichModel.txt"); },
                   "whichModel.txt:3: expected the routing model number (1, 2 or 3)");
}

}  // namespace
