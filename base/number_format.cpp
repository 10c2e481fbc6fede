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

void AppendGeneral(std::string& out, double value) {
  if (!std::isfinite(value)) return AppendNonFinite(out, value, false);
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
  out.append(buf, r.ptr);
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
