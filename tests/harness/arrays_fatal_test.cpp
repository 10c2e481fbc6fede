#include <gtest/gtest.h>

#include "arrays.h"
#include "fatal.h"
#include "test_support.h"

namespace {

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
  auto vector = RunInChild([] { DoubleVector v(PTRDIFF_MAX / 4); });
  EXPECT_EQ(vector.status, 1);
  EXPECT_EQ(vector.err, "allocation failure in DoubleVector()\n...now exiting to system...\n");
  auto ints = RunInChild([] { IntVector v(PTRDIFF_MAX / 2); });
  EXPECT_EQ(ints.err, "allocation failure in IntVector()\n...now exiting to system...\n");
  auto matrix = RunInChild([] { DoubleMatrix m(PTRDIFF_MAX / 4, PTRDIFF_MAX / 4); });
  EXPECT_EQ(matrix.status, 1);
  EXPECT_EQ(matrix.err, "allocation failure 1 in DoubleMatrix()\n...now exiting to system...\n");
#if !defined(__SANITIZE_ADDRESS__)
  // AddressSanitizer aborts on a request this large instead of failing it.
  auto rows = RunInChild([] { DoubleMatrix m(1, PTRDIFF_MAX / 16); });
  EXPECT_EQ(rows.err, "allocation failure 2 in DoubleMatrix()\n...now exiting to system...\n");
#endif
}

TEST(FatalStops, FatalErrorWritesMessageAndClosingLine) {
  auto outcome = RunInChild([] { FatalError("OBJECTIVE FUNCTION NOT DEFINED"); });
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "OBJECTIVE FUNCTION NOT DEFINED\n...now exiting to system...\n");
}

TEST(FatalStops, OpenFileOrDieNamesTheFile) {
  auto outcome = RunInChild([] { OpenFileOrDie("/no/such/dir/runs.txt", "r"); });
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "Can not open file: /no/such/dir/runs.txt\n\n...now exiting to system...\n");
}

TEST(FatalStops, BannerFramesTheMessage) {
  auto outcome = RunInChild([] { FailWithBanner("     Error opening 'basin.txt' file \n"); });
  EXPECT_EQ(outcome.status, 1);
  const std::string dashes(60, '-');
  EXPECT_EQ(outcome.out, "\n\n\n " + dashes + " \n" + std::string(55, ' ') + "\n" +
                             std::string(66, ' ') + "\n " + dashes + " \n\n\n");
  EXPECT_EQ(outcome.err, "     Error opening 'basin.txt' file \n");
}

}  // namespace
