#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "input_error.h"
#include "number_format.h"
#include "test_support.h"
#include "text.h"

namespace {

std::vector<std::string> Lines(std::string_view text) {
  LineCursor cursor(text);
  std::vector<std::string> lines;
  std::string_view line;
  while (cursor.Next(line)) lines.emplace_back(line);
  return lines;
}

TEST(LineCursor, SplitsOnLfAndCrLfAndKeepsALastLineWithoutEnd) {
  EXPECT_EQ(Lines("a\r\nb\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(Lines("a\n"), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(Lines("").empty());
  LineCursor cursor("x\ny\nrest");
  std::string_view line;
  cursor.Next(line);
  cursor.Next(line);
  EXPECT_EQ(cursor.LineNumber(), 2);
  EXPECT_EQ(cursor.Rest(), "rest");
}

TEST(FileLineReader, ReadsLinesLongerThanItsBlock) {
  testing_support::ScopedTempDir dir;
  std::string longLine(3 << 20, 'x');
  testing_support::WriteFile(dir / "f.txt", "h\r\n" + longLine + "\nlast");
  FILE* f = std::fopen((dir / "f.txt").c_str(), "rb");
  FileLineReader reader(f);
  std::string_view line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "h");
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line.size(), longLine.size());
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line, "last");
  EXPECT_EQ(reader.LineNumber(), 3);
  EXPECT_FALSE(reader.Next(line));
  std::fclose(f);
}

TEST(NumberRules, LeadingIntegerTakesSignAndDigitsAndStops) {
  int v = 0;
  size_t used = 0;
  EXPECT_TRUE(ParseLeadingInt("  -42 remark", v, &used));
  EXPECT_EQ(v, -42);
  EXPECT_EQ(used, 5u);
  EXPECT_TRUE(ParseLeadingInt("3,", v));
  EXPECT_EQ(v, 3);
  EXPECT_FALSE(ParseLeadingInt("word 1990", v));
  EXPECT_FALSE(ParseLeadingInt("-", v));
  EXPECT_FALSE(ParseLeadingInt("99999999999", v));
  EXPECT_TRUE(ParseLeadingInt("-2147483648", v));
  EXPECT_EQ(v, -2147483647 - 1);
}

TEST(NumberRules, RealPrefixIsTheLongestNumber) {
  double v = 0;
  size_t used = 0;
  EXPECT_TRUE(ParseRealPrefix("12.5,", v, &used));
  EXPECT_EQ(v, 12.5);
  EXPECT_EQ(used, 4u);
  EXPECT_TRUE(ParseRealPrefix("+1e3x", v));
  EXPECT_EQ(v, 1000.0);
  EXPECT_TRUE(ParseRealPrefix("1e", v, &used));
  EXPECT_EQ(v, 1.0);
  EXPECT_EQ(used, 1u);
  EXPECT_FALSE(ParseRealPrefix("abc", v));
  EXPECT_FALSE(ParseRealPrefix("+-1", v));
  EXPECT_TRUE(ParseRealPrefix("1e999", v));
  EXPECT_TRUE(std::isinf(v));
  float f = 0;
  EXPECT_TRUE(ParseFloatPrefix("0.1", f));
  EXPECT_EQ(f, 0.1f);
}

// The plain-decimal fast path must agree with the general conversion everywhere.
TEST(NumberRules, PlainDecimalsReadExactlyLikeStrtod) {
  std::mt19937_64 random(3);
  char text[64];
  for (int i = 0; i < 200000; ++i) {
    int decimals = static_cast<int>(random() % 12);
    double magnitude = std::pow(10.0, static_cast<double>(random() % 14) - 4);
    std::snprintf(text, sizeof text, "%.*f", decimals,
                  static_cast<double>(random() % 1000000007) / 1000000007.0 * magnitude);
    double mine = 0;
    size_t used = 0;
    ASSERT_TRUE(ParseRealPrefix(text, mine, &used));
    ASSERT_EQ(mine, std::strtod(text, nullptr)) << text;
    ASSERT_EQ(used, std::strlen(text));
  }
  for (const char* t : {"0.1", "123456789012345.6", "0.30000000000000004", "9007199254740993",
                        "1.7976931348623157", "5.", ".5x", "00000000000000000000001.25"}) {
    double mine = 0;
    ASSERT_TRUE(ParseRealPrefix(t, mine)) << t;
    EXPECT_EQ(mine, std::strtod(t, nullptr)) << t;
  }
}

