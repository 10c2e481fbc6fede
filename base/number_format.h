#pragma once
// Number formatting that gives the same bytes as glibc's printf on every
// platform, without the cost of a format-string interpreter in hot loops.

#include <string>

void AppendInt(std::string& out, long long value);                 // "%d"
void AppendFixed(std::string& out, double value, int precision);   // "%.Nf"
// "%.Nf" of a single-precision value widened to double, for N from 0 to 4.
void AppendFixedFloat(std::string& out, float value, int precision);
// "%W.PE" (upper) or "%W.Pe": exponent of at least two digits.
void AppendScientific(std::string& out, double value, int precision, int width, bool upper);
// "%g" with six significant digits, no padding.
void AppendGeneral(std::string& out, double value);

// A figure of the tidy CSV files: "%.9g" (nine significant digits, enough
// to tell any two single-precision values apart and to read back a double
// within 1e-9), "NaN" when undefined, "inf"/"-inf" as printf gives them.
void AppendTidy(std::string& out, double value);
std::string TidyText(double value);

// printf into a std::string, for the few formats that are not on a hot path.
std::string FormatString(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))  // the C99 printf that Windows builds use
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
