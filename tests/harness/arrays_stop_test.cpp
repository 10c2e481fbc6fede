#include <gtest/gtest.h>

#include "arrays.h"
#include "checked_files.h"
#include "stop.h"
#include "test_support.h"

namespace {

using testing_support::ExpectStop;
using testing_support::RunInChild;

TEST(Arrays, AreZeroFilledAndIndexedByRowThenColumn) {
  IntVector iv(3);
  DoubleVector dv(4);
  DoubleMatrix m(2, 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(iv[i], 0);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(dv[i], 0.0);
  m[1][2] = 7.5;
  EXPECT_EQ(m[1][2], 7.5);
  EXPECT_EQ(m[0][2], 0.0);
  EXPECT_EQ(m.rows(), 2);
  EXPECT_EQ(m.columns(), 3);
  m.Fill(-1e12);
  EXPECT_EQ(m[0][0], -1e12);
}

TEST(Arrays, ZeroCountsGiveValidEmptyArrays) {
  EXPECT_EQ(IntVector(0).size(), 0);
  EXPECT_EQ(DoubleVector(0).size(), 0);
  DoubleMatrix m(0, 5);
  EXPECT_EQ(m.rows(), 0);
}

TEST(Arrays, AllocationFailureStopsWithTheHelpersMessage) {
  ExpectStop([] { DoubleVector v(PTRDIFF_MAX / 4); }, StopStyle::Fatal, "allocation failure in DoubleVector()");
  ExpectStop([] { IntVector v(PTRDIFF_MAX / 2); }, StopStyle::Fatal, "allocation failure in IntVector()");
  ExpectStop([] { DoubleMatrix m(PTRDIFF_MAX / 4, PTRDIFF_MAX / 4); }, StopStyle::Fatal,
             "allocation failure 1 in DoubleMatrix()");
#if !defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer aborts on a request this large instead of failing it.
  ExpectStop([] { DoubleMatrix m(1, PTRDIFF_MAX / 16); }, StopStyle::Fatal,
             "allocation failure 2 in DoubleMatrix()");
#endif
}

TEST(Stops, OpeningFailuresNameTheFile) {
  ExpectStop([] { OpenFileOrDie("/no/such/dir/runs.txt", "r"); }, StopStyle::Fatal,
             "Can not open file: /no/such/dir/runs.txt\n");
  ExpectStop([] { ReadFileOrBanner("/no/such/basin.txt", OpeningFailure("basin.txt")); }, StopStyle::Banner,
             "     Error opening 'basin.txt' file \n");
}

// The bytes and streams of each kind of stop, as a program's main reports them.
TEST(Stops, AreReportedOnTheirStreamsWithExitStatusOne) {
  auto fatal = RunInChild([] { std::exit(ReportStop(Stop(StopStyle::Fatal, "OBJECTIVE FUNCTION NOT DEFINED"))); });
  EXPECT_EQ(fatal.status, 1);
  EXPECT_EQ(fatal.out, "");
  EXPECT_EQ(fatal.err, "OBJECTIVE FUNCTION NOT DEFINED\n...now exiting to system...\n");
  auto banner = RunInChild([] {
    std::printf("before\n");
    std::exit(ReportStop(Stop(StopStyle::Banner, "     Error opening 'basin.txt' file \n")));
  });
  EXPECT_EQ(banner.status, 1);
  const std::string dashes(60, '-');
  EXPECT_EQ(banner.out, "before\n\n\n\n " + dashes + " \n" + std::string(55, ' ') + "\n" + std::string(66, ' ') +
                            "\n " + dashes + " \n\n\n");
  EXPECT_EQ(banner.err, "     Error opening 'basin.txt' file \n");
  auto plain = RunInChild([] { std::exit(ReportStop(Stop("Error opening file a.csv\n", "a.csv: why\n"))); });
  EXPECT_EQ(plain.out, "Error opening file a.csv\n");
  EXPECT_EQ(plain.err, "a.csv: why\n");
}

TEST(Stops, ReportCurrentFailureNamesTheProgramForOtherErrors) {
  auto input = RunInChild([] {
    try {
      throw InputError("a.txt", 3, "expected a number");
    } catch (...) {
      std::exit(ReportCurrentFailure("prog"));
    }
  });
  EXPECT_EQ(input.status, 1);
  EXPECT_EQ(input.err, "a.txt:3: expected a number\n");
  auto other = RunInChild([] {
    try {
      throw std::runtime_error("no room");
    } catch (...) {
      std::exit(ReportCurrentFailure("prog"));
    }
  });
  EXPECT_EQ(other.status, 1);
  EXPECT_EQ(other.err, "prog: no room\n");
}

}  // namespace
