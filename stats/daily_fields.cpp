#include "daily_fields.h"

#include <cmath>
#include <limits>

#include "text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Unwrap(std::string_view field) {
  field = TrimBlanks(field);
  if (field.size() >= 2 && field.front() == '"' && field.back() == '"') field = TrimBlanks(field.substr(1, field.size() - 2));
  return field;
}

// Digits only: `count` of them at `p`.
bool TakeNumber(const char* p, int count, int& value) {
  value = 0;
  for (int i = 0; i < count; ++i) {
    if (!IsDigit(p[i])) return false;
    value = value * 10 + (p[i] - '0');
  }
  return true;
}

}  // namespace

FieldKind ParseDailyField(std::string_view field, float& value) {
  field = Unwrap(field);
  if (field.empty()) return FieldKind::Missing;
  const char* p = field.data();
  const char* end = p + field.size();
  const char* digits = p;
  if (*digits == '+' || *digits == '-') ++digits;
  // Only a digit, or a point and a digit, begins a number: "nan", "inf" and "-" are missing values.
  const bool startsNumber =
      digits < end && (IsDigit(*digits) || (*digits == '.' && digits + 1 < end && IsDigit(digits[1])));
  if (!startsNumber) return FieldKind::Missing;
  double v = 0;
  const bool negative = *p == '-';
  const char* stop = ParsePlainDecimal(digits, end, v);
  if (stop == end) {
    value = static_cast<float>(negative ? -v : v);
    return FieldKind::Number;
  }
  size_t used = 0;
  if (!ParseRealPrefix(field, v, &used) || used != field.size()) return FieldKind::Bad;
  // Hexadecimal and special values never reach here: only decimal digits begin a number.
  const float f = static_cast<float>(v);
  if (!std::isfinite(f)) return FieldKind::Bad;
  value = f;
  return FieldKind::Number;
}

bool ParseRecordDate(std::string_view field, RecordDate& date) {
  field = Unwrap(field);
  if (field.size() < 10) return false;
  const char* p = field.data();
  const char separator = p[4];
  if ((separator != '-' && separator != '/') || p[7] != separator) return false;
  if (!TakeNumber(p, 4, date.year) || !TakeNumber(p + 5, 2, date.month) || !TakeNumber(p + 8, 2, date.day))
    return false;
  if (field.size() > 10 && field[10] != ' ' && field[10] != 'T' && field[10] != '\t') return false;
  return date.year > 0;
}
