#include "number_format.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

void AppendInt(std::string& out, long long value) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, r.ptr);
}

// glibc spells non-finite values "inf", "-inf", "nan", "-nan".
static void AppendNonFinite(std::string& out, double value, bool upper) {
  if (std::signbit(value)) out += '-';
  out += std::isnan(value) ? (upper ? "NAN" : "nan") : (upper ? "INF" : "inf");
}

void AppendFixed(std::string& out, double value, int precision) {
  if (!std::isfinite(value)) return AppendNonFinite(out, value, false);
  char buf[400];  // a double has at most 309 integer digits
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, precision);
  out.append(buf, r.ptr);
}

// A float has 24 significant bits and 10^4 needs 14, so below 1e9 the scaled
// value is exact in double: rounding it half-to-even is exactly what printf
// does with the decimal expansion of the binary value.
void AppendFixedFloat(std::string& out, float value, int precision) {
  static const double kScale[] = {1, 10, 100, 1000, 10000};
  const double v = static_cast<double>(value);
  if (!(std::fabs(v) < 1e9) || precision < 0 || precision > 4) return AppendFixed(out, v, precision);
  const double scaled = std::nearbyint(std::fabs(v) * kScale[precision]);
  unsigned long long units = static_cast<unsigned long long>(scaled);
  if (std::signbit(v)) out += '-';
  char digits[24];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + units % 10);
    units /= 10;
  } while (units > 0 || n <= precision);
  for (int i = n - 1; i >= 0; --i) {
    out += digits[i];
    if (i == precision && precision > 0) out += '.';
  }
}

void AppendScientific(std::string& out, double value, int precision, int width, bool upper) {
  char buf[64];
  char* end = buf;
  if (!std::isfinite(value)) {
    std::string text;
    AppendNonFinite(text, value, upper);
    end = std::copy(text.begin(), text.end(), buf);
  } else {
    end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision).ptr;
    if (upper)
      for (char* p = buf; p < end; ++p)
        if (*p == 'e') *p = 'E';
  }
  int length = static_cast<int>(end - buf);
  if (length < width) out.append(static_cast<size_t>(width - length), ' ');
  out.append(buf, end);
}

namespace {

const double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                               1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// `a` (positive) scaled by 10^shift, with one correct rounding: a product by
// an exact power of ten, or a quotient by one.
bool ScaleByPowerOfTen(double a, int shift, double& scaled) {
  if (shift >= 0 && shift <= 22) {
    scaled = a * kPowersOfTen[shift];
    return true;
  }
  if (shift < 0 && shift >= -22) {
    scaled = a / kPowersOfTen[-shift];
    return true;
  }
  return false;
}

// The six significant digits of %g for a positive finite `a`: the digits as
// an integer from 100000 to 999999 and the decimal exponent of the first.
// The scaled value carries a relative error of at most 2^-53, so the rounding
// is exact unless the value lies within 1e-9 of a half: then false, and the
// caller asks the exact formatter.
bool SixDigits(double a, long& digits, int& exponent) {
  int binary = 0;
  std::frexp(a, &binary);  // 2^(binary-1) <= a < 2^binary
  // log10(2) = 0.30103: an estimate within one of the decimal exponent, which the loop below corrects.
  exponent = static_cast<int>(std::floor((binary - 1) * 0.30102999566398120));
  for (int attempt = 0; attempt < 3; ++attempt) {
    double x;
    if (!ScaleByPowerOfTen(a, 5 - exponent, x)) return false;
    if (x < 99999.5) {
      --exponent;
      continue;
    }
    const double whole = std::floor(x);
    const double fraction = x - whole;
    if (std::fabs(fraction - 0.5) < 1e-9) return false;
    digits = static_cast<long>(whole) + (fraction > 0.5 ? 1 : 0);
    if (digits >= 1000000) {
      ++exponent;
      continue;
    }
    return true;
  }
  return false;
}

}  // namespace

void AppendGeneral(std::string& out, double value) {
  if (!std::isfinite(value)) return AppendNonFinite(out, value, false);
  long digits = 0;
  int exponent = 0;
  if (value == 0 || !SixDigits(std::fabs(value), digits, exponent)) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
    out.append(buf, r.ptr);
    return;
  }
  char text[8];
  for (int i = 5; i >= 0; --i, digits /= 10) text[i] = static_cast<char>('0' + digits % 10);
  int significant = 6;
  while (significant > 1 && text[significant - 1] == '0') --significant;  // %g drops trailing zeros
  char buf[24];
  char* p = buf;
  if (value < 0) *p++ = '-';
  if (exponent < -4 || exponent >= 6) {
    *p++ = text[0];
    if (significant > 1) {
      *p++ = '.';
      for (int i = 1; i < significant; ++i) *p++ = text[i];
    }
    *p++ = 'e';
    *p++ = exponent < 0 ? '-' : '+';
    const int e = exponent < 0 ? -exponent : exponent;
    if (e >= 100) *p++ = static_cast<char>('0' + e / 100);
    *p++ = static_cast<char>('0' + e / 10 % 10);
    *p++ = static_cast<char>('0' + e % 10);
  } else if (exponent < 0) {
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -exponent - 1; ++i) *p++ = '0';
    for (int i = 0; i < significant; ++i) *p++ = text[i];
  } else {
    const int integer = exponent + 1;
    for (int i = 0; i < integer; ++i) *p++ = i < significant ? text[i] : '0';
    if (significant > integer) {
      *p++ = '.';
      for (int i = integer; i < significant; ++i) *p++ = text[i];
    }
  }
  out.append(buf, p);
}

std::string FormatString(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), format, args);
  va_end(args);
  out.assign(buf.data(), static_cast<size_t>(n));
  return out;
}

void AppendTidy(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
    return;
  }
  char text[40];
  std::snprintf(text, sizeof text, "%.9g", value);
  out += text;
}

std::string TidyText(double value) {
  std::string out;
  AppendTidy(out, value);
  return out;
}