std::string Printf(const char* format, double v) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// The formatter must give the bytes of printf for every value the files hold.
TEST(NumberFormat, MatchesPrintfByteForByte) {
  const double values[] = {0.0, -0.0, 1.0, -1.0, 0.5, 0.05, 0.15, 0.25, 2.675, 1.0005, 123456.789,
                           -98765.4321, 1e-7, 3.5e-5, 9.99995e5, 1e20, -1e20, 1e300, 6.02e23,
                           static_cast<double>(0.1f), static_cast<double>(9999999.0f), 1e12, -1e12,
                           0.00015, 99999.95, 123456.0, 1234567.0, 0.0001, 0.00001234};
  for (double v : values) {
    for (int precision = 1; precision <= 4; ++precision) {
      std::string mine;
      AppendFixed(mine, v, precision);
      std::string format = "%." + std::to_string(precision) + "f";
      EXPECT_EQ(mine, Printf(format.c_str(), v)) << v;
    }
    std::string e;
    AppendScientific(e, v, 5, 15, true);
    EXPECT_EQ(e, Printf("%15.5E", v)) << v;
    std::string g;
    AppendGeneral(g, v);
    EXPECT_EQ(g, Printf("%g", v)) << v;
  }
  std::string n;
  AppendScientific(n, std::numeric_limits<double>::quiet_NaN(), 5, 15, true);
  EXPECT_EQ(n, "            NAN");
  std::string i;
  AppendInt(i, -2147483647 - 1);
  EXPECT_EQ(i, "-2147483648");
  EXPECT_EQ(FormatString("OF Flux %2d = %6.3f", 3, 1.23456), "OF Flux  3 =  1.235");
}

TEST(NumberFormat, SinglePrecisionFastPathMatchesPrintf) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> wide(-2e5f, 2e5f), narrow(-2.0f, 2.0f);
  std::vector<float> values = {0.0f, -0.0f, 0.5f, 0.125f, 0.0625f, -0.05f, 2.675f, 1.0005f,
                               99999.95f, 9.99999e8f, 1.5e9f, -3e12f, 0.04999f, 1e-6f};
  for (int i = 0; i < 20000; ++i) values.push_back(i % 2 ? wide(random) : narrow(random));
  for (float v : values) {
    for (int precision = 0; precision <= 4; ++precision) {
      std::string mine;
      AppendFixedFloat(mine, v, precision);
      std::string format = "%." + std::to_string(precision) + "f";
      ASSERT_EQ(mine, Printf(format.c_str(), static_cast<double>(v))) << v << " " << precision;
    }
  }
}

TEST(InputError, ReadsPathLineWhat) {
  EXPECT_STREQ(InputError("a.txt", 3, "expected x").what(), "a.txt:3: expected x");
  EXPECT_STREQ(InputError("a.txt", 0, "expected x").what(), "a.txt: expected x");
}

// Six significant digits the quick way give printf's bytes: across the
// float range, near every power of ten, and on exact halves.
TEST(NumberFormat, GeneralNotationMatchesPrintfEverywhere) {
  std::mt19937_64 random(12345);
  std::vector<double> values = {1234565.0, 1234575.0, 0.5, 9.999995, 99999.95, 999999.5, 1e-5, 1e-4, 123456.5,
                                1e6, 1e5, 1e-38, 3.4028234663852886e38, 1.17549435e-38, -0.0, 2.5e-7, 65536.0};
  for (int e = -40; e <= 38; ++e)
    for (double m : {1.0, 9.999995, 9.9999949, 9.9999951, 5.0, 1.000005})
      values.push_back(m * std::pow(10.0, e));
  for (int i = 0; i < 300000; ++i) {
    const double magnitude = std::pow(10.0, static_cast<double>(random() % 80) - 40.0);
    const float f = static_cast<float>(static_cast<double>(random() % 100000000) / 1e7 * magnitude);
    values.push_back(static_cast<double>(random() % 2 ? f : -f));
    values.push_back(static_cast<double>(random() % 1000000) / 1000.0);  // three decimals, as in daily series
  }
  int mismatches = 0;
  for (double v : values) {
    std::string g;
    AppendGeneral(g, v);
    if (g != Printf("%g", v) && ++mismatches < 10) ADD_FAILURE() << v << ": " << g << " against " << Printf("%g", v);
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
