#include <gtest/gtest.h>

#include "calibration_settings.h"
#include "test_support.h"

namespace {

using testing_support::ExpectInputError;

CalibrationSettings Parse(const std::string& text) {
  CalibrationSettings s;
  ParseCalibrationSettings(text, "moscem_param.txt", s);
  return s;
}

TEST(CalibrationSettings, ReadsLeadingIntegersAndTheColumnList) {
  CalibrationSettings s = Parse("3 fluxes, a comment\n1\n 365 steps\n4\n-1\nignored line\n1,4,\n0, more\n");
  EXPECT_EQ(s.nparam, 20);
  EXPECT_EQ(s.nflux, 3);
  EXPECT_EQ(s.nsteps, 365);
  EXPECT_EQ(s.objectiveKind, 4);
  EXPECT_EQ(s.obsThreshold, -1);
  EXPECT_EQ(s.fluxColumns[0], 1);
  EXPECT_EQ(s.fluxColumns[1], 4);
  EXPECT_EQ(s.fluxColumns[2], 0);
  CalibrationSettings lines = Parse("2\r\n0\r\n10\r\n1\r\n0\r\nx\r\n1,\r\n4,\r\n");
  EXPECT_EQ(lines.fluxColumns[1], 4);
  CalibrationSettings none = Parse("0\n0\n10\n1\n0\n");
  EXPECT_EQ(none.nflux, 0);
}

TEST(CalibrationSettings, BadValuesAreRefusedWithFileAndLine) {
  ExpectInputError([] { Parse("two\n"); }, "moscem_param.txt:1: expected an integer (number of fluxes)");
  ExpectInputError([] { Parse("1\n0\n"); }, "moscem_param.txt:3: expected an integer (number of time steps)");
  ExpectInputError([] { Parse("-1\n0\n5\n1\n0\nx\n"); },
                   "moscem_param.txt:1: the number of fluxes must not be negative");
  ExpectInputError([] { Parse("1\n0\n-5\n1\n0\nx\n1,"); },
                   "moscem_param.txt:3: the number of time steps must not be negative");
  ExpectInputError([] { Parse("2\n0\n5\n1\n0\nx\n1,"); },
                   "moscem_param.txt:7: file ends before column offset 2 of 2 was read");
  ExpectInputError([] { Parse("2\n0\n5\n1\n0\nx\n1,\nfour,"); },
                   "moscem_param.txt:8: expected an integer as column offset 2 of 2");
  ExpectInputError([] { Parse("1\n0\n5\n1\n0\nx\n0,"); },
                   "moscem_param.txt:7: column offset 1 of 1 must be at least 1, found 0");
  ExpectInputError([] { Parse("2\n0\n5\n1\n0\nx\n1,-2,"); },
                   "moscem_param.txt:7: column offset 2 of 2 must be at least 0, found -2");
  ExpectInputError([] { Parse("3\n0\n5\n1\n0\nx\n1,\n2147483646,1,"); },
                   "moscem_param.txt:8: the column offsets up to offset 3 add up to more than 2147483647 columns");
}

TEST(CalibrationSettings, NoFluxIsRefusedAfterTheNoticeAndAMissingFileStops) {
  testing_support::ScopedTempDir dir;
  testing_support::WriteFile(dir / "m.txt", "0\n0\n10\n1\n0\n");
  RunFiles files;
  files.calibrationSettingsFile = (dir / "m.txt").string();
  CalibrationSettings s;
  testing::internal::CaptureStdout();
  testing_support::ExpectInputError([&] { ReadCalibrationSettings(s, files); },
                                    files.calibrationSettingsFile + ":1: the number of fluxes must be at least 1, found 0");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "nflux must be greater than 0, fix moscem_param.txt \n");
  testing_support::ExpectStop(
      [&] {
        RunFiles files;
        files.calibrationSettingsFile = (dir / "other.txt").string();
        CalibrationSettings s;
        ReadCalibrationSettings(s, files);
      },
      StopStyle::Banner, "Error opening observed moscem_param.txt \n");
}

}  // namespace
