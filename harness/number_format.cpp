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
